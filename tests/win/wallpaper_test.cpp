// The desktop wallpaper change: the platform calls it makes and their order,
// recorded through the wallpaper seam, and the values it leaves in the real
// registry under Wine.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/wallpaper.h"
#include "services/wallpaper_seam.h"
#include "tests/support/check.h"

namespace {

struct Script {
  BOOL firstApply = TRUE;
  LSTATUS open = ERROR_SUCCESS;
  int failingValue = -1;  // 0-based index of the value write that fails
  BOOL finalApply = TRUE;
};
Script g_script;
std::vector<std::string> g_calls;
int g_applies = 0;
int g_values = 0;
HKEY const kFakeKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x5150));

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

BOOL WINAPI FakeApply(UINT action, UINT number, PVOID value, UINT flags) {
  g_calls.push_back(Format("apply %u %u [%s] %u", action, number,
                           value ? static_cast<const char*>(value) : "(null)", flags));
  return g_applies++ == 0 ? g_script.firstApply : g_script.finalApply;
}
LSTATUS WINAPI FakeOpen(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key) {
  g_calls.push_back(Format("open %s [%s] %lu 0x%lx", root == HKEY_CURRENT_USER ? "HKCU" : "?",
                           subKey, options, access));
  if (g_script.open != ERROR_SUCCESS) return g_script.open;
  *key = kFakeKey;
  return ERROR_SUCCESS;
}
LSTATUS WINAPI FakeSet(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD count) {
  std::string bytes;
  for (DWORD i = 0; i < count; ++i)
    bytes += data[i] ? std::string(1, static_cast<char>(data[i])) : std::string("\\0");
  g_calls.push_back(Format("set%s %s %lu %lu [%s] %lu", key == kFakeKey ? "" : " (bad key)", name,
                           reserved, type, bytes.c_str(), count));
  return g_values++ == g_script.failingValue ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}
LSTATUS WINAPI FakeClose(HKEY key) {
  g_calls.push_back(key == kFakeKey ? "close" : "close (bad key)");
  return ERROR_SUCCESS;
}

struct FakeScope {
  WallpaperPlatform saved = CurrentWallpaperPlatform();
  explicit FakeScope(const Script& script) {
    g_script = script;
    g_calls.clear();
    g_applies = 0;
    g_values = 0;
    WallpaperPlatform& api = CurrentWallpaperPlatform();
    api.SystemParametersInfoA = FakeApply;
    api.RegOpenKeyExA = FakeOpen;
    api.RegSetValueExA = FakeSet;
    api.RegCloseKey = FakeClose;
  }
  ~FakeScope() { CurrentWallpaperPlatform() = saved; }
};

const std::string kApply = "apply 20 0 [C:\\p\\a.jpg] 0";
const std::string kOpen = "open HKCU [Control Panel\\Desktop] 0 0x20006";
const std::string kSetPath = "set Wallpaper 0 1 [C:\\p\\a.jpg\\0] 11";
const std::string kSetStyle = "set WallpaperStyle 0 1 [0\\0] 2";
const std::string kSetTile = "set TileWallpaper 0 1 [0\\0] 2";
const std::string kSave = "apply 20 0 [C:\\p\\a.jpg] 1";

}  // namespace

TEST(EachStepRunsInOrderAndAFailureStopsIt) {
  struct Row {
    const char* what;
    Script script;
    bool result;
    std::vector<std::string> calls;
  } rows[] = {
      {"all succeed", {}, true, {kApply, kOpen, kSetPath, kSetStyle, kSetTile, "close", kSave}},
      {"picture refused: nothing written", {.firstApply = FALSE}, false, {kApply}},
      {"key not opened: nothing to close", {.open = ERROR_ACCESS_DENIED}, false, {kApply, kOpen}},
      {"path value fails", {.failingValue = 0}, false, {kApply, kOpen, kSetPath, "close"}},
      {"style value fails",
       {.failingValue = 1},
       false,
       {kApply, kOpen, kSetPath, kSetStyle, "close"}},
      {"tile value fails",
       {.failingValue = 2},
       false,
       {kApply, kOpen, kSetPath, kSetStyle, kSetTile, "close"}},
      {"saving call fails",
       {.finalApply = FALSE},
       false,
       {kApply, kOpen, kSetPath, kSetStyle, kSetTile, "close", kSave}},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    FakeScope fake(row.script);
    CHECK_EQ(SetDesktopWallpaper("C:\\p\\a.jpg", 0), row.result);
    CHECK_EQ(g_calls, row.calls);
  }
}

TEST(StyleTextAndPathBytes) {
  struct Row {
    const char* what;
    std::string path;
    int style;
    bool omitted;
    std::string expectedPath;
    std::string expectedStyle;
  } rows[] = {
      {"style 0", "C:\\p\\a.jpg", 0, false, "[C:\\p\\a.jpg\\0] 11", "[0\\0] 2"},
      {"style 1", "C:\\p\\a.jpg", 1, false, "[C:\\p\\a.jpg\\0] 11", "[1\\0] 2"},
      {"style 2", "C:\\p\\a.jpg", 2, false, "[C:\\p\\a.jpg\\0] 11", "[2\\0] 2"},
      {"style 7", "C:\\p\\a.jpg", 7, false, "[C:\\p\\a.jpg\\0] 11", "[0\\0] 2"},
      {"style -1", "C:\\p\\a.jpg", -1, false, "[C:\\p\\a.jpg\\0] 11", "[0\\0] 2"},
      {"style omitted", "C:\\p\\a.jpg", 0, true, "[C:\\p\\a.jpg\\0] 11", "[0\\0] 2"},
      {"empty path: the NUL alone", "", 1, false, "[\\0] 1", "[1\\0] 2"},
      // Bytes are counted, so a double-byte character counts 2.
      {"code page 936 path", "C:\\图.jpg", 0, false, "[C:\\\xCD\xBC.jpg\\0] 10", "[0\\0] 2"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    FakeScope fake({});
    CHECK(row.omitted ? SetDesktopWallpaper(row.path) : SetDesktopWallpaper(row.path, row.style));
    CHECK_EQ(g_calls.size(), 7u);
    if (g_calls.size() != 7u) continue;
    CHECK_EQ(g_calls[0], "apply 20 0 [" + row.path + "] 0");
    CHECK_EQ(g_calls[2], "set Wallpaper 0 1 " + row.expectedPath);
    CHECK_EQ(g_calls[3], "set WallpaperStyle 0 1 " + row.expectedStyle);
    CHECK_EQ(g_calls[4], "set TileWallpaper 0 1 " + row.expectedStyle);
    CHECK_EQ(g_calls[6], "apply 20 0 [" + row.path + "] 1");
  }
}

namespace {
std::string DesktopValue(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return "(no key)";
  char data[1024];
  DWORD type = 0, size = sizeof data;
  LSTATUS status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "(no value)";
  if (type != REG_SZ) return "(not REG_SZ)";
  return std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}
}  // namespace

TEST(RealRegistryHoldsThePathAndStyle) {
  struct Row {
    const char* what;
    std::string path;
    int style;
    bool omitted;
    const char* expectedStyle;
  } rows[] = {
      {"style 0", "C:\\pictures\\a.jpg", 0, false, "0"},
      {"style 1", "C:\\pictures\\b.jpg", 1, false, "1"},
      {"style 2", "C:\\pictures\\c.jpg", 2, false, "2"},
      {"style 7", "C:\\pictures\\d.jpg", 7, false, "0"},
      {"style -1", "C:\\pictures\\e.jpg", -1, false, "0"},
      {"style omitted", "C:\\壁纸\\推送.jpg", 2, true, "0"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    CHECK(row.omitted ? SetDesktopWallpaper(row.path) : SetDesktopWallpaper(row.path, row.style));
    CHECK_EQ(DesktopValue("Wallpaper"), row.path);
    CHECK_EQ(DesktopValue("WallpaperStyle"), std::string(row.expectedStyle));
    CHECK_EQ(DesktopValue("TileWallpaper"), std::string(row.expectedStyle));
  }
}
