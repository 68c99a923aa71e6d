// File dates from directory entries. ctest runs this test with the time zone
// of Shanghai (UTC+8, no daylight saving), so local times are known.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "services/date.h"
#include "tests/support/check.h"
#include "tests/win/temp_folder.h"

namespace {

FILETIME FileTimeOf(std::uint64_t ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

// UTC fields to a file time; 0 when they are no time.
std::uint64_t UtcTicks(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                       WORD milliseconds) {
  SYSTEMTIME utc{};
  utc.wYear = year;
  utc.wMonth = month;
  utc.wDay = day;
  utc.wHour = hour;
  utc.wMinute = minute;
  utc.wSecond = second;
  utc.wMilliseconds = milliseconds;
  FILETIME time;
  if (!SystemTimeToFileTime(&utc, &time)) return 0;
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool SetLastWrite(const std::string& path, std::uint64_t ticks) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME time = FileTimeOf(ticks);
  const BOOL ok = SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  return ok != FALSE;
}

// The ticks the directory entry holds now (the file system may keep less).
std::uint64_t StoredLastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// A folder on a file system that keeps any file time (Linux tmpfs, seen
// through Wine's Z: drive); the temporary folder's ext4 stops at 1901 and 2446.
class WideTimeFolder {
 public:
  WideTimeFolder() {
    const std::string base = "Z:\\dev\\shm";
    const DWORD attributes = GetFileAttributesA(base.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    const std::string path = base + "\\vrd-date-" + std::to_string(GetCurrentProcessId());
    if (CreateDirectoryA(path.c_str(), nullptr)) path_ = path;
  }
  ~WideTimeFolder() {
    if (!path_.empty()) TempFolder::RemoveTree(path_);
  }
  WideTimeFolder(const WideTimeFolder&) = delete;
  WideTimeFolder& operator=(const WideTimeFolder&) = delete;
  bool ok() const { return !path_.empty(); }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

struct DateRow {
  const char* label;
  std::uint64_t ticks;
  double expected;
};

void CheckDates(const std::vector<DateRow>& rows, const std::string& path) {
  for (const DateRow& row : rows) {
    CHECK_CONTEXT(row.label);
    CHECK(row.ticks != 0);
    CHECK(PutFile(path, {1, 2, 3}));
    CHECK(SetLastWrite(path, row.ticks));
    CHECK_EQ(StoredLastWrite(path), row.ticks);
    CHECK_EQ(GetFileDate(path), row.expected);
  }
}

}  // namespace

TEST(RunsAtUtcPlusEight) {
  TIME_ZONE_INFORMATION zone;
  const DWORD kind = GetTimeZoneInformation(&zone);
  CHECK_EQ(static_cast<long>(zone.Bias), -480L);
  CHECK(kind != TIME_ZONE_ID_DAYLIGHT);
}

TEST(LastWriteTimeAsLocalWholeSeconds) {
  TempFolder folder("date");
  CheckDates(
      {
          // 06:05:00.900 UTC is 14:05:00.900 at UTC+8; the milliseconds are cut.
          {"2020-03-01 06:05:00.900 UTC", UtcTicks(2020, 3, 1, 6, 5, 0, 900),
           43891 + 50700.0 / 86400},
          {"2019-11-23 15:59:59.999 UTC", UtcTicks(2019, 11, 23, 15, 59, 59, 999),
           43792 + 86399.0 / 86400},
          // Local midnight: the date alone.
          {"2000-02-28 16:00:00 UTC", UtcTicks(2000, 2, 28, 16, 0, 0, 0), 36585.0},
      },
      folder / "picture");
  CHECK_EQ(DateToText(GetFileDate(folder / "picture")), std::string("2000年2月29日"));
}

TEST(FarTimesAndTimesThatMakeNoDate) {
  WideTimeFolder folder;
  if (!folder.ok()) {
    std::printf("  skipped: no Z:\\dev\\shm to hold far file times\n");
    return;
  }
  CheckDates(
      {
          // Before 1899-12-30 the fraction still counts forward from midnight.
          {"1899-12-28 22:00:00 UTC", UtcTicks(1899, 12, 28, 22, 0, 0, 0), -1.25},
          {"1601-01-01 00:00:01 UTC", UtcTicks(1601, 1, 1, 0, 0, 1, 0),
           -109205 - (8 * 3600 + 1) / 86400.0},
          // Local 9999-12-31 07:59:59 is still a date; past 9999 locally, or
          // in year 10000 or later, the time makes no date: kMinDate.
          {"9999-12-30 23:59:59 UTC", UtcTicks(9999, 12, 30, 23, 59, 59, 0),
           kMaxDate + (7 * 3600 + 59 * 60 + 59) / 86400.0},
          {"9999-12-31 16:00:00 UTC", UtcTicks(9999, 12, 31, 16, 0, 0, 0), kMinDate},
          {"30000-06-01 UTC", UtcTicks(30000, 6, 1, 0, 0, 0, 0), kMinDate},
      },
      folder / "picture");
}

TEST(LockedFileStillHasItsDate) {
  TempFolder folder("date");
  const std::string path = folder / "locked";
  CHECK(PutFile(path, {1}));
  CHECK(SetLastWrite(path, UtcTicks(2020, 3, 1, 6, 5, 0, 900)));
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  CHECK(held != INVALID_HANDLE_VALUE);
  const DateValue date = GetFileDate(path);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  CHECK_EQ(DateToText(date), std::string("2020年3月1日14时5分"));
}

TEST(PathNamingNothingGivesMinDate) {
  TempFolder folder("date");
  const std::vector<std::string> paths = {
      folder / "missing",
      folder / "no folder\\missing",
      "",
      "Z:\\no\\such\\drive\\file.jpg",
  };
  for (const std::string& path : paths) {
    CHECK_CONTEXT(path);
    CHECK_EQ(GetFileDate(path), kMinDate);
  }
  CHECK_EQ(DateToText(GetFileDate(folder / "missing")), std::string("100年1月1日"));
}
