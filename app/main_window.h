// MainWindow: the program's one window, its controls named as in the layout,
// and the handlers of its events (handlers.cpp).
#pragma once

#include <windows.h>

#include "app/picture_box.h"
#include "app/push_button.h"
#include "app/save_file_dialog.h"
#include "app/status_bar.h"
#include "catalog/push_catalog.h"

class MainWindow {
 public:
  static constexpr const char* kClassName = "VerandelMainWindow";
  static constexpr const char* kCaption = "Verandel";
  static constexpr int kWidth = 596;
  static constexpr int kHeight = 434;
  static constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

  // Control identifiers, as WM_COMMAND reports them.
  enum ControlId : int {
    kPictureBoxId = 100,
    kButton1Id = 101,
    kButton2Id,
    kButton3Id,
    kButton4Id,
    kButton5Id,
    kStatusBarId = 110,
  };

  MainWindow() = default;
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, its icons, font and controls, then raises the
  // created event (OnWindowCreated) while the window is still invisible.
  // False when the window cannot be created.
  bool Create(HINSTANCE instance);
  // Shows the window; the focus goes to 按钮1.
  void Show();
  HWND hwnd() const { return hwnd_; }

  // Whether the window ends the message loop when it is destroyed.
  void set_quit_on_destroy(bool quit) { quitOnDestroy_ = quit; }

  // The keyboard handling that runs before a key message is dispatched; true
  // when the key was handled here and must not be dispatched.
  bool PreTranslateMessage(const MSG& message);

  // Tab stops in focus order.
  static constexpr int kFocusCount = 5;
  HWND FocusOrder(int index) const;

  // Event handlers (handlers.cpp).
  void ShowEntry(PushEntry entry);
  void OnWindowCreated();
  void OnLatestClicked();
  void OnPreviousClicked();
  void OnNextClicked();
  void OnSetWallpaperClicked();
  void OnSavePictureClicked();

  // The controls, as the layout names them.
  PictureBox 图片框1;
  PushButton 按钮1;
  PushButton 按钮2;
  PushButton 按钮3;
  PushButton 按钮4;
  PushButton 按钮5;
  StatusBar 状态条1;
  SaveFileDialog 通用对话框1;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnSetFocus();
  LRESULT OnActivate(WPARAM wparam, LPARAM lparam);
  LRESULT OnSize(WPARAM wparam, LPARAM lparam);
  LRESULT OnDestroy();
  LRESULT OnNcDestroy(WPARAM wparam, LPARAM lparam);

  bool CreateControls();
  void SetIcons();
  void MoveFocus(int step);
  bool IsOwnWindow(HWND hwnd) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool quitOnDestroy_ = true;
};
