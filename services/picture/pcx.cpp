// PCX: run-length coded, one plane of 8 bits (palette after the marker 12 at the end) or 1 bit.
// Limits: sides as in image.h; bytes per line must cover the width, or no picture.
//
// Where the format leaves the picture open:
//  - a 1-bit picture is black (bit 0) and white (bit 1), whatever the header's 16-colour table
//    holds, as the monochrome bitmap the program draws it with shows it;
//  - an 8-bit picture without the palette at the end is shown in shades of grey (index i is
//    grey i);
//  - coded data that ends before the last row keeps the rows decoded so far; the rest is black.
//  - a count byte of exactly 0xC0 is a run of nothing, as the format's two-bit flag makes it.
#include <array>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 1 + 256 * 3;  // the marker 12, then red, green, blue

// Expands the run-length coded stream into scan lines, one at a time. Runs may
// go on from one scan line into the next.
class RunReader {
 public:
  explicit RunReader(Bytes data) : in_(data) {}

  // Fills `line` and says whether the data held all of it.
  bool ReadLine(std::span<std::uint8_t> line) {
    for (std::uint8_t& out : line) {
      while (runLeft_ == 0) {
        std::uint8_t byte = in_.U8();
        if (in_.Failed()) return false;
        if (byte >= 0xC0) {
          runLeft_ = byte - 0xC0u;
          runValue_ = in_.U8();
          if (in_.Failed()) return false;
        } else {
          runLeft_ = 1;
          runValue_ = byte;
        }
      }
      out = runValue_;
      --runLeft_;
    }
    return true;
  }

 private:
  ByteReader in_;
  unsigned runLeft_ = 0;
  std::uint8_t runValue_ = 0;
};

}  // namespace

std::optional<Image> DecodePcx(Bytes bytes) {
  if (bytes.size() <= kHeaderSize) return std::nullopt;
  ByteReader in(bytes);
  const std::uint8_t manufacturer = in.U8();
  in.U8();  // version
  const std::uint8_t encoding = in.U8();
  const std::uint8_t bits = in.U8();
  const std::uint16_t xmin = in.U16LE(), ymin = in.U16LE();
  const std::uint16_t xmax = in.U16LE(), ymax = in.U16LE();
  in.Seek(65);
  const std::uint8_t planes = in.U8();
  const std::uint16_t bytesPerLine = in.U16LE();
  if (in.Failed() || manufacturer != 0x0A || encoding != 1 || planes != 1) return std::nullopt;
  if (bits != 8 && bits != 1) return std::nullopt;
  if (xmax < xmin || ymax < ymin) return std::nullopt;
  const std::int32_t width = xmax - xmin + 1;
  const std::int32_t height = ymax - ymin + 1;
  if (!WithinPictureLimits(width, height)) return std::nullopt;
  const std::size_t needed =
      bits == 8 ? static_cast<std::size_t>(width) : (static_cast<std::size_t>(width) + 7) / 8;
  if (bytesPerLine < needed) return std::nullopt;

  std::array<std::uint8_t, 256 * 3> rgb{};
  Bytes data = bytes.subspan(kHeaderSize);
  if (bits == 8) {
    const bool hasPalette =
        bytes.size() >= kHeaderSize + kPaletteSize && bytes[bytes.size() - kPaletteSize] == 12;
    if (hasPalette) {
      Bytes table = bytes.last(kPaletteSize - 1);
      std::copy(table.begin(), table.end(), rgb.begin());
      data = data.first(data.size() - kPaletteSize);
    } else {
      for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i / 3);
    }
  } else {
    rgb[3] = rgb[4] = rgb[5] = 255;  // index 1 white, index 0 black
  }

  auto image = AllocateImage(width, height);
  if (!image) return std::nullopt;
  std::array<std::uint8_t, 65535> line{};
  RunReader runs(data);
  bool complete = true;
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* out = image->Row(y);
    if (complete) complete = runs.ReadLine(std::span(line).first(bytesPerLine));
    for (std::int32_t x = 0; x < width; ++x, out += 4) {
      const auto ux = static_cast<std::size_t>(x);
      std::size_t index = 0;
      if (complete) index = bits == 8 ? line[ux] : (line[ux / 8] >> (7 - ux % 8)) & 1u;
      out[0] = complete ? rgb[index * 3 + 2] : 0;
      out[1] = complete ? rgb[index * 3 + 1] : 0;
      out[2] = complete ? rgb[index * 3] : 0;
      out[3] = 255;
    }
  }
  return image;
}
