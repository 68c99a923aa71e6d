// The fatal report end to end: fatal_probe raises each fatal failure with the
// real report; from outside, the test finds the message box by process,
// reads its text, presses OK and checks how the process ended. Needs a display.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "services/fatal.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

namespace {

std::string ProbePath(const char* probe = "fatal_probe.exe") {
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, n);
  return path.substr(0, path.find_last_of('\\') + 1) + probe;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != "#32770") return TRUE;
  search->found = window;
  return FALSE;
}

// The message box of the process, or NULL when none came within the wait.
HWND WaitForBox(DWORD processId, HANDLE process, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    BoxSearch search{processId, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

BOOL CALLBACK CollectStatics(HWND window, LPARAM param) {
  if (ClassOf(window) == "Static") {
    const std::string text = TextOf(window);
    if (!text.empty()) *reinterpret_cast<std::vector<std::string>*>(param) = {text};
  }
  return TRUE;
}

// The box's message: the static control with id 0xFFFF, or else the static
// child that has text (the other one holds the icon).
std::string BoxText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF); text != nullptr) return TextOf(text);
  std::vector<std::string> texts;
  EnumChildWindows(box, CollectStatics, reinterpret_cast<LPARAM>(&texts));
  return texts.empty() ? std::string() : texts.front();
}

struct Outcome {
  bool boxShown = false;
  std::string caption;
  std::string text;
  bool hasOwner = false;
  bool hasOk = false;
  bool hasCancel = false;
  DWORD exitCode = 0;
  bool ended = false;
  bool markerWritten = false;
};

// mode "window" runs the program's own start-up with a main window that
// cannot be created (app_window_probe); the others go to fatal_probe.
Outcome RunProbe(const std::string& mode, const std::string& marker) {
  Outcome outcome;
  DeleteFileA(marker.c_str());
  std::string commandLine = mode == "window"
                                ? "\"" + ProbePath("app_window_probe.exe") + "\" \"" + marker + "\""
                                : "\"" + ProbePath() + "\" " + mode + " \"" + marker + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return outcome;
  }
  HWND box = WaitForBox(process.dwProcessId, process.hProcess, 20000);
  if (box != nullptr) {
    outcome.boxShown = true;
    outcome.caption = TextOf(box);
    outcome.text = BoxText(box);
    outcome.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
    outcome.hasOk = GetDlgItem(box, IDOK) != nullptr;
    outcome.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  outcome.ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  if (!outcome.ended) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &outcome.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  outcome.markerWritten = GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
  return outcome;
}

std::string FatalText(int code, const std::string& message) {
  std::string text = "运行时出错!\r\n";
  if (code != 0) text += "\r\n错误代码：" + std::to_string(code) + "\r\n";
  if (!message.empty()) text += "\r\n错误信息：" + message + "\r\n";
  return text;
}

}  // namespace

TEST(FatalFailuresShowTheReportAndEndTheProcess) {
  struct Row {
    const char* mode;
    std::string text;
  };
  char allocation[80];
  std::snprintf(allocation, sizeof allocation, "分配 %llu 字节内存失败!",
                static_cast<unsigned long long>(std::size_t{1} << (sizeof(std::size_t) * 8 - 1)));
  const std::vector<Row> rows = {
      {"code4",
       "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"},
      {"code1", "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"},
      {"alloc", FatalText(0, allocation)},
      {"window", "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
  };
  TempFolder folder("fatal");
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.mode);
    const Outcome outcome = RunProbe(row.mode, folder / "marker");
    CHECK(outcome.boxShown);
    CHECK_EQ(outcome.caption, std::string("错误"));
    CHECK_EQ(outcome.text, row.text);
    CHECK(!outcome.hasOwner);
    CHECK(outcome.hasOk);
    CHECK(!outcome.hasCancel);
    CHECK(outcome.ended);
    CHECK_EQ(outcome.exitCode, DWORD{0xFFFFFFFF});
    CHECK(!outcome.markerWritten);
  }
  // The probe's own texts are those of the program's constants.
  CHECK_EQ(rows[0].text, FatalText(4, kMessageIndexTooSmall));
  CHECK_EQ(rows[1].text, FatalText(1, kMessageIndexTooLarge));
  CHECK_EQ(rows[3].text, FatalText(0, kMessageWindowFailed));
}

TEST(ANormalEndRunsTheExitRoutines) {
  // The marker is what the fatal rows rely on: without a fatal failure the
  // exit routine writes it and no box appears.
  TempFolder folder("fatal");
  const Outcome outcome = RunProbe("exit", folder / "marker");
  CHECK(!outcome.boxShown);
  CHECK(outcome.ended);
  CHECK_EQ(outcome.exitCode, DWORD{0});
  CHECK(outcome.markerWritten);
}
