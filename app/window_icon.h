// The window's icons, made from the bytes of an icon file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "services/picture/image.h"

// The directory entry of an icon file that gives the icon of the asked width:
// the first entry whose colour-count byte is 16 or more and whose width byte
// is width, else the last entry. Nothing when the directory is bad, cut
// short, or the chosen image does not lie inside the file.
struct IconEntry {
  std::size_t offset = 0;
  std::size_t size = 0;
  std::int32_t width = 0;   // the image's biWidth
  std::int32_t height = 0;  // the image's biHeight / 2
  std::uint16_t bitCount = 0;
};
std::optional<IconEntry> ChooseIconForWidth(Bytes ico, int width);

// An icon made from the chosen entry with CreateIconFromResourceEx, or else
// (an image of other than 16 bits) CreateIconFromResource; nullptr on
// failure. The caller destroys it.
HICON MakeIconForWidth(Bytes ico, int width);
