// Transparency laid over a background with the single-precision rule.
#include <string>

#include "services/picture/composite.h"
#include "tests/support/check.h"

TEST(CompositeChannelFollowsTheSinglePrecisionRule) {
  // Alpha 0 is the background, exactly, whatever the colour.
  bool exact = true;
  for (int background = 0; background < 256; ++background) {
    for (int colour : {0, 1, 127, 128, 254, 255}) {
      exact = exact && CompositeChannel(static_cast<std::uint8_t>(colour), 0,
                                        static_cast<std::uint8_t>(background)) == background;
    }
  }
  CHECK(exact);

  struct Row {
    std::uint8_t colour, alpha, background, expected;
  } rows[] = {
      {0, 128, 255, 126},    // half-transparent black over white: truncated, not rounded
      {255, 128, 0, 128},    // 255 x 0.50196 lands just above 128
      {0, 1, 255, 254},      // 255 x (1 - 1/255) = 254.0 less a hair
      {200, 254, 100, 199},  // nearly opaque keeps nearly the colour
      {255, 200, 255, 255},  // never above 255
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(std::to_string(row.colour) + " alpha " + std::to_string(row.alpha) + " over " +
                  std::to_string(row.background));
    CHECK_EQ(CompositeChannel(row.colour, row.alpha, row.background), row.expected);
  }
}

TEST(CompositeLeavesOpaquePixelsAndAlphaAlone) {
  auto image = AllocateImage(3, 1);
  CHECK(image.has_value());
  if (!image) return;
  const std::uint8_t pixels[12] = {10, 20, 30, 255, 0, 0, 0, 128, 40, 50, 60, 0};
  for (int i = 0; i < 12; ++i) image->pixels[static_cast<std::size_t>(i)] = pixels[i];
  CompositeOverBackground(*image, 255, 255, 255);  // blue, green, red
  const std::uint8_t expected[12] = {10, 20, 30, 255, 126, 126, 126, 128, 255, 255, 255, 0};
  for (int i = 0; i < 12; ++i) {
    CHECK_CONTEXT("byte " + std::to_string(i));
    CHECK_EQ(image->pixels[static_cast<std::size_t>(i)], expected[i]);
  }
}
