// A decoded picture in memory: top-down rows of 32-bit pixels, bytes blue,
// green, red, alpha (straight alpha), no padding between rows.
//
// Pixel memory comes from malloc, never from operator new: a picture too
// large to allocate is "no picture", quietly, not the fatal report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>

// Limits every reader applies before it allocates: no side above
// kMaxPictureSide and no more than kMaxPicturePixels pixels (256 MiB of BGRA).
inline constexpr std::int32_t kMaxPictureSide = 65535;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

struct FreeDeleter {
  void operator()(void* block) const { std::free(block); }
};

struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::unique_ptr<std::uint8_t[], FreeDeleter> pixels;  // width * height * 4 bytes

  std::uint8_t* Row(std::int32_t y) {
    return pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
  }
  const std::uint8_t* Row(std::int32_t y) const {
    return pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
  }
  std::size_t ByteCount() const {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  }
};

// What a new picture's pixels hold: zeros, or whatever the memory held, for
// a caller that writes every pixel before anyone reads one.
enum class PixelFill { Zero, None };

// A width x height picture with pixels as fill says, or nothing when a side
// is not positive, the limits above are passed, or memory cannot be had.
std::optional<Image> AllocateImage(std::int32_t width, std::int32_t height,
                                   PixelFill fill = PixelFill::Zero);

using Bytes = std::span<const std::uint8_t>;
