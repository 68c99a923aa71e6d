// The scan over real folders the tests build: pictures made here, dates set
// with SetFileTime, and the asset folder found through TMP and LOCALAPPDATA.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/push_catalog.h"
#include "tests/support/check.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/win/temp_folder.h"

namespace {

std::vector<std::uint8_t> Jpeg(int width, int height) {
  fixtures::JpegOptions options;
  options.width = width;
  options.height = height;
  options.quality = 60;
  return fixtures::EncodeJpeg(options, [](int x, int y, int c) {
    return static_cast<std::uint8_t>((x / 9 + y / 3 + c * 50) & 0xFF);
  });
}

// Last-write time set to the given day of March 2021, UTC.
bool SetDay(const std::string& path, int day, int hour = 12) {
  SYSTEMTIME fields{};
  fields.wYear = 2021;
  fields.wMonth = 3;
  fields.wDay = static_cast<WORD>(day);
  fields.wHour = static_cast<WORD>(hour);
  FILETIME time;
  if (!SystemTimeToFileTime(&fields, &time)) return false;
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL set = SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  return set != FALSE;
}

std::string Names(const PushCatalog& catalog) {
  std::string names;
  for (std::int32_t p = 1; p <= catalog.Count(); ++p) names += catalog.EntryAt(p).name + " ";
  return names;
}

void CheckPlaceholder(const PushCatalog& catalog) {
  CHECK_EQ(catalog.Count(), 1);
  if (catalog.Count() != 1) return;
  PushEntry entry = catalog.EntryAt(1);
  CHECK_EQ(entry.name, std::string("未搜索到推送"));
  CHECK_EQ(entry.path, std::string("未搜索到推送"));
  CHECK_EQ(entry.width, 0);
  CHECK_EQ(entry.height, 0);
  CHECK_EQ(entry.date, 0.0);
}

// Sets an environment variable for one scope; an empty value removes it.
struct EnvironmentScope {
  std::string name;
  std::string saved;
  bool had;
  EnvironmentScope(const std::string& variable, const std::string& value) : name(variable) {
    char buffer[4096];
    DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    had = length > 0 && length < sizeof buffer;
    if (had) saved.assign(buffer, length);
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
  }
  ~EnvironmentScope() { SetEnvironmentVariableA(name.c_str(), had ? saved.c_str() : nullptr); }
};

struct CurrentDirectoryScope {
  char saved[MAX_PATH];
  explicit CurrentDirectoryScope(const std::string& folder) {
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentDirectoryScope() { SetCurrentDirectoryA(saved); }
};

}  // namespace

TEST(ScanKeepsOnlyReadableLandscapePictures) {
  TempFolder folder("scan");
  std::vector<std::uint8_t> landscape = Jpeg(1920, 1080);
  std::size_t scan = fixtures::ScanDataStart(landscape);
  std::vector<std::uint8_t> cut(
      landscape.begin(),
      landscape.begin() + static_cast<long>(scan + (landscape.size() - scan) / 2));
  std::string text = "no picture here\r\n";

  CHECK(PutFile(folder / "wide", landscape));
  CHECK(PutFile(folder / "tall", Jpeg(1080, 1920)));
  CHECK(PutFile(folder / "square", Jpeg(100, 100)));
  CHECK(PutFile(folder / "empty", {}));
  CHECK(PutFile(folder / "words.txt", std::vector<std::uint8_t>(text.begin(), text.end())));
  CHECK(PutFile(folder / "cut", cut));
  CHECK(PutFile(folder / "locked", landscape));
  CHECK(CreateDirectoryA((folder / "sub.jpg").c_str(), nullptr));
  CHECK(PutFile(folder / "sub.jpg\\inner", landscape));
  CHECK(SetDay(folder / "wide", 10));
  CHECK(SetDay(folder / "cut", 2));
  // Held open without read sharing, the file cannot be read: it measures 0 x 0.
  HANDLE locked = CreateFileA((folder / "locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  CHECK(locked != INVALID_HANDLE_VALUE);

  PushCatalog catalog;
  Text text_folder = folder.path();
  catalog.Scan(text_folder);
  CloseHandle(locked);

  CHECK_EQ(text_folder, folder.path() + "\\");
  // A JPEG cut in its scan data still decodes at its full size.
  CHECK_EQ(Names(catalog), std::string("cut wide "));
  if (catalog.Count() == 2) {
    PushEntry wide = catalog.EntryAt(2);
    CHECK_EQ(wide.path, folder / "wide");
    CHECK_EQ(wide.width, 1920);
    CHECK_EQ(wide.height, 1080);
    CHECK_EQ(wide.date, GetFileDate(folder / "wide"));
    CHECK(catalog.EntryAt(1).date < wide.date);
  }
}

TEST(EqualDatesKeepTheListingOrder) {
  TempFolder folder("equal");
  const std::vector<std::uint8_t> picture = Jpeg(320, 200);
  for (const char* name : {"p1", "p2", "p3", "p4", "p5"}) {
    CHECK(PutFile(folder / name, picture));
    CHECK(SetDay(folder / name, 5));
  }
  CHECK(SetDay(folder / "p3", 6));  // newest, so last

  std::string expected;
  for (const std::string& name : folder.Names())
    if (name != "p3") expected += name + " ";
  expected += "p3 ";

  PushCatalog catalog;
  Text text_folder = folder.path() + "\\";
  catalog.Scan(text_folder);
  CHECK_EQ(text_folder, folder.path() + "\\");
  CHECK_EQ(Names(catalog), expected);
}

TEST(EmptyOrMissingFolderGivesThePlaceholder) {
  TempFolder folder("none");
  CHECK(CreateDirectoryA((folder / "only-a-folder").c_str(), nullptr));
  CHECK(PutFile(folder / "portrait", Jpeg(300, 400)));
  for (const std::string& path : {folder / "only-a-folder", folder / "missing", folder.path()}) {
    CHECK_CONTEXT(path);
    PushCatalog catalog;
    catalog.set_cursor(3);
    Text text_folder = path;
    catalog.Scan(text_folder);
    CheckPlaceholder(catalog);
    CHECK_EQ(catalog.cursor(), 3);
  }
}

TEST(AssetFolderFoundThroughTheEnvironment) {
  TempFolder local("local");
  const std::string assets =
      local /
      "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets";
  for (const char* part : {"Temp", "Packages",
                           "Packages\\Microsoft.Windows.ContentDeliveryManager_"
                           "cw5n1h2txyewy",
                           "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\"
                           "LocalState"})
    CHECK(CreateDirectoryA((local / part).c_str(), nullptr));
  CHECK(CreateDirectoryA(assets.c_str(), nullptr));
  CHECK(PutFile(assets + "\\push", Jpeg(400, 300)));
  const std::string relative =
      "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets\\push";

  struct Row {
    const char* what;
    std::string temp;
    std::string localAppData;
    bool inLocal;  // current directory set to the local folder
    std::string expectedPath;
  } rows[] = {
      {"usual TMP", local / "Temp", "", false, assets + "\\push"},
      {"TMP with a closing backslash", local / "Temp\\", "", false, assets + "\\push"},
      {"TMP elsewhere, LOCALAPPDATA set", "C:\\nowhere\\Temp", local.path(), false,
       assets + "\\push"},
      {"missing TMP, LOCALAPPDATA set", "", local.path() + "\\", false, assets + "\\push"},
      {"missing TMP, relative folder", "", "", true, relative},
      {"short TMP, relative folder", "C:\\", "", true, relative},
      {"TMP elsewhere, nothing else", "C:\\nowhere\\Temp", "", false, "未搜索到推送"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    EnvironmentScope temp("TMP", row.temp);
    EnvironmentScope localAppData("LOCALAPPDATA", row.localAppData);
    CurrentDirectoryScope directory(row.inLocal ? local.path() : std::string("C:\\"));
    std::unique_ptr<PushCatalog> catalog = PushCatalog::CreateFromAssetFolder();
    CHECK_EQ(catalog->Count(), 1);
    CHECK_EQ(catalog->EntryAt(1).path, row.expectedPath);
    CHECK_EQ(catalog->cursor(), 0);
  }
}
