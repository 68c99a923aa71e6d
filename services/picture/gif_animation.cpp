// GIF animation: every image of a GIF87a/89a file, in order, composed on the
// logical screen. Limits: see gif_animation.h; LZW minimum code size 1..11,
// codes up to 12 bits; a frame's decoding stops when its rectangle is full.
//
// Where the format leaves the picture open:
//  - the canvas starts transparent (the box's background shows through);
//  - image data that ends before the end code leaves the rest of the frame undrawn;
//  - palette indexes beyond the table in use, and images without any table, are black;
//  - the block walk stops at the trailer, at an unknown block or at the end of the
//    data; the frames found before it play.
#include "services/picture/gif_animation.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "services/picture/byte_reader.h"

namespace {

constexpr std::size_t kMaxCodes = 4096;

// Skips a chain of data sub-blocks up to and including its zero terminator.
bool SkipSubBlocks(ByteReader& in) {
  for (;;) {
    std::uint8_t length = in.U8();
    if (in.Failed()) return false;
    if (length == 0) return true;
    if (!in.Skip(length)) return false;
  }
}

// Reads a colour table's place; false when the file ends inside it.
bool TakePalette(ByteReader& in, std::uint8_t flags, std::size_t& offset, std::size_t& entries) {
  entries = std::size_t{1} << ((flags & 7) + 1);
  offset = in.Position();
  return in.Skip(entries * 3);
}

// The rows of an interlaced image in the order the data gives them.
std::int32_t InterlacedRow(std::int32_t index, std::int32_t height) {
  constexpr std::int32_t kStart[4] = {0, 4, 2, 1};
  constexpr std::int32_t kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    std::int32_t rows =
        height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
    if (index < rows) return kStart[pass] + index * kStep[pass];
    index -= rows;
  }
  return height - 1;
}

// The standard's variable-length LZW, handing each index to put in order.
// Stops at the end code, at an unknown code, after limit indexes, or when the
// data runs out; returns how many indexes were given.
template <typename Put>
std::size_t DecodeLzw(ByteReader& in, std::size_t limit, Put put) {
  unsigned minCodeSize = in.U8();
  if (in.Failed() || minCodeSize < 1 || minCodeSize > 11) return 0;
  const unsigned clear = 1u << minCodeSize;
  const unsigned end = clear + 1;

  // Plain arrays: this loop runs once per pixel of every frame shown.
  std::uint16_t prefix[kMaxCodes] = {};
  std::uint8_t suffix[kMaxCodes] = {};
  std::uint8_t first[kMaxCodes] = {};
  std::uint8_t stack[kMaxCodes] = {};
  for (unsigned i = 0; i < clear && i < kMaxCodes; ++i) {
    suffix[i] = first[i] = static_cast<std::uint8_t>(i);
  }

  unsigned codeSize = minCodeSize + 1;
  unsigned next = clear + 2;
  int previous = -1;
  std::uint32_t bits = 0;
  unsigned bitCount = 0;
  std::size_t blockLeft = 0;
  bool dataEnded = false;
  std::size_t written = 0;

  while (written < limit) {
    while (bitCount < codeSize && !dataEnded) {
      if (blockLeft == 0) {
        blockLeft = in.U8();
        if (in.Failed() || blockLeft == 0) {
          dataEnded = true;
          break;
        }
      }
      std::uint8_t byte = in.U8();
      if (in.Failed()) {
        dataEnded = true;
        break;
      }
      --blockLeft;
      bits |= static_cast<std::uint32_t>(byte) << bitCount;
      bitCount += 8;
    }
    if (bitCount < codeSize) break;
    unsigned code = bits & ((1u << codeSize) - 1);
    bits >>= codeSize;
    bitCount -= codeSize;

    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) break;

    unsigned string;
    std::size_t depth = 0;
    if (previous < 0) {
      if (code >= clear) break;
      string = code;
    } else if (code < next) {
      string = code;
    } else if (code == next && next < kMaxCodes) {
      // The code being defined: the previous string and its own first byte.
      stack[depth++] = first[static_cast<unsigned>(previous)];
      string = static_cast<unsigned>(previous);
    } else {
      break;
    }
    while (string >= clear) {
      if (depth >= kMaxCodes) return written;
      stack[depth++] = suffix[string];
      string = prefix[string];
    }
    stack[depth++] = static_cast<std::uint8_t>(string);

    if (previous >= 0 && next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = static_cast<std::uint8_t>(string);
      first[next] = first[static_cast<unsigned>(previous)];
      ++next;
      if (next == (1u << codeSize) && codeSize < 12) ++codeSize;
    }
    previous = static_cast<int>(code);

    while (depth > 0 && written < limit) {
      put(stack[--depth]);
      ++written;
    }
  }
  return written;
}

}  // namespace

std::optional<GifAnimation> GifAnimation::Open(Bytes bytes) {
  ByteReader in(bytes);
  Bytes signature = in.Take(6);
  if (in.Failed() || (std::memcmp(signature.data(), "GIF87a", 6) != 0 &&
                      std::memcmp(signature.data(), "GIF89a", 6) != 0)) {
    return std::nullopt;
  }
  GifAnimation animation;
  animation.bytes_ = bytes;
  animation.width_ = in.U16LE();
  animation.height_ = in.U16LE();
  std::uint8_t screenFlags = in.U8();
  in.Skip(2);  // background index, aspect: the canvas starts transparent
  if (in.Failed() || !WithinPictureLimits(animation.width_, animation.height_) ||
      std::int64_t{animation.width_} * animation.height_ > kMaxGifCanvasPixels) {
    return std::nullopt;
  }
  std::size_t globalOffset = 0, globalEntries = 0;
  if ((screenFlags & 0x80) != 0 && !TakePalette(in, screenFlags, globalOffset, globalEntries)) {
    return std::nullopt;
  }

  GifFrame pending;  // what the last graphic control extension said
  std::int64_t pixelsTotal = 0;
  bool walking = true;
  while (walking && animation.frames_.size() < kMaxGifFrames) {
    std::uint8_t block = in.U8();
    if (in.Failed()) break;
    if (block == 0x21) {
      std::uint8_t label = in.U8();
      if (label == 0xF9) {
        std::uint8_t length = in.U8();
        if (length >= 4) {
          std::uint8_t flags = in.U8();
          std::uint32_t delay = in.U16LE();
          std::uint8_t transparent = in.U8();
          in.Skip(length - 4u);
          pending.disposal = static_cast<std::uint8_t>((flags >> 2) & 7);
          pending.transparent = (flags & 1) != 0 ? transparent : -1;
          pending.delayMs = delay < 2 ? kGifDefaultDelayMs : delay * 10;
        } else {
          in.Skip(length);
        }
        walking = SkipSubBlocks(in);
      } else if (label == 0xFF) {
        std::uint8_t length = in.U8();
        Bytes name = in.Take(length);
        bool netscape = length == 11 && name.size() == 11 &&
                        (std::memcmp(name.data(), "NETSCAPE2.0", 11) == 0 ||
                         std::memcmp(name.data(), "ANIMEXTS1.0", 11) == 0);
        if (netscape && !in.Failed()) {
          std::uint8_t subLength = in.U8();
          if (subLength == 3) {
            std::uint8_t id = in.U8();
            std::uint32_t loops = in.U16LE();
            // The count is of repeats after the first play; 0 repeats for ever.
            if (id == 1 && !in.Failed()) animation.playCount_ = loops == 0 ? 0 : loops + 1;
          } else {
            in.Skip(subLength);
          }
        }
        walking = !in.Failed() && SkipSubBlocks(in);
      } else {
        walking = !in.Failed() && SkipSubBlocks(in);
      }
    } else if (block == 0x2C) {
      GifFrame frame = pending;
      pending = GifFrame();
      frame.left = in.U16LE();
      frame.top = in.U16LE();
      frame.width = in.U16LE();
      frame.height = in.U16LE();
      std::uint8_t flags = in.U8();
      if (in.Failed()) break;
      frame.interlaced = (flags & 0x40) != 0;
      if ((flags & 0x80) != 0) {
        if (!TakePalette(in, flags, frame.paletteOffset, frame.paletteEntries)) break;
      } else {
        frame.paletteOffset = globalOffset;
        frame.paletteEntries = globalEntries;
      }
      frame.dataOffset = in.Position();
      in.Skip(1);
      if (in.Failed() || !SkipSubBlocks(in)) {
        walking = false;  // cut short: the frame still shows what its data holds
      }
      std::int64_t area = std::int64_t{frame.width} * frame.height;
      if (area > kMaxGifCanvasPixels || pixelsTotal + area > kMaxGifFramePixelsTotal) break;
      pixelsTotal += area;
      animation.frames_.push_back(frame);
    } else {
      break;  // the trailer 0x3B, or a block no GIF has
    }
  }
  if (animation.frames_.empty()) return std::nullopt;
  return animation;
}

bool GifAnimation::Finished() const {
  return playCount_ != 0 && playsDone_ >= playCount_ - 1 && next_ == frames_.size();
}

std::size_t GifAnimation::ShowNext(Image& canvas) {
  if (canvas.width != width_ || canvas.height != height_ || !canvas.pixels) return 0;
  if (!started_ || next_ >= frames_.size()) {
    if (started_) ++playsDone_;
    started_ = true;
    next_ = 0;
    std::memset(canvas.pixels.get(), 0, canvas.ByteCount());
  } else {
    Dispose(frames_[next_ - 1], canvas);
  }
  std::size_t shown = next_++;
  DrawFrame(frames_[shown], canvas);
  return shown;
}

void GifAnimation::Dispose(const GifFrame& frame, Image& canvas) {
  std::int32_t x0 = std::min(frame.left, width_), x1 = std::min(frame.left + frame.width, width_);
  std::int32_t y0 = std::min(frame.top, height_), y1 = std::min(frame.top + frame.height, height_);
  if (x0 >= x1 || y0 >= y1) return;
  auto rowBytes = static_cast<std::size_t>(x1 - x0) * 4;
  if (frame.disposal == 2) {
    for (std::int32_t y = y0; y < y1; ++y) std::memset(canvas.Row(y) + x0 * 4, 0, rowBytes);
  } else if (frame.disposal == 3 && saved_.size() == rowBytes * static_cast<std::size_t>(y1 - y0)) {
    for (std::int32_t y = y0; y < y1; ++y) {
      std::memcpy(canvas.Row(y) + x0 * 4,
                  saved_.data() + static_cast<std::size_t>(y - y0) * rowBytes, rowBytes);
    }
  }
}

void GifAnimation::DrawFrame(const GifFrame& frame, Image& canvas) {
  std::int32_t x0 = std::min(frame.left, width_), x1 = std::min(frame.left + frame.width, width_);
  std::int32_t y0 = std::min(frame.top, height_), y1 = std::min(frame.top + frame.height, height_);
  if (x0 >= x1 || y0 >= y1) return;
  auto rowBytes = static_cast<std::size_t>(x1 - x0) * 4;

  saved_.clear();
  if (frame.disposal == 3) {
    saved_.resize(rowBytes * static_cast<std::size_t>(y1 - y0));
    for (std::int32_t y = y0; y < y1; ++y) {
      std::memcpy(saved_.data() + static_cast<std::size_t>(y - y0) * rowBytes,
                  canvas.Row(y) + x0 * 4, rowBytes);
    }
  }

  const std::uint8_t* palette = bytes_.data() + frame.paletteOffset;
  const auto frameWidth = static_cast<std::size_t>(frame.width);
  ByteReader in(bytes_);
  in.Seek(frame.dataOffset);
  std::int32_t column = 0, index = 0;  // of the next pixel in the frame's data
  DecodeLzw(in, frameWidth * static_cast<std::size_t>(frame.height), [&](std::uint8_t colour) {
    std::int32_t row = frame.interlaced ? InterlacedRow(index, frame.height) : index;
    std::int32_t x = frame.left + column, y = frame.top + row;
    if (++column == frame.width) {
      column = 0;
      ++index;
    }
    if (x >= width_ || y >= height_ || colour == frame.transparent) return;
    std::uint8_t* pixel = canvas.Row(y) + x * 4;
    if (colour < frame.paletteEntries) {
      pixel[0] = palette[colour * 3 + 2];
      pixel[1] = palette[colour * 3 + 1];
      pixel[2] = palette[colour * 3];
    } else {
      pixel[0] = pixel[1] = pixel[2] = 0;
    }
    pixel[3] = 255;
  });
}
