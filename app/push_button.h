// 按钮1 … 按钮5: plain push buttons; the window hears their clicks.
#pragma once

#include <windows.h>

class PushButton {
 public:
  bool Create(HWND parent, int id, const char* text, int x, int y, int width, int height,
              HFONT font);
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};
