// Lays a picture with transparency over an opaque background colour, the way
// PNG pictures are shown.
#pragma once

#include <cstdint>

#include "services/picture/image.h"

// One channel: with w = alpha x 0.003921569 (1/255 as a single-precision
// float), trunc(colour x w + background x (1 - w)), clamped to 0..255.
// Alpha 0 gives the background exactly; 128 of black over white gives 126.
std::uint8_t CompositeChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background);

// Every pixel whose alpha is below 255 becomes its composite over the
// background; opaque pixels are left alone. Alpha itself is not changed.
void CompositeOverBackground(Image& image, std::uint8_t blue, std::uint8_t green, std::uint8_t red);
