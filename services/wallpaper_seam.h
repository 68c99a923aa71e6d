// The platform calls of the desktop wallpaper change, gathered so that a test
// can stand in for one of them (a refused picture, a key that will not open, a
// value that cannot be written). Every member defaults to the real API.
#pragma once

#include <windows.h>

struct WallpaperPlatform {
  decltype(&::SystemParametersInfoA) SystemParametersInfoA = ::SystemParametersInfoA;
  decltype(&::RegOpenKeyExA) RegOpenKeyExA = ::RegOpenKeyExA;
  decltype(&::RegSetValueExA) RegSetValueExA = ::RegSetValueExA;
  decltype(&::RegCloseKey) RegCloseKey = ::RegCloseKey;
};

// The calls in use; a test changes members and restores them afterwards.
WallpaperPlatform& CurrentWallpaperPlatform();
