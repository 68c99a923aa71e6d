// Measures the program's costs for tools/bench; nothing fails on a figure.
//
//   verandel_bench scan FOLDER RUNS
//     The scan as start-up runs it (a catalogue filled from FOLDER), beside two
//     baselines over the same files: L reads each file and takes the size from
//     its header alone, D reads each file and decodes it fully once.
//   verandel_bench app EXE TMP RUNS PRESSES
//     The real program started RUNS times with TMP: process start to the main
//     window visible, and for PRESSES presses of 按钮2 the time from the press
//     to the changed picture on the screen; the program's peak working set.
//
// Every figure is printed as "name median min max" in milliseconds (memory
// in MiB), one a line, for the script to read.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/push_catalog.h"
#include "services/files.h"
#include "services/picture.h"
#include "tests/e2e/driver.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Report(const char* name, std::vector<double> values) {
  if (values.empty()) {
    std::printf("%s - - -\n", name);
    return;
  }
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  std::printf("%s %.2f %.2f %.2f\n", name, median, values.front(), values.back());
}

double PeakMiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::vector<Text> FilesIn(const Text& folder) {
  std::vector<Text> paths;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return paths;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      paths.push_back(folder + "\\" + fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return paths;
}

std::uint32_t Be16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0] << 8 | p[1]); }
std::uint32_t Be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
std::uint32_t Le16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[1] << 8 | p[0]); }
std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

// The baseline's measurement: width and height from the header alone, no
// pixel decoded. Enough of JPEG, PNG, BMP and GIF for the folders we make.
bool HeaderSize(const ByteBuffer& buffer, std::uint32_t& width, std::uint32_t& height) {
  const std::uint8_t* p = buffer.data();
  const size_t n = static_cast<size_t>(buffer.size());
  if (n >= 24 && p[0] == 0x89 && p[1] == 'P' && p[2] == 'N' && p[3] == 'G') {
    width = Be32(p + 16);
    height = Be32(p + 20);
    return true;
  }
  if (n >= 10 && p[0] == 'G' && p[1] == 'I' && p[2] == 'F') {
    width = Le16(p + 6);
    height = Le16(p + 8);
    return true;
  }
  if (n >= 26 && p[0] == 'B' && p[1] == 'M') {
    width = Le32(p + 18);
    height = Le32(p + 22);
    return true;
  }
  if (n >= 4 && p[0] == 0xFF && p[1] == 0xD8) {
    size_t i = 2;
    while (i + 9 < n) {
      if (p[i] != 0xFF) return false;
      const std::uint8_t marker = p[i + 1];
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        height = Be16(p + i + 5);
        width = Be16(p + i + 7);
        return true;
      }
      i += 2 + Be16(p + i + 2);
    }
  }
  return false;
}

int Scan(const Text& folder, int runs) {
  const std::vector<Text> files = FilesIn(folder);
  std::vector<double> scan, header, decode;
  std::int32_t count = 0;
  for (int r = 0; r < runs; ++r) {
    const double start = Now();
    PushCatalog catalog;
    Text text = folder;
    catalog.Scan(text);
    scan.push_back(Now() - start);
    count = catalog.Count();
  }
  const double peak = PeakMiB(GetCurrentProcess());
  int landscape = 0;
  for (int r = 0; r < runs; ++r) {
    const double start = Now();
    landscape = 0;
    for (const Text& path : files) {
      ByteBuffer bytes = ReadWholeFile(path);
      std::uint32_t w = 0, h = 0;
      if (HeaderSize(bytes, w, h) && w > h) ++landscape;
    }
    header.push_back(Now() - start);
  }
  for (int r = 0; r < runs; ++r) {
    const double start = Now();
    for (const Text& path : files) {
      ByteBuffer bytes = ReadWholeFile(path);
      FreeDecodedPicture(DecodePicture(bytes.data(), bytes.size()));
    }
    decode.push_back(Now() - start);
  }
  std::printf("files %zu\nentries %d\nheader_landscape %d\n", files.size(), count, landscape);
  Report("scan_ms", scan);
  Report("baseline_L_ms", header);
  Report("baseline_D_ms", decode);
  std::printf("scan_peak_working_set_mib %.1f\n", peak);
  return 0;
}

int App(const std::string& exe, const std::string& tmp, int runs, int presses) {
  std::vector<double> visible, press;
  double peak = 0;
  for (int r = 0; r < runs; ++r) {
    e2e::Program app;
    const double start = Now();
    if (!app.Start(exe, tmp, tmp, 600000)) {
      std::printf("error the program did not show its window\n");
      return 1;
    }
    visible.push_back(Now() - start);
    HWND box = app.PictureBox();
    HWND previous = app.Button("取上一次推送");
    // Let the first paint land before the first press is timed.
    Sleep(300);
    for (int p = 0; p < presses && box && previous; ++p) {
      const e2e::Pixels before = e2e::CaptureClient(box);
      const double pressed = Now();
      PostMessageA(previous, BM_CLICK, 0, 0);
      if (e2e::WaitFor([&] { return !(e2e::CaptureClient(box) == before); }, 10000))
        press.push_back(Now() - pressed);
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(app.main(), &pid);
    if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid)) {
      peak = std::max(peak, PeakMiB(process));
      CloseHandle(process);
    }
    PostMessageA(app.main(), WM_CLOSE, 0, 0);
    app.WaitExit(10000);
  }
  Report("start_to_window_ms", visible);
  Report("press_to_painted_ms", press);
  std::printf("app_peak_working_set_mib %.1f\n", peak);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "scan" && argc == 4) return Scan(argv[2], std::max(1, std::atoi(argv[3])));
  if (mode == "app" && argc == 6)
    return App(argv[2], argv[3], std::max(1, std::atoi(argv[4])), std::max(0, std::atoi(argv[5])));
  std::fprintf(stderr,
               "usage: verandel_bench scan FOLDER RUNS\n"
               "       verandel_bench app EXE TMP RUNS PRESSES\n");
  return 2;
}
