// GIF87a/89a: the first image only, at the top-left corner of the logical screen; extensions
// 0x01, 0xF9, 0xFE, 0xFF skipped (transparency not applied). Limits: sides as in image.h, LZW
// minimum code size 1..11, codes up to 12 bits; decoding stops when the image is full.
//
// Where the format leaves the picture open:
//  - the screen outside the first image shows the background colour (global table entry at the
//    background index), black when there is no global table or the index lies beyond it;
//  - image data that ends (terminator or end of file) before the end code keeps the rows
//    decoded so far; the rest of the image shows the background colour, like the screen;
//  - palette indexes beyond the table in use are black;
//  - an image without any colour table is shown in shades of grey (index i is grey i).
#include <algorithm>
#include <array>
#include <string_view>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

namespace {

constexpr std::size_t kMaxCodes = 4096;

struct Palette {
  std::array<std::uint8_t, 256 * 3> rgb{};
  std::size_t count = 0;
};

bool ReadPalette(ByteReader& in, std::uint8_t flags, Palette& palette) {
  palette.count = std::size_t{1} << ((flags & 7) + 1);
  Bytes table = in.Take(palette.count * 3);
  if (in.Failed()) return false;
  std::copy(table.begin(), table.end(), palette.rgb.begin());
  return true;
}

Palette GreyPalette() {
  Palette grey;
  grey.count = 256;
  for (std::size_t i = 0; i < 256; ++i) {
    grey.rgb[i * 3] = grey.rgb[i * 3 + 1] = grey.rgb[i * 3 + 2] = static_cast<std::uint8_t>(i);
  }
  return grey;
}

// Skips a chain of data sub-blocks up to and including its zero terminator.
bool SkipSubBlocks(ByteReader& in) {
  for (;;) {
    std::uint8_t length = in.U8();
    if (in.Failed()) return false;
    if (length == 0) return true;
    if (!in.Skip(length)) return false;
  }
}

// Reads LSB-first codes across the image's data sub-blocks. Ends quietly at the
// terminator or at the end of the file.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& in) : in_(in) {}

  // The next code of `size` bits, or -1 when the data has ended.
  int Next(unsigned size) {
    while (bitCount_ < size) {
      if (blockLeft_ == 0) {
        if (ended_) return -1;
        blockLeft_ = in_.U8();
        if (in_.Failed() || blockLeft_ == 0) {
          ended_ = true;
          return -1;
        }
      }
      std::uint8_t byte = in_.U8();
      if (in_.Failed()) {
        ended_ = true;
        return -1;
      }
      --blockLeft_;
      bits_ |= std::uint32_t{byte} << bitCount_;
      bitCount_ += 8;
    }
    int code = static_cast<int>(bits_ & ((1u << size) - 1));
    bits_ >>= size;
    bitCount_ -= size;
    return code;
  }

 private:
  ByteReader& in_;
  std::uint32_t bits_ = 0;
  unsigned bitCount_ = 0;
  std::size_t blockLeft_ = 0;
  bool ended_ = false;
};

// Where the image's pixels go: rows in file order, mapped through the
// interlace passes, clipped to the screen.
class PixelSink {
 public:
  PixelSink(Image& screen, const Palette& palette, std::int32_t width, std::int32_t height,
            bool interlaced)
      : screen_(screen),
        palette_(palette),
        width_(width),
        height_(height),
        interlaced_(interlaced) {}

  // Also true once every row still to come falls below the screen.
  bool Full() const {
    return rowsDone_ >= height_ || (row_ >= screen_.height && (!interlaced_ || pass_ == 3));
  }

  void Put(std::uint16_t index) {
    if (Full()) return;
    if (x_ < screen_.width && row_ < screen_.height) {
      std::uint8_t* out = screen_.Row(row_) + static_cast<std::size_t>(x_) * 4;
      if (index < palette_.count) {
        out[0] = palette_.rgb[index * 3u + 2];
        out[1] = palette_.rgb[index * 3u + 1];
        out[2] = palette_.rgb[index * 3u];
      } else {
        out[0] = out[1] = out[2] = 0;
      }
      out[3] = 255;
    }
    if (++x_ < width_) return;
    x_ = 0;
    ++rowsDone_;
    if (!interlaced_) {
      ++row_;
      return;
    }
    static constexpr std::int32_t kStart[4] = {0, 4, 2, 1};
    static constexpr std::int32_t kStep[4] = {8, 8, 4, 2};
    row_ += kStep[pass_];
    while (row_ >= height_ && pass_ < 3) {
      ++pass_;
      row_ = kStart[pass_];
    }
  }

 private:
  Image& screen_;
  const Palette& palette_;
  std::int32_t width_, height_;
  bool interlaced_;
  std::int32_t x_ = 0, row_ = 0, rowsDone_ = 0;
  int pass_ = 0;
};

// The standard's variable-length LZW. False on a code that is not yet in the table.
bool DecodeLzw(ByteReader& in, unsigned minCodeSize, PixelSink& sink) {
  std::array<std::uint16_t, kMaxCodes> prefix{};
  // Values are palette indexes: up to 11 bits wide with the largest code size.
  std::array<std::uint16_t, kMaxCodes> suffix{};
  std::array<std::uint16_t, kMaxCodes> first{};
  std::array<std::uint16_t, kMaxCodes> stack{};
  const unsigned clear = 1u << minCodeSize;
  const unsigned end = clear + 1;
  for (unsigned i = 0; i < clear; ++i) {
    suffix[i] = first[i] = static_cast<std::uint16_t>(i);
  }
  unsigned next = clear + 2;
  unsigned size = minCodeSize + 1;
  int previous = -1;
  CodeReader codes(in);
  while (!sink.Full()) {
    const int read = codes.Next(size);
    if (read < 0) return true;  // data ended before the end code: keep what there is
    const auto code = static_cast<unsigned>(read);
    if (code == clear) {
      next = clear + 2;
      size = minCodeSize + 1;
      previous = -1;
      continue;
    }
    if (code == end) return true;
    if (previous < 0) {
      if (code >= clear) return false;
      sink.Put(static_cast<std::uint16_t>(code));
      previous = static_cast<int>(code);
      // With minimum code size 1 the next code may already need a wider size.
      if (next >= (1u << size) && size < 12) ++size;
      continue;
    }
    const auto prev = static_cast<unsigned>(previous);
    unsigned walk = code;
    std::size_t depth = 0;
    if (code == next && next < kMaxCodes) {
      stack[depth++] = first[prev];  // the string not yet in the table: prev + its first byte
      walk = prev;
    } else if (code >= next) {
      return false;
    }
    // A chain is at most kMaxCodes long: every entry's prefix is an older entry.
    while (walk >= clear) {
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = static_cast<std::uint16_t>(walk);
    const auto head = static_cast<std::uint16_t>(walk);
    while (depth > 0) sink.Put(stack[--depth]);
    if (next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(prev);
      suffix[next] = head;
      first[next] = first[prev];
      ++next;
      if (next >= (1u << size) && size < 12) ++size;
    }
    previous = static_cast<int>(code);
  }
  return true;
}

}  // namespace

std::optional<Image> DecodeGif(Bytes bytes) {
  ByteReader in(bytes);
  Bytes signature = in.Take(6);
  if (in.Failed()) return std::nullopt;
  const std::string_view magic(reinterpret_cast<const char*>(signature.data()), 6);
  if (magic != "GIF87a" && magic != "GIF89a") return std::nullopt;
  const std::uint16_t screenWidth = in.U16LE();
  const std::uint16_t screenHeight = in.U16LE();
  const std::uint8_t screenFlags = in.U8();
  const std::uint8_t background = in.U8();
  in.U8();  // pixel aspect ratio
  if (in.Failed() || !WithinPictureLimits(screenWidth, screenHeight)) return std::nullopt;
  Palette global;
  if ((screenFlags & 0x80) != 0 && !ReadPalette(in, screenFlags, global)) return std::nullopt;

  // Every turn of the walk consumes at least one byte, so it ends with the data.
  for (;;) {
    const std::uint8_t introducer = in.U8();
    if (in.Failed()) return std::nullopt;
    if (introducer == 0x21) {
      const std::uint8_t label = in.U8();
      if (label != 0x01 && label != 0xF9 && label != 0xFE && label != 0xFF) return std::nullopt;
      if (!SkipSubBlocks(in)) return std::nullopt;
      continue;
    }
    if (introducer != 0x2C) return std::nullopt;  // the trailer, or anything else, before an image

    in.Skip(4);  // the image's position: the picture puts it at the top-left corner
    const std::uint16_t width = in.U16LE();
    const std::uint16_t height = in.U16LE();
    const std::uint8_t flags = in.U8();
    if (in.Failed() || !WithinPictureLimits(width, height)) return std::nullopt;
    Palette local;
    if ((flags & 0x80) != 0 && !ReadPalette(in, flags, local)) return std::nullopt;
    const unsigned minCodeSize = in.U8();
    if (in.Failed() || minCodeSize < 1 || minCodeSize > 11) return std::nullopt;

    auto screen = AllocateImage(screenWidth, screenHeight);
    if (!screen) return std::nullopt;
    std::uint8_t fill[4] = {0, 0, 0, 255};
    if (global.count > background) {
      fill[0] = global.rgb[background * 3u + 2];
      fill[1] = global.rgb[background * 3u + 1];
      fill[2] = global.rgb[background * 3u];
    }
    std::uint8_t* const pixels = screen->pixels.get();
    const std::size_t byteCount = screen->ByteCount();
    for (std::size_t i = 0; i < byteCount; i += 4) std::copy(fill, fill + 4, pixels + i);
    static const Palette grey = GreyPalette();
    const Palette& palette = local.count > 0 ? local : global.count > 0 ? global : grey;
    PixelSink sink(*screen, palette, width, height, (flags & 0x40) != 0);
    if (!DecodeLzw(in, minCodeSize, sink)) return std::nullopt;
    return screen;
  }
}
