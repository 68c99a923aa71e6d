// The scan and the asset folder over a made-up system: an environment, a set
// of existing folders and one listed folder whose files have fixed sizes and
// dates.
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalog/push_catalog.h"
#include "catalog/scan_platform.h"
#include "tests/support/check.h"
#include "tests/support/fatal_throw.h"

namespace {

struct FakeFile {
  std::string name;
  bool directory;
  std::int32_t width;
  std::int32_t height;
  DateValue date;
};

struct FakeSearch {
  std::size_t next = 0;
};

struct FakeSystem {
  std::map<std::string, std::string> environment;
  std::set<std::string> folders;
  std::string listed;  // the folder whose files the search finds, ending in "\"
  std::vector<FakeFile> files;

  std::vector<std::string> patterns;
  std::vector<std::string> measured;
  std::list<FakeSearch> searches;
  int open = 0;
  int closed = 0;
};
FakeSystem* g_system = nullptr;

const FakeFile* FileAt(const Text& path) {
  for (const FakeFile& file : g_system->files)
    if (g_system->listed + file.name == path && !file.directory) return &file;
  return nullptr;
}

bool Item(FakeSearch* search, ListedItem* item) {
  if (search->next >= g_system->files.size()) return false;
  const FakeFile& file = g_system->files[search->next++];
  *item = {file.name, file.directory};
  return true;
}

Text Environment(const Text& name) {
  auto found = g_system->environment.find(name);
  return found == g_system->environment.end() ? Text() : found->second;
}
bool Exists(const Text& folder) { return g_system->folders.count(folder) > 0; }
void* First(const Text& pattern, ListedItem* item) {
  g_system->patterns.push_back(pattern);
  if (pattern != g_system->listed + "*.*" || g_system->files.empty()) return nullptr;
  FakeSearch* search = &g_system->searches.emplace_back();
  ++g_system->open;
  Item(search, item);
  return search;
}
bool Next(void* search, ListedItem* item) { return Item(static_cast<FakeSearch*>(search), item); }
void Close(void*) {
  --g_system->open;
  ++g_system->closed;
}
std::int32_t Width(const Text& path) {
  g_system->measured.push_back(path);
  const FakeFile* file = FileAt(path);
  return file ? file->width : 0;
}
std::int32_t Height(const Text& path) {
  g_system->measured.push_back(path);
  const FakeFile* file = FileAt(path);
  return file ? file->height : 0;
}
DateValue Date(const Text& path) {
  const FakeFile* file = FileAt(path);
  return file ? file->date : kMinDate;
}

// Puts the fake in place for one test and takes it out afterwards.
struct FakeScope {
  FakeSystem system;
  ScanPlatform saved = CurrentScanPlatform();
  FakeScope() {
    g_system = &system;
    CurrentScanPlatform() = {Environment, Exists, First, Next, Close, Width, Height, Date};
  }
  ~FakeScope() {
    CurrentScanPlatform() = saved;
    g_system = nullptr;
  }
};

const std::string kFolder = "C:\\Users\\a\\AppData\\Local\\Assets\\";

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

}  // namespace

TEST(ScanKeepsLandscapePicturesOldestFirst) {
  FakeScope fake;
  fake.system.listed = kFolder;
  fake.system.files = {
      {".", true, 0, 0, 0},
      {"..", true, 0, 0, 0},
      {"wide", false, 1920, 1080, 44000.5},
      {"tall", false, 1080, 1920, 43000},
      {"square", false, 100, 100, 43000},
      {"unreadable", false, 0, 0, 43000},
      {"sub", true, 1920, 1080, 40000},  // a folder is never measured
      {"older", false, 1280, 720, 43999.25},
      {"one-wider", false, 101, 100, 45000},
  };
  PushCatalog catalog;
  Text folder = kFolder;
  catalog.Scan(folder);

  CHECK_EQ(Names(catalog), std::string("older wide one-wider "));
  PushEntry wide = catalog.EntryAt(2);
  CHECK_EQ(wide.path, kFolder + "wide");
  CHECK_EQ(wide.width, 1920);
  CHECK_EQ(wide.height, 1080);
  CHECK_EQ(wide.date, 44000.5);
  for (const std::string& path : fake.system.measured) {
    CHECK_CONTEXT(path);
    CHECK(path != kFolder + "sub" && path != kFolder + "." && path != kFolder + "..");
  }
  CHECK_EQ(fake.system.patterns, std::vector<std::string>{kFolder + "*.*"});
  CHECK_EQ(fake.system.open, 0);
  CHECK_EQ(fake.system.closed, 1);
}

TEST(ScanKeepsListingOrderAmongEqualDates) {
  FakeScope fake;
  fake.system.listed = kFolder;
  fake.system.files = {
      {"z", false, 1920, 1080, 44000},      {"y", false, 1920, 1080, 44000},
      {"newest", false, 1920, 1080, 44001}, {"x", false, 1920, 1080, 44000},
      {"oldest", false, 1920, 1080, 100},   {"dir", true, 0, 0, 0},
  };
  PushCatalog catalog;
  Text folder = kFolder;
  catalog.Scan(folder);
  CHECK_EQ(Names(catalog), std::string("oldest z y x newest "));
  CHECK_EQ(fake.system.open, 0);  // the listing ended on a folder and was closed
}

TEST(ScanWithoutLandscapePicturesGivesThePlaceholder) {
  struct Row {
    const char* what;
    std::string listed;
    std::vector<FakeFile> files;
  } rows[] = {
      {"missing folder", "C:\\elsewhere\\", {{"wide", false, 1920, 1080, 44000}}},
      {"empty folder", kFolder, {}},
      {"only folders", kFolder, {{".", true, 0, 0, 0}, {"..", true, 0, 0, 0}}},
      {"no landscape file",
       kFolder,
       {{"tall", false, 1080, 1920, 44000}, {"square", false, 64, 64, 44000}}},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    FakeScope fake;
    fake.system.listed = row.listed;
    fake.system.files = row.files;
    PushCatalog catalog;
    catalog.Append({"stale", "stale", 1, 2, 3.0});
    Text folder = kFolder;
    catalog.Scan(folder);
    CheckPlaceholder(catalog);
    CHECK_EQ(fake.system.open, 0);
  }
}

TEST(RescanReplacesEntriesAndKeepsTheCursor) {
  FakeScope fake;
  fake.system.listed = kFolder;
  fake.system.files = {{"a", false, 1920, 1080, 1},
                       {"b", false, 1920, 1080, 2},
                       {"c", false, 1920, 1080, 3},
                       {"d", false, 1920, 1080, 4}};
  PushCatalog catalog;
  Text folder = kFolder;
  catalog.Scan(folder);
  CHECK_EQ(catalog.Count(), 4);
  catalog.set_cursor(3);

  fake.system.files.resize(2);
  catalog.Scan(folder);
  CHECK_EQ(Names(catalog), std::string("a b "));
  CHECK_EQ(catalog.cursor(), 3);

  fake.system.files.clear();
  catalog.Scan(folder);
  CheckPlaceholder(catalog);
  CHECK_EQ(catalog.cursor(), 3);
}

TEST(ScanEndsTheCallersFolderWithABackslash) {
  struct Row {
    const char* what;
    std::string given;
    std::string after;
  } rows[] = {
      {"without", "C:\\Assets", "C:\\Assets\\"},
      {"with", "C:\\Assets\\", "C:\\Assets\\"},
      {"empty", "", "\\"},
      // 0x81 0x5C is one double-byte character, not a closing backslash.
      {"double-byte character with a 0x5C second byte", "C:\\\x81\x5C", "C:\\\x81\x5C\\"},
      {"double-byte character, then a backslash", "C:\\\x81\x5C\\", "C:\\\x81\x5C\\"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    FakeScope fake;
    fake.system.listed = row.after;
    fake.system.files = {{"p.jpg", false, 1920, 1080, 44000}};
    PushCatalog catalog;
    Text folder = row.given;
    catalog.Scan(folder);
    CHECK_EQ(folder, row.after);
    CHECK_EQ(fake.system.patterns, std::vector<std::string>{row.after + "*.*"});
    CHECK_EQ(catalog.EntryAt(1).path, row.after + "p.jpg");
  }
}

TEST(AssetFolderFromTheEnvironment) {
  const std::string tail =
      "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets";
  const std::string local = "C:\\Users\\a\\AppData\\Local\\";
  const std::string derived = local + tail;
  struct Row {
    const char* what;
    std::map<std::string, std::string> environment;
    std::set<std::string> folders;
    std::string expected;
  } rows[] = {
      {"usual TMP", {{"TMP", "C:\\Users\\a\\AppData\\Local\\Temp"}}, {derived}, derived},
      {"usual TMP, folder missing, no LOCALAPPDATA",
       {{"TMP", "C:\\Users\\a\\AppData\\Local\\Temp"}},
       {},
       derived},
      {"TMP with a closing backslash",
       {{"TMP", "C:\\Users\\a\\AppData\\Local\\Temp\\"}},
       {derived},
       derived},
      {"TMP with two closing backslashes",
       {{"TMP", "C:\\Users\\a\\AppData\\Local\\Temp\\\\"}},
       {derived},
       derived},
      {"missing TMP", {}, {}, tail},
      {"TMP of four bytes", {{"TMP", "C:\\T"}}, {}, tail},
      {"TMP of five bytes", {{"TMP", "D:\\Tm"}}, {}, "D" + tail},
      {"missing TMP, relative folder there",
       {{"LOCALAPPDATA", "C:\\Users\\a\\AppData\\Local"}},
       {tail},
       tail},
      {"missing TMP, LOCALAPPDATA set",
       {{"LOCALAPPDATA", "C:\\Users\\a\\AppData\\Local"}},
       {},
       derived},
      {"TMP elsewhere, LOCALAPPDATA set",
       {{"TMP", "D:\\tmp"}, {"LOCALAPPDATA", "C:\\Users\\a\\AppData\\Local"}},
       {derived},
       derived},
      {"LOCALAPPDATA with a closing backslash",
       {{"TMP", "C:\\Temp"}, {"LOCALAPPDATA", "C:\\Users\\a\\AppData\\Local\\"}},
       {},
       derived},
      {"TMP ends in a double-byte character with a 0x5C second byte",
       {{"TMP", "C:\\Users\\a\\AppData\\Local\\\x81\x5C\x81\x5C"}},
       {},
       local + tail},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.what);
    FakeScope fake;
    fake.system.environment = row.environment;
    fake.system.folders = row.folders;
    PushCatalog catalog;
    CHECK_EQ(catalog.GetAssetFolder(), row.expected);
  }
}

TEST(RefreshAndCreationScanTheAssetFolder) {
  const std::string assets =
      "C:\\Users\\a\\AppData\\Local\\Packages\\Microsoft.Windows.ContentDeliveryManager_"
      "cw5n1h2txyewy\\LocalState\\Assets";
  FakeScope fake;
  fake.system.environment = {{"TMP", "C:\\Users\\a\\AppData\\Local\\Temp"}};
  fake.system.folders = {assets};
  fake.system.listed = assets + "\\";
  fake.system.files = {{"b", false, 1920, 1080, 2}, {"a", false, 1920, 1080, 1}};

  std::unique_ptr<PushCatalog> created = PushCatalog::CreateFromAssetFolder();
  CHECK_EQ(Names(*created), std::string("a b "));
  CHECK_EQ(created->EntryAt(1).path, assets + "\\a");
  CHECK_EQ(created->cursor(), 0);

  fake.system.files.pop_back();
  created->set_cursor(2);
  created->Refresh();
  CHECK_EQ(Names(*created), std::string("b "));
  CHECK_EQ(created->cursor(), 2);
}
