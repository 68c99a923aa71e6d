#include "app/window_icon.h"

#include "services/picture/byte_reader.h"

std::optional<IconEntry> ChooseIconForWidth(Bytes ico, int width) {
  ByteReader in(ico);
  std::uint16_t reserved = in.U16LE();
  std::uint16_t type = in.U16LE();
  std::uint16_t count = in.U16LE();
  if (in.Failed() || reserved != 0 || type != 1 || count == 0) return std::nullopt;
  if (ico.size() < 6 + std::size_t{count} * 16) return std::nullopt;

  std::size_t chosen = count - 1u;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = ico.data() + 6 + i * 16;
    if (entry[2] >= 16 && entry[0] == width) {
      chosen = i;
      break;
    }
  }
  in.Seek(6 + chosen * 16 + 8);
  IconEntry result;
  result.size = in.U32LE();
  result.offset = in.U32LE();
  auto end = CheckedAdd(result.offset, result.size);
  if (in.Failed() || result.size < 40 || !end || *end > ico.size()) return std::nullopt;
  in.Seek(result.offset + 4);
  result.width = in.I32LE();
  result.height = in.I32LE() / 2;
  in.Skip(2);  // planes
  result.bitCount = in.U16LE();
  return result;
}

HICON MakeIconForWidth(Bytes ico, int width) {
  std::optional<IconEntry> entry = ChooseIconForWidth(ico, width);
  if (!entry) return nullptr;
  // The functions take a writable pointer but only read the image.
  auto* image = const_cast<PBYTE>(ico.data() + entry->offset);
  const auto size = static_cast<DWORD>(entry->size);
  HICON icon = CreateIconFromResourceEx(image, size, TRUE, 0x00030000, entry->width, entry->height,
                                        LR_DEFAULTCOLOR);
  if (icon == nullptr && entry->bitCount != 16) {
    icon = CreateIconFromResource(image, size, TRUE, 0x00030000);
  }
  return icon;
}
