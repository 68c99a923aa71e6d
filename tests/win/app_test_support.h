// In-process tests of the program's window: a fixture catalogue in the two
// globals, a message pump, and helpers that read the controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "tests/support/corpus.h"

namespace app_test {

inline const char* kFlower = "..\\shared\\corpora\\jpeg\\pillow\\flower.jpg";
inline const char* kPng = "..\\shared\\corpora\\png\\pngsuite\\basn2c08.png";
inline const char* kAnimated = "..\\shared\\corpora\\gif\\pillow\\chi.gif";

inline PushEntry Entry(const char* path, DateValue date) {
  PushEntry entry;
  entry.path = path;
  std::string full = path;
  entry.name = full.substr(full.rfind('\\') + 1);
  entry.width = 2;
  entry.height = 1;
  entry.date = date;
  return entry;
}

// The catalogue the program would have built, oldest first.
inline std::vector<PushEntry> ThreePictures() {
  return {Entry(kPng, 43891.0), Entry(kAnimated, 43892.5), Entry(kFlower, 43893.25)};
}

inline std::vector<PushEntry> PlaceholderOnly() {
  PushEntry placeholder;
  placeholder.name = placeholder.path = "未搜索到推送";
  return {placeholder};
}

inline std::vector<std::uint8_t> CorpusBytes(const std::string& path) {
  std::string forward = path;
  for (char& c : forward) {
    if (c == '\\') c = '/';
  }
  return corpus::ReadFile(forward);
}

inline std::vector<std::uint8_t> BufferBytes(const ByteBuffer& buffer) {
  return {buffer.data(), buffer.data() + buffer.size()};
}

// Handles what is waiting in the queue, for at least ms milliseconds.
inline void Pump(MainWindow* window, DWORD ms = 0) {
  DWORD end = GetTickCount() + ms;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      if (window != nullptr && window->hwnd() != nullptr && window->PreTranslateMessage(message)) {
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (GetTickCount() >= end) break;
    Sleep(5);
  }
}

// The globals filled with entries, and the window created over them (hidden,
// its created event run). Frees everything on the way out.
struct RunningWindow {
  explicit RunningWindow(const std::vector<PushEntry>& entries) {
    g_current = std::make_unique<PushEntry>();
    g_catalog = std::make_unique<PushCatalog>();
    for (const PushEntry& entry : entries) g_catalog->Append(entry);
    window.set_quit_on_destroy(false);
    created = window.Create(GetModuleHandleA(nullptr));
  }
  ~RunningWindow() {
    if (window.hwnd() != nullptr) DestroyWindow(window.hwnd());
    Pump(nullptr);
    FreeGlobals();
  }
  MainWindow window;
  bool created = false;
};

inline std::string PartText(HWND statusBar, int part) {
  char text[512] = {};
  auto length = LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0));
  if (length >= sizeof text) return "(too long)";
  SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

inline std::string WindowText(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

inline std::string ClassName(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// The rectangle of a child in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Free slots in the process's GDI handle table: brushes are made until the
// table is full, then deleted.
inline std::size_t FreeGdiSlots() {
  std::vector<HBRUSH> brushes;
  brushes.reserve(70000);
  for (;;) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (brush == nullptr) break;
    brushes.push_back(brush);
  }
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return brushes.size();
}

}  // namespace app_test
