// Runs the program's start-up with a main window that cannot be created:
//   app_window_probe MARKER
// The main window's class is taken beforehand by one whose windows refuse to
// be created, so start-up must end in the fatal report. An exit routine that
// writes MARKER is registered first; the fatal path must never run it.
#include <windows.h>

#include <cstring>

#include "app/main_window.h"
#include "app/program.h"
#include "services/fatal.h"

namespace {

char g_marker[MAX_PATH];

void WriteMarker() {
  HANDLE file = CreateFileA(g_marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) return FALSE;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strlen(argv[1]) >= sizeof g_marker) return 2;
  std::strcpy(g_marker, argv[1]);
  HINSTANCE instance = GetModuleHandleA(nullptr);

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = RefuseCreation;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = MainWindow::kClassName;
  if (RegisterClassExA(&windowClass) == 0) return 3;

  RegisterExitRoutine(WriteMarker);
  return RunProgram(instance);
}
