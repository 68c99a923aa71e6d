// Picture formats, recognised from the leading bytes only.
#pragma once

#include "services/picture/image.h"

enum class PictureFormat { None, Bmp, Jpeg, Png, Icon, Cursor, Gif, Pcx8, Pcx1 };

// Tested in this order, first match wins; fewer than 8 bytes is None.
PictureFormat DetectPictureFormat(Bytes bytes);

const char* PictureFormatName(PictureFormat format);
