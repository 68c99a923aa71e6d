// Any bytes through DecodeGif: no crash, no overrun, no hang, and a picture only
// within the size limits whose every pixel can be read.
#include <cstdlib>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"
#include "tests/fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (DeclaresHugePicture(data, size)) return 0;
  auto image = DecodeGif(Bytes(data, size));
  CheckDecodedPicture(image);
  return 0;
}
