// PNG through libpng's simplified reading interface: every colour type and
// bit depth, converted by libpng to 8-bit blue, green, red, straight alpha.
// Limits: the picture limits of image.h, checked on the header before the
// pixels are allocated; a file libpng reports as corrupt gives no picture,
// and so does one with a chunk before the image data that runs past the end
// of the file (see ChunksBeforeImageFit).
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

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// libpng reads each chunk before the image data whole, into a block it
// allocates and clears at the length the chunk declares: a 100-byte file can
// make it take and clear 2 GiB before it finds that the file ends first. Such
// a file would fail in libpng anyway, so it is refused here beforehand. The
// chunks after the first IDAT are read piecemeal, or not at all.
bool ChunksBeforeImageFit(Bytes bytes) {
  std::size_t at = 8;  // past the signature
  while (bytes.size() - at >= 8) {
    const std::uint32_t length = BigEndian32(bytes.data() + at);
    if (std::memcmp(bytes.data() + at + 4, "IDAT", 4) == 0) return true;
    const std::size_t left = bytes.size() - at - 8;
    if (length > left) return false;
    if (left - length < 4) return true;  // no room for another chunk: libpng decides
    at += 12 + std::size_t{length};
  }
  return true;
}

}  // namespace

std::optional<Image> DecodePng(Bytes bytes) {
  if (bytes.size() < 8 || !ChunksBeforeImageFit(bytes)) return std::nullopt;
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
