// Any bytes through DecodePng: no crash, no overrun, no leak, no hang, and a
// picture only within the size limits whose every pixel can be read, with
// the size its header declares.
//
// A header declaring more than 4 M pixels is passed over to keep each run
// small; the size limits themselves are covered by the unit tests.
#include <cstdlib>

#include "services/picture/readers.h"
#include "tests/fuzz/fuzz_limits.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint64_t width = 0, height = 0;
  if (size >= 24) {
    width = BigEndian32(data + 16);
    height = BigEndian32(data + 20);
    if (width * height > (1u << 22)) return 0;
  }
  auto image = DecodePng(Bytes(data, size));
  if (image) {
    if (static_cast<std::uint64_t>(image->width) != width ||
        static_cast<std::uint64_t>(image->height) != height) {
      std::abort();
    }
  }
  CheckDecodedPicture(image);
  return 0;
}
