#include "app/status_bar.h"

#include <commctrl.h>

namespace {

constexpr const char* kInitialTexts[StatusBar::kPartCount] = {"推送总数：", "推送日期："};
constexpr int kRightEdges[StatusBar::kPartCount] = {100, -1};
constexpr int kDrawingStyle = 0;  // sunken border

}  // namespace

bool StatusBar::Create(HWND parent, int id, HFONT font) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // Docked at the bottom: the bar takes the parent's width and its own height,
  // whatever place is given here.
  hwnd_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | CCS_BOTTOM | SBT_TOOLTIPS, 0, 367,
                          608, 24, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(hwnd_, SB_SIMPLE, FALSE, 0);
  SendMessageA(hwnd_, SB_SETBKCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_BTNFACE)));
  SendMessageA(hwnd_, SB_SETPARTS, kPartCount,
               reinterpret_cast<LPARAM>(static_cast<const int*>(kRightEdges)));
  for (int i = 0; i < kPartCount; ++i) SetPartText(i, kInitialTexts[i]);
  return true;
}

void StatusBar::SetPartText(int index, const Text& text) {
  if (index < 0 || index >= kPartCount) return;
  texts_[index] = text;
  SendMessageA(hwnd_, SB_SETTEXTA, static_cast<WPARAM>(index | kDrawingStyle),
               reinterpret_cast<LPARAM>(texts_[index].c_str()));
}

Text StatusBar::PartText(int index) const {
  if (index < 0 || index >= kPartCount) return Text();
  return texts_[index];
}
