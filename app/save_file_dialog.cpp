#include "app/save_file_dialog.h"

#include <cstring>

Text SaveFileDialog::FilterForDialog(const Text& filter) {
  if (filter.empty()) return Text();
  Text result = filter;
  if (result.size() < 2 || result.compare(result.size() - 2, 2, "||") != 0) result += "||";
  for (std::size_t i = 0; i < result.size(); ++i) {
    auto value = static_cast<BYTE>(result[i]);
    if (IsDBCSLeadByte(value) && i + 1 < result.size()) {
      ++i;  // a trail byte of 0x7C is part of its character, not a separator
    } else if (value == '|') {
      result[i] = '\0';
    }
  }
  return result;
}

bool SaveFileDialog::Open() {
  Text filter = FilterForDialog(kFilter);
  char file[MAX_PATH] = {};
  // A name longer than the box is cut rather than overrunning it.
  std::strncpy(file, fileName_.c_str(), MAX_PATH - 1);

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = filter.empty() ? 0 : 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = kDefaultExtension;
  dialog.Flags = kFlags;
  if (!GetSaveFileNameA(&dialog)) return false;
  fileName_ = file;
  return true;
}
