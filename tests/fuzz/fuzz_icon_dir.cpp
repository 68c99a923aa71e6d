// Any bytes through ChooseIconEntry: the chosen image lies inside the input
// and has a size within the limits.
#include <cstdlib>

#include "services/picture/byte_reader.h"
#include "services/picture/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto choice = ChooseIconEntry(Bytes(data, size));
  if (choice) {
    if (choice->offset > size || choice->size > size - choice->offset) std::abort();
    if (!WithinPictureLimits(choice->width, choice->height)) std::abort();
  }
  return 0;
}
