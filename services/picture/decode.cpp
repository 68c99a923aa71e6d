#include "services/picture/format.h"
#include "services/picture/readers.h"

std::optional<Image> DecodeImage(Bytes bytes) {
  switch (DetectPictureFormat(bytes)) {
    case PictureFormat::Bmp:
      return DecodeBmp(bytes);
    case PictureFormat::Jpeg:
      return DecodeJpeg(bytes);
    case PictureFormat::Png:
      return DecodePng(bytes);
    case PictureFormat::Gif:
      return DecodeGif(bytes);
    case PictureFormat::Pcx8:
    case PictureFormat::Pcx1:
      return DecodePcx(bytes);
    case PictureFormat::Icon:
    case PictureFormat::Cursor:
    case PictureFormat::None:
      break;
  }
  return std::nullopt;
}
