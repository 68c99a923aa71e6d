// What the scan asks of the system: the environment, whether a folder exists,
// a directory search, picture measurement and file dates. The Windows build
// installs the real calls; a test puts in its own.
#pragma once

#include <cstdint>

#include "services/date.h"
#include "services/text.h"

// One item of a directory search.
struct ListedItem {
  Text name;
  bool isDirectory = false;
};

struct ScanPlatform {
  Text (*GetEnvironmentText)(const Text& name) = nullptr;
  bool (*FolderExists)(const Text& folder) = nullptr;
  // A search over pattern with its first item, or nullptr when nothing is
  // found; FindNext gives the following item or false at the end; FindClose
  // ends a search that was started.
  void* (*FindFirst)(const Text& pattern, ListedItem* item) = nullptr;
  bool (*FindNext)(void* search, ListedItem* item) = nullptr;
  void (*FindClose)(void* search) = nullptr;
  std::int32_t (*GetPictureWidth)(const Text& path) = nullptr;
  std::int32_t (*GetPictureHeight)(const Text& path) = nullptr;
  DateValue (*GetFileDate)(const Text& path) = nullptr;
};

// The calls the scan uses. Until a platform is installed (the Windows build
// does so before main), the environment is empty, no folder exists and every
// search finds nothing.
ScanPlatform& CurrentScanPlatform();

// The folder below the local application-data folder where the lock-screen
// pictures are kept.
inline constexpr const char* kAssetTail =
    "Packages\\Microsoft.Windows.ContentDeliveryManager_cw5n1h2txyewy\\LocalState\\Assets";
// name and path of the entry that stands in when no picture is found.
inline constexpr const char* kNoPushFound = "未搜索到推送";
