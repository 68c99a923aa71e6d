// GIF animation: every image of a GIF87a/89a file as a frame composed on the
// logical screen, with its delay, disposal and transparency, and the loop
// count of the NETSCAPE2.0 application extension.
//
// Limits: at most kMaxGifFrames frames, a canvas of at most kMaxGifCanvasPixels
// pixels, no frame larger than the canvas limit, and at most
// kMaxGifFramePixelsTotal pixels summed over all frames; a file past a limit
// plays only the frames before it. Frames outside the logical screen are
// clipped. The bytes are only read and must outlive the animation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "services/picture/image.h"

inline constexpr std::size_t kMaxGifFrames = 2048;
inline constexpr std::int64_t kMaxGifCanvasPixels = std::int64_t{1} << 22;
inline constexpr std::int64_t kMaxGifFramePixelsTotal = std::int64_t{1} << 26;
// Delays below 20 ms are shown for 100 ms, as browsers do.
inline constexpr std::uint32_t kGifDefaultDelayMs = 100;

struct GifFrame {
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::uint32_t delayMs = kGifDefaultDelayMs;
  std::uint8_t disposal = 0;      // 0, 1: keep; 2: clear to transparent; 3: restore
  std::int32_t transparent = -1;  // palette index, or -1
  bool interlaced = false;
  std::size_t paletteOffset = 0;   // colour table of the frame (local, else global)
  std::size_t paletteEntries = 0;  // 0: no table, every pixel black
  std::size_t dataOffset = 0;      // the LZW minimum code size byte
};

class GifAnimation {
 public:
  // The frames of a GIF, or nothing when the bytes are no GIF, the logical
  // screen passes the limits, or no image can be found.
  static std::optional<GifAnimation> Open(Bytes bytes);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  std::size_t FrameCount() const { return frames_.size(); }
  const GifFrame& Frame(std::size_t index) const { return frames_[index]; }
  // 0: for ever; otherwise how many times the whole sequence plays.
  std::uint32_t PlayCount() const { return playCount_; }

  // Composes the next frame onto canvas (width() x height(), as AllocateImage
  // gives it) after disposing of the one before; the first frame starts from
  // a transparent canvas. Returns the index of the frame now shown. Bad or
  // short image data draws what it decoded.
  std::size_t ShowNext(Image& canvas);
  // Whether the frame just shown is the last one to be shown (the plays are used up).
  bool Finished() const;

 private:
  GifAnimation() = default;
  void DrawFrame(const GifFrame& frame, Image& canvas);
  void Dispose(const GifFrame& frame, Image& canvas);

  Bytes bytes_;
  std::int32_t width_ = 0, height_ = 0;
  std::vector<GifFrame> frames_;
  std::uint32_t playCount_ = 1;

  std::size_t next_ = 0;         // frame to show next
  std::uint32_t playsDone_ = 0;  // complete plays of the sequence
  bool started_ = false;
  std::vector<std::uint8_t> saved_;  // canvas under a frame that restores it
};
