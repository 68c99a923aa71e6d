// The portable picture readers. Each takes the whole file's bytes and gives
// the picture as an Image, or nothing; none of them crashes, hangs or
// allocates without limit on any input.
#pragma once

#include <optional>

#include "services/picture/image.h"

std::optional<Image> DecodeBmp(Bytes bytes);
// The logical screen with the first image at its top-left corner.
std::optional<Image> DecodeGif(Bytes bytes);
std::optional<Image> DecodePcx(Bytes bytes);  // 8-bit and 1-bit, one plane
std::optional<Image> DecodeJpeg(Bytes bytes);
std::optional<Image> DecodePng(Bytes bytes);

// Icons and cursors are made by the platform; the portable part picks the
// directory entry and checks that its image lies inside the file.
struct IconChoice {
  std::size_t offset = 0;  // of the chosen image in the file
  std::size_t size = 0;    // dwBytesInRes
  std::int32_t width = 0;  // the image's biWidth (0 when it is a PNG image)
  std::int32_t height = 0; // the image's biHeight / 2
  std::uint16_t bitCount = 0;
};
std::optional<IconChoice> ChooseIconEntry(Bytes bytes);
