// 图片框1: the box that shows one picture stretched over its client area.
//
// It owns a copy of the bytes it was given and the picture decoded from them
// once. A GIF with more than one frame is played instead: its frames are
// composed on a canvas the size of the logical screen and stepped by a timer
// on the GUI thread.
#pragma once

#include <windows.h>

#include <optional>

#include "services/picture.h"
#include "services/picture/gif_animation.h"
#include "services/text.h"

class PictureBox {
 public:
  static constexpr const char* kClassName = "VerandelPictureBox";

  PictureBox() = default;
  ~PictureBox();
  PictureBox(const PictureBox&) = delete;
  PictureBox& operator=(const PictureBox&) = delete;

  // Creates the box hidden as a child of parent.
  bool Create(HWND parent, int id, int x, int y, int width, int height);
  HWND hwnd() const { return hwnd_; }

  // Stores a copy of bytes (the caller keeps its buffer), decodes the copy and
  // invalidates the box; the next paint shows it.
  void SetPicture(const ByteBuffer& bytes);
  // A new buffer holding exactly the stored bytes.
  ByteBuffer GetPicture() const;

  bool IsAnimating() const { return animation_.has_value(); }
  // Frames put on show since the last SetPicture.
  std::size_t FramesShown() const { return framesShown_; }
  COLORREF background() const { return background_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  LRESULT OnCreate();
  LRESULT OnPaint();
  LRESULT OnTimer(WPARAM id);
  LRESULT OnDestroy();

  void ClearPicture();
  bool StartAnimation();
  void ShowNextFrame();

  HWND hwnd_ = nullptr;
  ByteBuffer bytes_;
  DecodedPicture* decoded_ = nullptr;
  COLORREF background_ = 0;
  HBRUSH backgroundBrush_ = nullptr;

  // The GIF player: the parsed frames, and the composed frame on show drawn
  // with the same rule as any decoded picture.
  std::optional<GifAnimation> animation_;
  DecodedPicture frame_;
  std::size_t framesShown_ = 0;
};
