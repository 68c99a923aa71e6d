// 通用对话框1: the Save As dialog for the picture on show.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "services/text.h"

class SaveFileDialog {
 public:
  // The dialog is modal over owner.
  void SetOwner(HWND owner) { owner_ = owner; }

  // Shows the dialog. True when the user confirmed a name, which becomes
  // FileName(); false (FileName() unchanged) on cancel or failure.
  bool Open();
  // Empty until the first confirmed Open, then the last confirmed full path.
  Text FileName() const { return fileName_; }

  // The filter text with its "|" separators made NUL, "||" ending it.
  static Text FilterForDialog(const Text& filter);

  static constexpr const char* kFilter = "图片文件（*.jpg）|*.jpg|图片文件（*.png）|*.png";
  static constexpr const char* kDefaultExtension = "jpg";
  static constexpr DWORD kFlags =
      OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;

 private:
  HWND owner_ = nullptr;
  Text fileName_;
};
