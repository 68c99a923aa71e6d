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
// The size DecodeJpeg gives, by the same decode with the pixels thrown away:
// nothing exactly where DecodeJpeg gives nothing, save for want of memory
// for the picture itself, which is never taken.
struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
std::optional<PictureSize> MeasureJpeg(Bytes bytes);
std::optional<Image> DecodePng(Bytes bytes);

// Icons and cursors are made by the platform; the portable part picks the
// directory entry (the first whose colour count is 16 or more and whose width
// is 32, else the last) and checks that its image lies inside the file: a DIB
// must hold its header, colour table, colour bitmap and mask, a PNG must open
// with its IHDR chunk.
struct IconChoice {
  std::size_t offset = 0;      // of the chosen image in the file
  std::size_t size = 0;        // dwBytesInRes
  std::int32_t width = 0;      // the image's biWidth, or the PNG's IHDR width
  std::int32_t height = 0;     // the image's biHeight / 2, or the PNG's IHDR height
  std::uint16_t bitCount = 0;  // 32 for a PNG image
  bool png = false;            // the image is PNG-compressed
};
std::optional<IconChoice> ChooseIconEntry(Bytes bytes);

// The portable dispatch: recognises the format from the leading bytes and
// decodes BMP, JPEG, PNG, GIF and both kinds of PCX. Icons, cursors and
// unrecognised bytes give nothing (the platform makes icons).
std::optional<Image> DecodeImage(Bytes bytes);
