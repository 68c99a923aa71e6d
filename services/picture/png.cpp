// PNG through libpng's simplified reading interface: every colour type and
// bit depth, converted by libpng to 8-bit blue, green, red, straight alpha.
// Limits: the picture limits of image.h, checked on the header before the
// pixels are allocated; a file libpng reports as corrupt gives no picture.
#include <png.h>

#include <cstring>

#include "services/picture/readers.h"

namespace {

// Frees libpng's state however the read ends.
struct PngImage {
  png_image image;
  PngImage() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

std::optional<Image> DecodePng(Bytes bytes) {
  if (bytes.empty()) return std::nullopt;
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) {
    return std::nullopt;
  }
  if (png.image.width == 0 || png.image.height == 0 ||
      png.image.width > static_cast<png_uint_32>(kMaxPictureSide) ||
      png.image.height > static_cast<png_uint_32>(kMaxPictureSide)) {
    return std::nullopt;
  }
  std::optional<Image> picture = AllocateImage(static_cast<std::int32_t>(png.image.width),
                                               static_cast<std::int32_t>(png.image.height));
  if (!picture) return std::nullopt;

  png.image.format = PNG_FORMAT_BGRA;
  png_int_32 stride = static_cast<png_int_32>(png.image.width) * 4;
  if (!png_image_finish_read(&png.image, nullptr, picture->pixels.get(), stride, nullptr)) {
    return std::nullopt;
  }
  return picture;
}
