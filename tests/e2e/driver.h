// Drives the real Verandel.exe from outside, as a person would: makes an
// asset folder of known pictures, starts the program on it, reads its window,
// controls and status bar across the process boundary, clicks, types, and
// takes pixels from the screen.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace e2e {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* kAssetsBelowLocal =
    "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets";

// Polls until ready() holds or ms milliseconds have passed.
template <typename Ready>
bool WaitFor(Ready ready, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// A Unix path handed over by the build becomes the Windows path Wine maps it to.
inline std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline FILETIME UtcFileTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

inline bool ReadFileBytes(const std::string& path, Bytes& out) {
  out.clear();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.insert(out.end(), chunk, chunk + n);
  std::fclose(f);
  return true;
}

inline bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryA(dir.c_str());
}

// A user profile's local folder in miniature: <root>\Temp is what TMP names,
// and <root>\Packages\...\Assets is the asset folder the program derives.
class Fixture {
 public:
  explicit Fixture(const char* label) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    root_ = std::string(temp) + "verandel-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + "-" + label + "\\";
    RemoveTree(root_.substr(0, root_.size() - 1));
    CreateDirectoryA(root_.c_str(), nullptr);
    CreateDirectoryA((root_ + "Temp").c_str(), nullptr);
    std::string dir = root_;
    for (const char* part : {"Packages", "Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy",
                             "LocalState", "Assets"}) {
      dir += part;
      CreateDirectoryA(dir.c_str(), nullptr);
      dir += "\\";
    }
    assets_ = root_ + kAssetsBelowLocal;
  }
  // A program that has just ended may still hold its files for a moment.
  ~Fixture() {
    const std::string dir = root_.substr(0, root_.size() - 1);
    for (int attempt = 0; attempt < 20 && FileExists(dir); ++attempt) {
      if (attempt > 0) Sleep(100);
      RemoveTree(dir);
    }
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  // Writes a file into the asset folder with the given last-write time; gives its full path.
  std::string Add(const std::string& name, const Bytes& bytes, FILETIME written) const {
    std::string path = assets_ + "\\" + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD done = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
      SetFileTime(h, nullptr, nullptr, &written);
      CloseHandle(h);
    }
    return path;
  }

  const std::string& root() const { return root_; }      // ends in "\"
  const std::string& assets() const { return assets_; }  // no trailing "\"
  std::string tmp() const { return root_ + "Temp"; }

 private:
  std::string root_;
  std::string assets_;
};

// ---- pictures of known colours ------------------------------------------

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

inline bool Near(Rgb a, Rgb b, int tolerance = 12) {
  auto d = [](std::uint8_t x, std::uint8_t y) { return x > y ? x - y : y - x; };
  return d(a.r, b.r) <= tolerance && d(a.g, b.g) <= tolerance && d(a.b, b.b) <= tolerance;
}

inline std::string Show(Rgb c) {
  char text[32];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
  return text;
}

inline void PutLE(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 24-bit BMP whose left half is one colour and right half another.
inline Bytes SplitBmp(int width, int height, Rgb left, Rgb right) {
  const std::uint32_t row = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = row * static_cast<std::uint32_t>(height);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  PutLE(out, 54 + pixels, 4);
  PutLE(out, 0, 4);
  PutLE(out, 54, 4);
  PutLE(out, 40, 4);
  PutLE(out, static_cast<std::uint32_t>(width), 4);
  PutLE(out, static_cast<std::uint32_t>(height), 4);
  PutLE(out, 1, 2);
  PutLE(out, 24, 2);
  PutLE(out, 0, 4);
  PutLE(out, pixels, 4);
  PutLE(out, 2835, 4);
  PutLE(out, 2835, 4);
  PutLE(out, 0, 4);
  PutLE(out, 0, 4);
  for (int y = 0; y < height; ++y) {
    size_t start = out.size();
    for (int x = 0; x < width; ++x) {
      Rgb c = x < width / 2 ? left : right;
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    while (out.size() - start < row) out.push_back(0);
  }
  return out;
}

// A looping GIF whose frames are each one solid colour, shown delay_cs
// hundredths of a second apiece.
inline Bytes SolidFramesGif(int width, int height, const std::vector<Rgb>& frames, int delay_cs) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  PutLE(out, static_cast<std::uint32_t>(width), 2);
  PutLE(out, static_cast<std::uint32_t>(height), 2);
  out.push_back(0x91);  // global colour table of 4 entries
  out.push_back(0);
  out.push_back(0);
  for (size_t i = 0; i < 4; ++i) {
    Rgb c = i < frames.size() ? frames[i] : Rgb{0, 0, 0};
    out.push_back(c.r);
    out.push_back(c.g);
    out.push_back(c.b);
  }
  const std::uint8_t loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                               'E',  '2',  '.',  '0', 3,   1,   0,   0,   0};
  out.insert(out.end(), loop, loop + sizeof loop);
  for (size_t f = 0; f < frames.size() && f < 4; ++f) {
    const std::uint8_t control[] = {0x21,
                                    0xF9,
                                    4,
                                    0x04,
                                    static_cast<std::uint8_t>(delay_cs),
                                    static_cast<std::uint8_t>(delay_cs >> 8),
                                    0,
                                    0};
    out.insert(out.end(), control, control + sizeof control);
    out.push_back(0x2C);
    PutLE(out, 0, 4);
    PutLE(out, static_cast<std::uint32_t>(width), 2);
    PutLE(out, static_cast<std::uint32_t>(height), 2);
    out.push_back(0);
    // Minimum code size 2: codes are 3 bits wide as long as a clear code
    // comes after every second pixel, so no compression is needed.
    out.push_back(2);
    Bytes data;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](std::uint32_t code) {
      bits |= code << count;
      count += 3;
      while (count >= 8) {
        data.push_back(static_cast<std::uint8_t>(bits));
        bits >>= 8;
        count -= 8;
      }
    };
    const int total = width * height;
    for (int i = 0; i < total; ++i) {
      if (i % 2 == 0) emit(4);
      emit(static_cast<std::uint32_t>(f));
    }
    emit(5);
    if (count > 0) data.push_back(static_cast<std::uint8_t>(bits));
    for (size_t i = 0; i < data.size(); i += 255) {
      size_t n = std::min<size_t>(255, data.size() - i);
      out.push_back(static_cast<std::uint8_t>(n));
      out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                 data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

// ---- windows of another process -------------------------------------------

inline std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

inline std::string TextOf(HWND hwnd) {
  char text[512] = {};
  // WM_GETTEXT is marshalled across processes.
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                      3000, nullptr);
  return text;
}

inline HWND OwnerOf(HWND hwnd) { return GetWindow(hwnd, GW_OWNER); }

inline BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

inline std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A visible dialog (#32770) owned by owner, or nullptr.
inline HWND DialogOwnedBy(HWND owner) {
  for (HWND hwnd : TopLevelWindows())
    if (ClassOf(hwnd) == "#32770" && OwnerOf(hwnd) == owner && IsWindowVisible(hwnd)) return hwnd;
  return nullptr;
}

// A rectangle of a child in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Sends a message whose lParam points at a buffer: such messages are not
// marshalled across processes, so the buffer is made in the window's own
// process and read back from there. Gives the message's result and the
// buffer's bytes, or false.
inline bool SendWithRemoteBuffer(HWND hwnd, UINT message, WPARAM wparam, std::vector<char>& buffer,
                                 DWORD_PTR& result) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE process = OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
      pid);
  if (!process) return false;
  bool done = false;
  void* remote = VirtualAllocEx(process, nullptr, buffer.size(), MEM_COMMIT, PAGE_READWRITE);
  if (remote) {
    SIZE_T read = 0;
    done = SendMessageTimeoutA(hwnd, message, wparam, reinterpret_cast<LPARAM>(remote), SMTO_BLOCK,
                               3000, &result) &&
           ReadProcessMemory(process, remote, buffer.data(), buffer.size(), &read);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return done;
}

// Text of a status bar part (SB_GETTEXTA).
inline std::string StatusText(HWND bar, int part) {
  std::vector<char> buffer(4096, '\0');
  DWORD_PTR result = 0;
  if (!SendWithRemoteBuffer(bar, SB_GETTEXTA, static_cast<WPARAM>(part), buffer, result))
    return "<unreadable>";
  const size_t length = LOWORD(result);
  return length < buffer.size() ? std::string(buffer.data(), length) : "<too long>";
}

// Right edges of a status bar's parts (SB_GETPARTS).
inline std::vector<int> StatusParts(HWND bar) {
  std::vector<char> buffer(64 * sizeof(int), '\0');
  DWORD_PTR result = 0;
  if (!SendWithRemoteBuffer(bar, SB_GETPARTS, 64, buffer, result) || result > 64) return {};
  std::vector<int> edges(result);
  std::memcpy(edges.data(), buffer.data(), edges.size() * sizeof(int));
  return edges;
}

// The client area of a window as the screen shows it.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgra;
  Rgb At(int x, int y) const {
    std::uint32_t p =
        bgra[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
            static_cast<std::uint8_t>(p)};
  }
  bool operator==(const Pixels&) const = default;
};

inline Pixels CaptureClient(HWND hwnd) {
  Pixels shot;
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  shot.width = client.right;
  shot.height = client.bottom;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  shot.bgra.assign(p, p + static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height));
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

// ---- the program under test ------------------------------------------------

class Program {
 public:
  Program() = default;
  ~Program() {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 3000) == WAIT_TIMEOUT)
          TerminateProcess(process_.hProcess, 99);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts the program with TMP pointing into the fixture and waits for its
  // visible main window.
  bool Start(const std::string& exe, const std::string& tmp, const std::string& directory,
             DWORD wait_ms = 30000) {
    std::string block;
    if (char* env = GetEnvironmentStringsA()) {
      for (const char* p = env; *p; p += std::strlen(p) + 1) {
        if (_strnicmp(p, "TMP=", 4) == 0 || _strnicmp(p, "TZ=", 3) == 0) continue;
        block.append(p);
        block.push_back('\0');
      }
      FreeEnvironmentStringsA(env);
    }
    block += "TMP=" + tmp;
    block.push_back('\0');
    block += "TZ=UTC";
    block.push_back('\0');
    block.push_back('\0');
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, block.data(),
                        directory.c_str(), &startup, &process_))
      return false;
    WaitFor([&] { return (main_ = FindMain()) != nullptr || Exited(); }, wait_ms);
    return main_ != nullptr;
  }

  HWND FindMain() const {
    for (HWND hwnd : TopLevelWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      if (pid == process_.dwProcessId && IsWindowVisible(hwnd) && TextOf(hwnd) == "Verandel")
        return hwnd;
    }
    return nullptr;
  }

  bool Exited() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

  // Waits for the process to end; its exit code, or 0x7FFFFFFF when it did not end.
  DWORD WaitExit(DWORD ms) const {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return 0x7FFFFFFF;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  HWND main() const { return main_; }
  DWORD thread() const { return process_.dwThreadId; }

  HWND Button(const char* text) const {
    for (HWND child : Children(main_))
      if (ClassOf(child) == "Button" || ClassOf(child) == "BUTTON")
        if (TextOf(child) == text) return child;
    return nullptr;
  }
  HWND StatusBar() const {
    for (HWND child : Children(main_))
      if (ClassOf(child) == STATUSCLASSNAMEA) return child;
    return nullptr;
  }
  // The picture box: the one child that is neither a button nor the status bar.
  HWND PictureBox() const {
    for (HWND child : Children(main_)) {
      std::string name = ClassOf(child);
      if (_stricmp(name.c_str(), "Button") != 0 && name != STATUSCLASSNAMEA) return child;
    }
    return nullptr;
  }

  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
    return info.hwndFocus;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// Keys through the system input queue, as typed.
inline void Type(std::initializer_list<WORD> down_up_keys, bool shift = false) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  };
  if (shift) key(VK_SHIFT, false);
  for (WORD vk : down_up_keys) {
    key(vk, false);
    key(vk, true);
  }
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace e2e
