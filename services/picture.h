// Win32 edge of the pictures: decoding into a DecodedPicture (icons become
// icon handles), drawing, and device bitmaps.
#pragma once

#include <windows.h>

#include <optional>

#include "services/picture/format.h"
#include "services/picture/image.h"

struct DecodedPicture {
  PictureFormat format = PictureFormat::None;
  std::int32_t width = 0;
  std::int32_t height = 0;
  HICON icon = nullptr;  // Icon and Cursor only
  Image image;           // every other format
};

// A new picture owned by the caller, or nullptr.
DecodedPicture* DecodePicture(const std::uint8_t* bytes, std::int32_t size);
void FreeDecodedPicture(DecodedPicture* picture);
void DrawPicture(HDC dc, const DecodedPicture* picture, COLORREF background, int x, int y,
                 int width, int height);
// A bitmap compatible with the screen, transparent parts white; or nullptr.
HBITMAP DecodeToBitmap(const std::uint8_t* bytes, std::int32_t size);

// Measurement: 0 for anything that cannot be measured.
std::int32_t GetPictureWidth(const Text& path);
std::int32_t GetPictureHeight(const Text& path);
