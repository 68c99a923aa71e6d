#include "app/push_button.h"

bool PushButton::Create(HWND parent, int id, const char* text, int x, int y, int width, int height,
                        HFONT font) {
  constexpr DWORD kStyle = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_CHILD |
                           WS_CLIPSIBLINGS | WS_TABSTOP;
  hwnd_ = CreateWindowExA(0, "BUTTON", text, kStyle, x, y, width, height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return true;
}
