#include "services/picture/image.h"

#include "services/picture/byte_reader.h"

std::optional<Image> AllocateImage(std::int32_t width, std::int32_t height, PixelFill fill) {
  if (!WithinPictureLimits(width, height)) return std::nullopt;
  // The limits keep width * height * 4 far inside std::size_t, also on 32-bit.
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  void* block = fill == PixelFill::Zero ? std::calloc(pixels, 4) : std::malloc(pixels * 4);
  if (block == nullptr) return std::nullopt;
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.reset(static_cast<std::uint8_t*>(block));
  return image;
}
