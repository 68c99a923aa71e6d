// The GIF player on any bytes: open, then play every frame and start over once.
#include <cstddef>
#include <cstdint>

#include "services/picture/gif_animation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto animation = GifAnimation::Open(Bytes(data, size));
  if (!animation) return 0;
  auto canvas = AllocateImage(animation->width(), animation->height());
  if (!canvas) return 0;
  for (std::size_t i = 0; i <= animation->FrameCount(); ++i) animation->ShowNext(*canvas);
  return 0;
}
