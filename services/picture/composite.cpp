#include "services/picture/composite.h"

namespace {

// The x87 unit keeps more precision than a float holds; going through memory
// rounds each step to single precision as SSE does, so both builds give the
// same bytes.
inline float Single(float value) {
#if defined(__i386__) && !defined(__SSE2_MATH__)
  volatile float stored = value;
  return stored;
#else
  return value;
#endif
}

}  // namespace

std::uint8_t CompositeChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background) {
  const float weight = Single(static_cast<float>(alpha) * 0.003921569f);
  const float front = Single(static_cast<float>(colour) * weight);
  const float back = Single(static_cast<float>(background) * Single(1.0f - weight));
  const float sum = Single(front + back);
  if (!(sum > 0.0f)) return 0;
  if (sum >= 255.0f) return 255;
  return static_cast<std::uint8_t>(sum);  // truncates towards zero
}

void CompositeOverBackground(Image& image, std::uint8_t blue, std::uint8_t green,
                             std::uint8_t red) {
  if (!image.pixels) return;
  std::uint8_t* pixel = image.pixels.get();
  std::uint8_t* const end = pixel + image.ByteCount();
  for (; pixel != end; pixel += 4) {
    const std::uint8_t alpha = pixel[3];
    if (alpha == 255) continue;
    pixel[0] = CompositeChannel(pixel[0], alpha, blue);
    pixel[1] = CompositeChannel(pixel[1], alpha, green);
    pixel[2] = CompositeChannel(pixel[2], alpha, red);
  }
}
