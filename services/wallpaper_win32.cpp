// The desktop wallpaper: applied at once, recorded in the user's desktop
// settings, then applied again with the setting saved in the user profile.
#include <windows.h>

#include <cstdio>

#include "services/wallpaper.h"
#include "services/wallpaper_seam.h"

WallpaperPlatform& CurrentWallpaperPlatform() {
  static WallpaperPlatform platform;
  return platform;
}

namespace {

bool SetTextValue(const WallpaperPlatform& api, HKEY key, const char* name, const char* text,
                  DWORD byteCount) {
  return api.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), byteCount) ==
         ERROR_SUCCESS;
}

}  // namespace

bool SetDesktopWallpaper(const Text& path, int style) {
  if (style < 0 || style > 2) style = 0;
  const WallpaperPlatform& api = CurrentWallpaperPlatform();
  // The system only reads the path; the empty text goes as "" rather than null.
  void* picture = const_cast<char*>(path.c_str());

  // A picture the system refuses leaves the registry as it was.
  if (!api.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, picture, 0)) return false;

  HKEY desktop = nullptr;
  if (api.RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_WRITE, &desktop) !=
      ERROR_SUCCESS)
    return false;

  char styleText[12];
  std::snprintf(styleText, sizeof styleText, "%d", style);
  // The NUL is counted in each value's byte count; a style is one digit.
  bool written = SetTextValue(api, desktop, "Wallpaper", path.c_str(),
                              static_cast<DWORD>(TextLength(path)) + 1) &&
                 SetTextValue(api, desktop, "WallpaperStyle", styleText, 2) &&
                 SetTextValue(api, desktop, "TileWallpaper", styleText, 2);
  api.RegCloseKey(desktop);
  if (!written) return false;

  return api.SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, picture, SPIF_UPDATEINIFILE) != FALSE;
}
