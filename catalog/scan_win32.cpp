// The scan's platform on Windows: the process environment, FindFirstFileA and
// FindNextFileA, picture measurement and file dates.
#include <windows.h>

#include "catalog/scan_platform.h"
#include "services/picture.h"

namespace {

bool FolderExists(const Text& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Take(const WIN32_FIND_DATAA& found, ListedItem* item) {
  item->name = found.cFileName;
  item->isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void* FindFirst(const Text& pattern, ListedItem* item) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return nullptr;
  Take(found, item);
  return search;
}

bool FindNext(void* search, ListedItem* item) {
  WIN32_FIND_DATAA found;
  if (!FindNextFileA(static_cast<HANDLE>(search), &found)) return false;
  Take(found, item);
  return true;
}

void FindEnd(void* search) { FindClose(static_cast<HANDLE>(search)); }

bool InstallWin32ScanPlatform() {
  CurrentScanPlatform() = {GetEnvironmentText, FolderExists,     FindFirst,  FindNext, FindEnd,
                           GetPictureWidth,    GetPictureHeight, GetFileDate};
  return true;
}

}  // namespace

// Nothing refers to this by name: the link options of the Windows library ask
// for it, so every Windows program carries this file and the real platform is
// in place before main runs.
extern "C" {
extern const bool verandel_win32_scan_platform;
const bool verandel_win32_scan_platform = InstallWin32ScanPlatform();
}
