// The desktop wallpaper of the current user.
#pragma once

#include "services/text.h"

// style outside 0..2 means 0.
bool SetDesktopWallpaper(const Text& path, int style = 0);
