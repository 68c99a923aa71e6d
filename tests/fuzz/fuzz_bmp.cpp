// Any bytes through DecodeBmp: no crash, no overrun, no hang, and a picture only
// within the size limits whose every pixel can be read.
#include <cstdlib>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

volatile unsigned g_pixelSum = 0;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto image = DecodeBmp(Bytes(data, size));
  if (image) {
    if (!WithinPictureLimits(image->width, image->height)) std::abort();
    // Reads every byte, so a picture with a short block shows under ASan.
    const std::uint8_t* pixels = image->pixels.get();
    const std::size_t count = image->ByteCount();
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += pixels[i];
    g_pixelSum = sum;
  }
  return 0;
}
