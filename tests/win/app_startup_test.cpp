// The real program started as a person would start it from elsewhere: it makes
// its own folder the current directory (its file name holding a double-byte
// character whose trail byte is 0x5C), so a relative asset folder is found there;
// the window comes up with the newest picture's date; closing it ends the
// process with exit code 0.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "services/date.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

namespace {

const char* kAssetTail =
    "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets";

// The environment of the child: this one's, with TMP too short to name a
// folder (the asset folder is then relative) and no LOCALAPPDATA to fall
// back on.
std::vector<char> ChildEnvironment() {
  std::vector<char> block;
  char* strings = GetEnvironmentStringsA();
  for (const char* s = strings; *s != '\0'; s += std::strlen(s) + 1) {
    std::string entry = s;
    std::string name = entry.substr(0, entry.find('='));
    if (_stricmp(name.c_str(), "TMP") == 0 || _stricmp(name.c_str(), "LOCALAPPDATA") == 0) continue;
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back('\0');
  }
  FreeEnvironmentStringsA(strings);
  for (std::string extra : {"TMP=abc", "LOCALAPPDATA=C:\\vrd-no-such-folder"}) {
    block.insert(block.end(), extra.begin(), extra.end());
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (pid == search->pid && std::strcmp(name, MainWindow::kClassName) == 0 &&
      IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A status-bar part of another process: the text is read through memory
// allocated in that process.
std::string RemotePartText(HANDLE process, HWND bar, int part) {
  std::string text;
  void* remote = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  if (remote == nullptr) return "<no memory>";
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(bar, SB_GETTEXTA, static_cast<WPARAM>(part),
                          reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 3000, &result)) {
    std::vector<char> local(4096, '\0');
    SIZE_T read = 0;
    std::size_t length = LOWORD(result);
    if (length < local.size() && ReadProcessMemory(process, remote, local.data(), length, &read)) {
      text.assign(local.data(), read);
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

// The build's path of the program, as Windows names it: Wine shows the Unix
// root as drive Z.
std::string ProgramInBuild() {
  std::string path = VERANDEL_EXE;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

}  // namespace

TEST(ProgramRunsInItsOwnFolderAndEndsWithCodeZero) {
  TempFolder root("startup");
  // 0x95 0x5C is one character: a cut at its trail byte would take
  // "...\\程序\\Verandel\x95" for the folder.
  const std::string folder = root / "程序";
  CHECK(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string exe = folder + "\\Verandel\x95\x5C.exe";
  CHECK(CopyFileA(ProgramInBuild().c_str(), exe.c_str(), FALSE));

  std::string assets = folder;
  for (const char* part : {"Packages", "Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy",
                           "LocalState", "Assets"}) {
    assets += std::string("\\") + part;
    CreateDirectoryA(assets.c_str(), nullptr);
  }
  CHECK_EQ(assets, folder + "\\" + kAssetTail);
  const std::string picture = assets + "\\0123abcd";
  CHECK(CopyFileA("..\\shared\\corpora\\jpeg\\pillow\\flower.jpg", picture.c_str(), FALSE));
  {
    SYSTEMTIME written = {2021, 6, 1, 7, 8, 9, 10, 0};
    FILETIME time;
    SystemTimeToFileTime(&written, &time);
    HANDLE file = CreateFileA(picture.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time));
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  const std::string expectedDate = "推送日期：" + DateToText(GetFileDate(picture));
  CHECK(expectedDate.find("2021") != std::string::npos);

  // Started from another folder, as a shortcut or a prompt elsewhere would.
  std::vector<char> environment = ChildEnvironment();
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  bool started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                environment.data(), root.path().c_str(), &startup, &child);
  CHECK(started);
  if (!started) return;

  Search search = {child.dwProcessId, nullptr};
  for (int tries = 0; tries < 400 && search.found == nullptr; ++tries) {
    Sleep(50);
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
  }
  CHECK(search.found != nullptr);
  if (search.found != nullptr) {
    HWND bar = FindWindowExA(search.found, nullptr, STATUSCLASSNAMEA, nullptr);
    // The one picture beside the program was found: the relative folder
    // resolved against the program's own folder.
    CHECK_EQ(RemotePartText(child.hProcess, bar, 0), std::string("推送总数：1"));
    CHECK_EQ(RemotePartText(child.hProcess, bar, 1), expectedDate);
    PostMessageA(search.found, WM_CLOSE, 0, 0);
  }
  DWORD exitCode = 12345;
  if (WaitForSingleObject(child.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(child.hProcess, &exitCode);
  } else {
    TerminateProcess(child.hProcess, 99);
    WaitForSingleObject(child.hProcess, 5000);
  }
  CHECK_EQ(exitCode, DWORD{0});
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
}
