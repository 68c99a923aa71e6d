#include "services/picture/format.h"

#include <cstring>

#include "services/picture/byte_reader.h"

namespace {

bool StartsWith(Bytes bytes, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  return bytes.size() >= n && std::memcmp(bytes.data(), prefix, n) == 0;
}

}  // namespace

PictureFormat DetectPictureFormat(Bytes bytes) {
  if (bytes.size() < 8) return PictureFormat::None;
  const std::uint8_t* b = bytes.data();
  if (b[0] == 0x42 && b[1] == 0x4D) return PictureFormat::Bmp;
  if (b[0] == 0xFF && b[1] == 0xD8) return PictureFormat::Jpeg;
  if (b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E && b[3] == 0x47) return PictureFormat::Png;
  ByteReader words(bytes);
  std::uint16_t reserved = words.U16LE();
  std::uint16_t type = words.U16LE();
  std::uint16_t count = words.U16LE();
  if (reserved == 0 && type == 1 && count > 0) return PictureFormat::Icon;
  if (reserved == 0 && type == 2 && count > 0) return PictureFormat::Cursor;
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a")) return PictureFormat::Gif;
  if (b[0] == 0x0A && b[1] <= 5 && b[2] == 0x01 && b[3] == 0x08) return PictureFormat::Pcx8;
  if (b[0] == 0x0A && b[1] == 0x03 && b[2] == 0x01 && b[3] == 0x01) return PictureFormat::Pcx1;
  return PictureFormat::None;
}

const char* PictureFormatName(PictureFormat format) {
  switch (format) {
    case PictureFormat::None:
      return "None";
    case PictureFormat::Bmp:
      return "Bmp";
    case PictureFormat::Jpeg:
      return "Jpeg";
    case PictureFormat::Png:
      return "Png";
    case PictureFormat::Icon:
      return "Icon";
    case PictureFormat::Cursor:
      return "Cursor";
    case PictureFormat::Gif:
      return "Gif";
    case PictureFormat::Pcx8:
      return "Pcx8";
    case PictureFormat::Pcx1:
      return "Pcx1";
  }
  return "None";
}
