// Picture measurement: the size of the device bitmap a file's picture makes.
// The platform's own bitmap loader is the second chance for BMP files the
// program's reader refuses (RLE, 16 bits per pixel, bit fields).
#include <cstring>

#include "services/files.h"
#include "services/picture.h"
#include "services/win32_handles.h"

namespace {

BITMAP MeasurePicture(const Text& path) {
  BITMAP size;
  std::memset(&size, 0, sizeof size);
  const ByteBuffer bytes = ReadWholeFile(path);
  UniqueBitmap bitmap;
  // Only the bitmap's size is read, so its pixels are never filled in.
  if (!bytes.empty()) bitmap.reset(DecodeToBlankBitmap(bytes.data(), bytes.size()));
  if (!bitmap) {
    bitmap.reset(
        static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), path.c_str(), IMAGE_BITMAP, 0, 0,
                                        LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  }
  if (!bitmap) return size;
  if (GetObjectA(bitmap.get(), sizeof size, &size) == 0) std::memset(&size, 0, sizeof size);
  return size;
}

}  // namespace

std::int32_t GetPictureWidth(const Text& path) { return MeasurePicture(path).bmWidth; }

std::int32_t GetPictureHeight(const Text& path) { return MeasurePicture(path).bmHeight; }
