#include "app/main_window.h"

#include <commctrl.h>

#include "app/window_icon.h"
#include "resources/resource_ids.h"

namespace {

bool RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA windowClass = {};
  if (GetClassInfoExA(instance, MainWindow::kClassName, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = MainWindow::kClassName;
  return RegisterClassExA(&windowClass) != 0;
}

// The icon file's bytes as the program's resources hold them; empty when the
// module carries none.
Bytes WindowIconFile() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_WINDOW_ICON), MAKEINTRESOURCEA(10));
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  DWORD size = SizeofResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const std::uint8_t*>(data), size};
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

bool MainWindow::Create(HINSTANCE instance) {
  if (!RegisterMainWindowClass(instance, WindowProc)) return false;
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND created = CreateWindowExA(0, kClassName, kCaption, kStyle, x, y, kWidth, kHeight, nullptr,
                                 nullptr, instance, this);
  if (created == nullptr) return false;

  RECT outer;
  GetWindowRect(hwnd_, &outer);
  if (outer.right - outer.left != kWidth || outer.bottom - outer.top != kHeight) {
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, kWidth, kHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetIcons();
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  通用对话框1.SetOwner(hwnd_);
  if (!CreateControls()) {
    DestroyWindow(hwnd_);
    return false;
  }
  OnWindowCreated();
  return true;
}

void MainWindow::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(FocusOrder(0));
}

bool MainWindow::CreateControls() {
  // Creation order is also the z-order, the first on top: each new child goes
  // to the bottom of its siblings.
  bool created = 按钮5.Create(hwnd_, kButton5Id, "保存图片", 488, 336, 80, 32, font_) &&
                 按钮4.Create(hwnd_, kButton4Id, "设置桌面壁纸", 368, 336, 120, 32, font_) &&
                 按钮3.Create(hwnd_, kButton3Id, "取下一次推送", 248, 336, 120, 32, font_) &&
                 状态条1.Create(hwnd_, kStatusBarId, font_) &&
                 按钮2.Create(hwnd_, kButton2Id, "取上一次推送", 128, 336, 120, 32, font_) &&
                 图片框1.Create(hwnd_, kPictureBoxId, 8, 8, 576, 324) &&
                 按钮1.Create(hwnd_, kButton1Id, "取最近推送", 8, 336, 120, 32, font_);
  if (!created) return false;
  for (HWND control : {按钮5.hwnd(), 按钮4.hwnd(), 按钮3.hwnd(), 状态条1.hwnd(), 按钮2.hwnd(),
                       图片框1.hwnd(), 按钮1.hwnd()}) {
    ShowWindow(control, SW_SHOWNA);
  }
  return true;
}

void MainWindow::SetIcons() {
  Bytes ico = WindowIconFile();
  bigIcon_ = MakeIconForWidth(ico, 32);
  smallIcon_ = MakeIconForWidth(ico, 16);
  if (bigIcon_ != nullptr) {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  }
  if (smallIcon_ != nullptr) {
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }
}

HWND MainWindow::FocusOrder(int index) const {
  switch (index) {
    case 0:
      return 按钮1.hwnd();
    case 1:
      return 按钮2.hwnd();
    case 2:
      return 按钮3.hwnd();
    case 3:
      return 按钮4.hwnd();
    case 4:
      return 按钮5.hwnd();
    default:
      return nullptr;
  }
}

void MainWindow::MoveFocus(int step) {
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < kFocusCount; ++i) {
    if (FocusOrder(i) == focus) current = i;
  }
  if (current < 0) current = step > 0 ? kFocusCount - 1 : 0;
  // Only visible, enabled controls take the focus; all five are, but a
  // control switched off would be passed over.
  for (int tries = 0; tries < kFocusCount; ++tries) {
    current = (current + step + kFocusCount) % kFocusCount;
    HWND candidate = FocusOrder(current);
    if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
      SetFocus(candidate);
      return;
    }
  }
}

bool MainWindow::IsOwnWindow(HWND hwnd) const {
  return hwnd_ != nullptr && hwnd != nullptr && (hwnd == hwnd_ || IsChild(hwnd_, hwnd));
}

bool MainWindow::PreTranslateMessage(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
  if (!IsOwnWindow(message.hwnd)) return false;
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
  if (control || alt) return false;
  switch (message.wParam) {
    case VK_TAB:
      MoveFocus(shift ? -1 : 1);
      return true;
    case VK_ESCAPE:
      if (shift) return false;
      SendMessageA(hwnd_, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN:
    case VK_F1:
      return !shift;  // nothing: no default button, no help file
    default:
      return false;
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wparam, lparam);
    case WM_SETFOCUS:
      return OnSetFocus();
    case WM_ACTIVATE:
      return OnActivate(wparam, lparam);
    case WM_SIZE:
      return OnSize(wparam, lparam);
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wparam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
      return OnDestroy();
    case WM_NCDESTROY:
      return OnNcDestroy(wparam, lparam);
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

LRESULT MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  if (HIWORD(wparam) != BN_CLICKED || lparam == 0) return 0;
  switch (LOWORD(wparam)) {
    case kButton1Id:
      OnLatestClicked();
      break;
    case kButton2Id:
      OnPreviousClicked();
      break;
    case kButton3Id:
      OnNextClicked();
      break;
    case kButton4Id:
      OnSetWallpaperClicked();
      break;
    case kButton5Id:
      OnSavePictureClicked();
      break;
    default:
      break;
  }
  return 0;
}

LRESULT MainWindow::OnSetFocus() {
  // The window passes the focus on: back to the control that had it when the
  // window was last deactivated, else to the first tab stop.
  HWND target = lastFocus_;
  if (target == nullptr || !IsWindow(target) || !IsWindowVisible(target) ||
      !IsWindowEnabled(target)) {
    target = FocusOrder(0);
  }
  if (target != nullptr) SetFocus(target);
  return 0;
}

LRESULT MainWindow::OnActivate(WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return 0;
  }
  return DefWindowProcA(hwnd_, WM_ACTIVATE, wparam, lparam);
}

LRESULT MainWindow::OnSize(WPARAM wparam, LPARAM lparam) {
  // The status bar docks itself at the bottom when told of the new size.
  if (状态条1.hwnd() != nullptr) SendMessageA(状态条1.hwnd(), WM_SIZE, wparam, lparam);
  return 0;
}

LRESULT MainWindow::OnDestroy() {
  if (quitOnDestroy_) PostQuitMessage(0);
  return 0;
}

LRESULT MainWindow::OnNcDestroy(WPARAM wparam, LPARAM lparam) {
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  LRESULT result = DefWindowProcA(hwnd_, WM_NCDESTROY, wparam, lparam);
  hwnd_ = nullptr;
  return result;
}
