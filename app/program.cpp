#include "app/program.h"

#include <ole2.h>

#include "app/main_window.h"
#include "services/fatal.h"

std::unique_ptr<PushEntry> g_current;
std::unique_ptr<PushCatalog> g_catalog;

void CreateGlobals() {
  g_current = std::make_unique<PushEntry>();
  g_catalog = PushCatalog::CreateFromAssetFolder();
}

void FreeGlobals() {
  g_current.reset();
  if (g_catalog) {
    g_catalog->Destroy();
    g_catalog.reset();
  }
}

Text FolderOfPath(const Text& path) {
  std::size_t cut = Text::npos;
  std::size_t i = 0;
  while (i < path.size()) {
    auto value = static_cast<BYTE>(path[i]);
    if (IsDBCSLeadByte(value) && i + 1 < path.size()) {
      i += 2;  // the trail byte may be 0x5C and is still no backslash
      continue;
    }
    if (value == '\\') cut = i;
    ++i;
  }
  return cut == Text::npos ? Text() : path.substr(0, cut);
}

namespace {

void MakeOwnFolderCurrent() {
  char name[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, name, MAX_PATH);
  Text folder = FolderOfPath(Text(name, length < MAX_PATH ? length : MAX_PATH));
  SetCurrentDirectoryA(folder.c_str());  // a failure leaves the folder as it was
}

void RunMessageLoop(MainWindow& window) {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (window.PreTranslateMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int RunProgram(HINSTANCE instance) {
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (SUCCEEDED(OleInitialize(nullptr))) SetOleInitialized(true);
  MakeOwnFolderCurrent();

  CreateGlobals();
  RegisterExitRoutine(FreeGlobals);

  {
    MainWindow window;
    if (!window.Create(instance)) ReportFatalError(0, kMessageWindowFailed);
    // The created handler may have closed the window; only a live one is shown
    // and only then is there a loop to run.
    if (IsWindow(window.hwnd())) {
      window.Show();
      RunMessageLoop(window);
    }
  }

  RunExitRoutines();
  if (IsOleInitialized()) {
    OleUninitialize();
    SetOleInitialized(false);
  }
  return 0;
}
