// BMP: BI_RGB 1/4/8/24/32 bits, one plane; 12-byte OS/2 core header or info header of 16 bytes
// or more (V4, V5). Limits: sides as in image.h; colour table and rows inside the file.
//
// Palette indexes beyond the table are black; the fourth byte of a 32-bit pixel is ignored
// (opaque). A file whose bfSize says it is longer than it is was cut short: no picture.
#include <array>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

namespace {

struct Colour {
  std::uint8_t blue = 0, green = 0, red = 0;
};

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kBiRgb = 0;

struct BmpHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows top-down
  std::uint32_t headerSize = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colourCount = 0;  // biClrUsed
  std::uint32_t pixelOffset = 0;  // bfOffBits
};

std::optional<BmpHeader> ReadHeader(ByteReader& in) {
  BmpHeader h;
  if (in.U8() != 'B' || in.U8() != 'M') return std::nullopt;
  std::uint32_t fileSize = in.U32LE();
  in.Skip(4);
  h.pixelOffset = in.U32LE();
  h.headerSize = in.U32LE();
  if (in.Failed()) return std::nullopt;
  // A file that says it is longer than it is was cut short.
  if (fileSize > in.Size()) return std::nullopt;
  if (h.headerSize == kCoreHeaderSize) {
    h.width = in.U16LE();
    h.height = in.U16LE();
    h.planes = in.U16LE();
    h.bitCount = in.U16LE();
  } else if (h.headerSize >= 16) {
    // Fields the header is too short to hold keep their defaults.
    auto headerEnd = CheckedAdd(kFileHeaderSize, h.headerSize);
    if (!headerEnd) return std::nullopt;
    const std::size_t end = *headerEnd;
    h.width = in.I32LE();
    h.height = in.I32LE();
    h.planes = in.U16LE();
    h.bitCount = in.U16LE();
    if (end >= kFileHeaderSize + 20) h.compression = in.U32LE();
    if (end >= kFileHeaderSize + 36) {
      in.Skip(12);  // biSizeImage and the resolution say nothing the rows need
      h.colourCount = in.U32LE();
    }
    if (in.Failed() || !in.Seek(end)) return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (in.Failed()) return std::nullopt;
  return h;
}

}  // namespace

std::optional<Image> DecodeBmp(Bytes bytes) {
  ByteReader in(bytes);
  auto header = ReadHeader(in);
  if (!header) return std::nullopt;
  const BmpHeader& h = *header;
  if (h.compression != kBiRgb || h.planes != 1) return std::nullopt;
  const unsigned bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const bool topDown = h.height < 0;
  const std::int64_t height = topDown ? -h.height : h.height;
  if (!WithinPictureLimits(h.width, height)) return std::nullopt;

  // Colour table: biClrUsed entries, 2^bits when 0; entries past 2^bits are never used.
  std::array<Colour, 256> palette{};
  if (bits <= 8) {
    const std::size_t entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
    const std::size_t declared = h.colourCount == 0 ? std::size_t{1} << bits : h.colourCount;
    auto tableBytes = CheckedMultiply(declared, entrySize);
    if (!tableBytes || in.Remaining() < *tableBytes) return std::nullopt;
    const std::size_t used =
        declared < (std::size_t{1} << bits) ? declared : std::size_t{1} << bits;
    for (std::size_t i = 0; i < used; ++i) {
      palette[i].blue = in.U8();
      palette[i].green = in.U8();
      palette[i].red = in.U8();
      if (entrySize == 4) in.U8();
    }
  }

  const auto width = static_cast<std::size_t>(h.width);
  const auto rows = static_cast<std::size_t>(height);
  // WithinPictureLimits keeps these far from overflow; checked all the same.
  auto stride = RowBytes(width, bits, 4);
  auto used = RowBytes(width, bits, 1);
  if (!stride || !used) return std::nullopt;
  auto before = CheckedMultiply(*stride, rows - 1);
  if (!before) return std::nullopt;
  auto pixelEnd = CheckedAdd(h.pixelOffset, *before);
  if (!pixelEnd) return std::nullopt;
  pixelEnd = CheckedAdd(*pixelEnd, *used);  // the last row needs no padding
  if (!pixelEnd || *pixelEnd > bytes.size()) return std::nullopt;

  auto image = AllocateImage(static_cast<std::int32_t>(h.width), static_cast<std::int32_t>(height));
  if (!image) return std::nullopt;
  for (std::size_t row = 0; row < rows; ++row) {
    in.Seek(h.pixelOffset + row * *stride);
    Bytes src = in.Peek(*used);
    if (in.Failed()) return std::nullopt;
    const auto y = static_cast<std::int32_t>(topDown ? row : rows - 1 - row);
    std::uint8_t* out = image->Row(y);
    for (std::size_t x = 0; x < width; ++x, out += 4) {
      Colour c;
      if (bits == 24 || bits == 32) {
        const std::size_t at = x * (bits / 8);
        c = {src[at], src[at + 1], src[at + 2]};
      } else {
        const std::size_t bit = x * bits;
        const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
        const std::size_t index = (src[bit / 8] >> shift) & ((1u << bits) - 1);
        c = palette[index];
      }
      out[0] = c.blue;
      out[1] = c.green;
      out[2] = c.red;
      out[3] = 255;
    }
  }
  return image;
}
