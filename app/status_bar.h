// 状态条1: the two-part status bar along the bottom edge of the window.
#pragma once

#include <windows.h>

#include "services/text.h"

class StatusBar {
 public:
  static constexpr int kPartCount = 2;

  // Creates the bar hidden as a child of parent, with its two parts and their
  // first texts.
  bool Create(HWND parent, int id, HFONT font);
  HWND hwnd() const { return hwnd_; }

  // index is 0-based; an index outside the parts is ignored.
  void SetPartText(int index, const Text& text);
  Text PartText(int index) const;

 private:
  HWND hwnd_ = nullptr;
  Text texts_[kPartCount];
};
