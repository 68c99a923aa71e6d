// ICO/CUR directory: picks the image the platform makes the icon from. A DIB image must hold its
// table, colour bitmap and mask in dwBytesInRes; a PNG image must open with IHDR. Sides: image.h.
//
// A PNG image's size is its IHDR width and height (not halved: it has no mask).
#include <cstring>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A PNG image: its size comes from the IHDR chunk that must follow the signature.
bool ReadPngImage(Bytes image, IconChoice& choice) {
  ByteReader in(image);
  in.Skip(sizeof kPngSignature);
  const std::uint32_t length = in.U32BE();
  Bytes type = in.Take(4);
  const std::uint32_t width = in.U32BE();
  const std::uint32_t height = in.U32BE();
  if (in.Failed() || length != 13 || std::memcmp(type.data(), "IHDR", 4) != 0) return false;
  if (!WithinPictureLimits(width, height)) return false;
  choice.png = true;
  choice.width = static_cast<std::int32_t>(width);
  choice.height = static_cast<std::int32_t>(height);
  choice.bitCount = 32;
  return true;
}

// A DIB image: the info header, then the colour table, the colour bitmap and
// the 1-bit mask, the two bitmaps each biHeight / 2 rows.
bool ReadDibImage(Bytes image, IconChoice& choice) {
  ByteReader in(image);
  const std::uint32_t headerSize = in.U32LE();
  const std::int32_t width = in.I32LE();
  const std::int32_t height = in.I32LE() / 2;
  in.U16LE();  // planes
  const std::uint16_t bits = in.U16LE();
  in.Skip(12);  // compression, image size, horizontal resolution
  in.Skip(4);   // vertical resolution
  const std::uint32_t colourCount = in.U32LE();
  if (in.Failed() || headerSize < kInfoHeaderSize) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (!WithinPictureLimits(width, height)) return false;
  const std::size_t colours = bits > 8           ? 0
                              : colourCount != 0 ? colourCount
                                                 : std::size_t{1} << bits;
  const auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  auto colourRow = RowBytes(w, bits, 4), maskRow = RowBytes(w, 1, 4);
  if (!colourRow || !maskRow) return false;
  auto table = CheckedMultiply(colours, 4);
  auto colourBitmap = CheckedMultiply(*colourRow, h);
  auto mask = CheckedMultiply(*maskRow, h);
  if (!table || !colourBitmap || !mask) return false;
  auto total = CheckedAdd(headerSize, *table);
  if (total) total = CheckedAdd(*total, *colourBitmap);
  if (total) total = CheckedAdd(*total, *mask);
  if (!total || *total > image.size()) return false;
  choice.width = width;
  choice.height = height;
  choice.bitCount = bits;
  return true;
}

}  // namespace

std::optional<IconChoice> ChooseIconEntry(Bytes bytes) {
  ByteReader in(bytes);
  const std::uint16_t reserved = in.U16LE();
  const std::uint16_t type = in.U16LE();
  const std::uint16_t count = in.U16LE();
  if (in.Failed() || reserved != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;
  if (bytes.size() < kDirectoryHeaderSize + kEntrySize * count) return std::nullopt;

  std::size_t chosen = count - 1u;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = bytes.data() + kDirectoryHeaderSize + kEntrySize * i;
    if (entry[2] >= 16 && entry[0] == 32) {
      chosen = i;
      break;
    }
  }
  in.Seek(kDirectoryHeaderSize + kEntrySize * chosen + 8);
  const std::uint32_t size = in.U32LE();
  const std::uint32_t offset = in.U32LE();
  if (in.Failed() || offset > bytes.size() || size > bytes.size() - offset) return std::nullopt;

  IconChoice choice;
  choice.offset = offset;
  choice.size = size;
  Bytes image = bytes.subspan(offset, size);
  const bool png = image.size() >= sizeof kPngSignature &&
                   std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0;
  if (!(png ? ReadPngImage(image, choice) : ReadDibImage(image, choice))) return std::nullopt;
  return choice;
}
