// Win32 edge of the pictures: decoding into a DecodedPicture (icons become
// icon handles), drawing, device bitmaps, and measuring a picture file.
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/picture/format.h"
#include "services/picture/image.h"
#include "services/text.h"

struct DecodedPicture {
  PictureFormat format = PictureFormat::None;
  std::int32_t width = 0;
  std::int32_t height = 0;
  HICON icon = nullptr;  // Icon and Cursor only
  Image image;           // every other format: top-down BGRA, straight alpha
};

// A new picture owned by the caller, or nullptr: fewer than 8 bytes, bytes of
// no known format, or a reader or the icon functions that fail. The bytes are
// only read.
DecodedPicture* DecodePicture(const std::uint8_t* bytes, std::int32_t size);
// Destroys the icon, frees the pixels and the record; nullptr does nothing.
void FreeDecodedPicture(DecodedPicture* picture);
// Draws the picture stretched over (x, y, width, height); a PNG's transparent
// parts over background (0x00BBGGRR). Draws nothing when a bitmap cannot be
// made.
void DrawPicture(HDC dc, const DecodedPicture* picture, COLORREF background, int x, int y,
                 int width, int height);
// A bitmap compatible with the screen, of the picture's size, transparent
// parts white; a 1-bit PCX gives a monochrome bitmap. nullptr when there is
// no picture. The caller deletes it with DeleteObject.
HBITMAP DecodeToBitmap(const std::uint8_t* bytes, std::int32_t size);
// For callers that only want the size: the bitmap DecodeToBitmap makes, of
// the same size and format, but a colour picture's pixels are never copied
// into it (their contents are unset). nullptr when there is no picture.
HBITMAP DecodeToBlankBitmap(const std::uint8_t* bytes, std::int32_t size);

// Measurement: the size of the bitmap the file's picture makes (the
// platform's bitmap loader is the fallback); 0 for anything that cannot be
// measured. Each call reads and decodes the file afresh.
std::int32_t GetPictureWidth(const Text& path);
std::int32_t GetPictureHeight(const Text& path);
