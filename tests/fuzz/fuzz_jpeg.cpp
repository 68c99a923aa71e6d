// Any bytes through DecodeJpeg: no crash, no overrun, no leak, no hang, and a
// picture only within the size limits whose every pixel can be read; and
// MeasureJpeg agrees with it.
//
// A frame header declaring more than 256 K pixels is passed over: the decoder
// fills such a picture in full from a few bytes (a truncated file decodes at
// its full size), which costs seconds under the sanitizers and tests nothing
// new; the size limits themselves are covered by the unit tests.
#include <cstdlib>

#include "services/picture/readers.h"
#include "tests/fuzz/fuzz_limits.h"

namespace {

bool DeclaresHugeFrame(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint64_t kMaxFuzzPixels = 1u << 18;
  for (std::size_t i = 0; i + 8 < size; ++i) {
    if (data[i] != 0xFF) continue;
    const std::uint8_t marker = data[i + 1];
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (!frame) continue;
    const std::uint64_t height = std::uint64_t{data[i + 5]} << 8 | data[i + 6];
    const std::uint64_t width = std::uint64_t{data[i + 7]} << 8 | data[i + 8];
    if (width * height > kMaxFuzzPixels) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (DeclaresHugeFrame(data, size)) return 0;
  auto image = DecodeJpeg(Bytes(data, size));
  // A measurement gives the same outcome and size without the pixels.
  auto measured = MeasureJpeg(Bytes(data, size));
  if (measured.has_value() != image.has_value()) std::abort();
  if (image && (measured->width != image->width || measured->height != image->height)) {
    std::abort();
  }
  CheckDecodedPicture(image);
  return 0;
}
