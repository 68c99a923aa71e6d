// Inputs the fuzzers pass over: a GIF screen or PCX picture of more than 256 K
// pixels declared in a few header bytes. Such a picture is valid up to the
// readers' limits and costs up to 256 MiB and a second to fill; the limits
// themselves are covered by the unit tests, and skipping these keeps the
// fuzzers fast.
#pragma once

#include <cstddef>
#include <cstdint>

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
