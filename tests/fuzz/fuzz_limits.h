// Inputs the fuzzers pass over: a GIF screen or PCX picture of more than 256 K
// pixels declared in a few header bytes. Such a picture is valid up to the
// readers' limits and costs up to 256 MiB and a second to fill; the limits
// themselves are covered by the unit tests, and skipping these keeps the
// fuzzers fast.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "services/picture/byte_reader.h"
#include "services/picture/image.h"

inline bool DeclaresHugePicture(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint32_t kMaxFuzzPixels = 1u << 18;
  auto u16 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8);
  };
  if (size >= 10 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F') {
    return u16(6) * u16(8) > kMaxFuzzPixels;
  }
  if (size >= 12 && data[0] == 0x0A) {
    const std::uint32_t width = u16(8) >= u16(4) ? u16(8) - u16(4) + 1 : 0;
    const std::uint32_t height = u16(10) >= u16(6) ? u16(10) - u16(6) + 1 : 0;
    return static_cast<std::uint64_t>(width) * height > kMaxFuzzPixels;
  }
  return false;
}

// What every reader's fuzzer asks of a decoded picture: sides and pixel count
// within the readers' limits, and every byte readable, so that a block shorter
// than the picture shows under ASan.
inline volatile unsigned g_pixelSum = 0;

inline void CheckDecodedPicture(const std::optional<Image>& image) {
  if (!image) return;
  if (!WithinPictureLimits(image->width, image->height)) std::abort();
  const std::uint8_t* pixels = image->pixels.get();
  const std::size_t count = image->ByteCount();
  unsigned sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += pixels[i];
  g_pixelSum = sum;
}
