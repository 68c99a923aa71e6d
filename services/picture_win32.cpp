// Pictures on the platform: icons and cursors made by the icon functions,
// everything else decoded by the portable readers and turned into device
// bitmaps from top-down BGRA.
#include <cstring>
#include <memory>

#include "services/picture.h"
#include "services/picture/composite.h"
#include "services/picture/readers.h"
#include "services/win32_handles.h"

namespace {

constexpr DWORD kIconVersion = 0x00030000;

// Cursors are made as icons too: their directory holds the hot spot, and the
// image itself is laid out as an icon's.
HICON MakeIcon(Bytes bytes, const IconChoice& choice) {
  // The icon functions only read the image, but take a non-const pointer.
  PBYTE image = const_cast<PBYTE>(bytes.data() + choice.offset);
  const auto size = static_cast<DWORD>(choice.size);
  HICON icon = CreateIconFromResourceEx(image, size, TRUE, kIconVersion, choice.width,
                                        choice.height, LR_DEFAULTCOLOR);
  if (icon == nullptr && choice.bitCount != 16) {
    icon = CreateIconFromResource(image, size, TRUE, kIconVersion);
  }
  return icon;
}

BITMAPINFO TopDownInfo(const Image& image) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // rows run from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// What a bitmap made from a picture holds: the picture, or nothing yet, for
// a caller that only wants its size.
enum class BitmapContent { Picture, Blank };

// A bitmap compatible with dc holding the picture; a PNG is laid over the
// background first. Nothing is kept: every call converts afresh.
UniqueBitmap MakeColourBitmap(HDC dc, const DecodedPicture& picture, COLORREF background,
                              BitmapContent content = BitmapContent::Picture) {
  const Image& source = picture.image;
  if (!source.pixels || source.width <= 0 || source.height <= 0) return {};
  if (content == BitmapContent::Blank) {
    return UniqueBitmap(CreateCompatibleBitmap(dc, source.width, source.height));
  }
  const Image* pixels = &source;
  std::optional<Image> composed;
  if (picture.format == PictureFormat::Png) {
    composed = AllocateImage(source.width, source.height, PixelFill::None);  // copied over whole
    if (!composed) return {};
    std::memcpy(composed->pixels.get(), source.pixels.get(), source.ByteCount());
    CompositeOverBackground(*composed, GetBValue(background), GetGValue(background),
                            GetRValue(background));
    pixels = &*composed;
  }
  UniqueBitmap bitmap(CreateCompatibleBitmap(dc, source.width, source.height));
  if (!bitmap) return {};
  BITMAPINFO info = TopDownInfo(*pixels);
  const int lines = SetDIBits(dc, bitmap.get(), 0, static_cast<UINT>(source.height),
                              pixels->pixels.get(), &info, DIB_RGB_COLORS);
  if (lines != source.height) return {};
  return bitmap;
}

// A monochrome bitmap: bit 1 (white) where the picture is light.
UniqueBitmap MakeMonochromeBitmap(const Image& image) {
  if (!image.pixels || image.width <= 0 || image.height <= 0) return {};
  // Monochrome bitmap rows are padded to 16 bits.
  const std::size_t rowBytes = (static_cast<std::size_t>(image.width) + 15) / 16 * 2;
  const std::size_t total = rowBytes * static_cast<std::size_t>(image.height);
  std::unique_ptr<std::uint8_t[], FreeDeleter> bits(
      static_cast<std::uint8_t*>(std::calloc(total, 1)));
  if (!bits) return {};
  for (std::int32_t y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.Row(y);
    std::uint8_t* out = bits.get() + rowBytes * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < image.width; ++x, in += 4) {
      const unsigned light = (in[0] + in[1] * 2u + in[2]) / 4u;
      if (light >= 128) {
        out[x / 8] = static_cast<std::uint8_t>(out[x / 8] | (0x80u >> (x % 8)));
      }
    }
  }
  return UniqueBitmap(CreateBitmap(image.width, image.height, 1, 1, bits.get()));
}

// A bitmap compatible with dc, filled white, with the icon drawn at its size.
UniqueBitmap MakeIconBitmap(HDC dc, const DecodedPicture& picture) {
  UniqueBitmap bitmap(CreateCompatibleBitmap(dc, picture.width, picture.height));
  if (!bitmap) return {};
  MemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return {};
  SelectedObject selected(memory.get(), bitmap.get());
  if (!selected) return {};
  PatBlt(memory.get(), 0, 0, picture.width, picture.height, WHITENESS);
  DrawIconEx(memory.get(), 0, 0, picture.icon, picture.width, picture.height, 0, nullptr,
             DI_NORMAL);
  return bitmap;
}

int DisplayStretchMode() {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return COLORONCOLOR;
  return mode.dmBitsPerPel > 16 ? HALFTONE : COLORONCOLOR;
}

}  // namespace

DecodedPicture* DecodePicture(const std::uint8_t* bytes, std::int32_t size) {
  if (bytes == nullptr || size < 8) return nullptr;
  const Bytes data(bytes, static_cast<std::size_t>(size));
  const PictureFormat format = DetectPictureFormat(data);
  if (format == PictureFormat::None) return nullptr;

  auto picture = std::make_unique<DecodedPicture>();
  picture->format = format;
  if (format == PictureFormat::Icon || format == PictureFormat::Cursor) {
    std::optional<IconChoice> choice = ChooseIconEntry(data);
    if (!choice) return nullptr;
    picture->width = choice->width;
    picture->height = choice->height;
    picture->icon = MakeIcon(data, *choice);
    if (picture->icon == nullptr) return nullptr;
    return picture.release();
  }
  std::optional<Image> image = DecodeImage(data);
  if (!image) return nullptr;
  picture->width = image->width;
  picture->height = image->height;
  picture->image = std::move(*image);
  return picture.release();
}

void FreeDecodedPicture(DecodedPicture* picture) {
  if (picture == nullptr) return;
  if (picture->icon != nullptr) DestroyIcon(picture->icon);
  delete picture;
}

void DrawPicture(HDC dc, const DecodedPicture* picture, COLORREF background, int x, int y,
                 int width, int height) {
  if (dc == nullptr || picture == nullptr) return;
  SetStretchBltMode(dc, DisplayStretchMode());
  SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE wants the brush origin set after it
  if (picture->icon != nullptr) {
    DrawIconEx(dc, x, y, picture->icon, width, height, 0, nullptr, DI_NORMAL);
    return;
  }
  UniqueBitmap bitmap = MakeColourBitmap(dc, *picture, background);
  if (!bitmap) return;
  MemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  SelectedObject selected(memory.get(), bitmap.get());
  if (!selected) return;
  StretchBlt(dc, x, y, width, height, memory.get(), 0, 0, picture->width, picture->height, SRCCOPY);
}

namespace {

HBITMAP MakeBitmap(const std::uint8_t* bytes, std::int32_t size, BitmapContent content) {
  std::unique_ptr<DecodedPicture, void (*)(DecodedPicture*)> picture(DecodePicture(bytes, size),
                                                                     FreeDecodedPicture);
  if (!picture) return nullptr;
  WindowDc screen(nullptr);
  if (!screen) return nullptr;
  UniqueBitmap bitmap;
  if (picture->icon != nullptr) {
    bitmap = MakeIconBitmap(screen.get(), *picture);
  } else if (picture->format == PictureFormat::Pcx1) {
    bitmap = MakeMonochromeBitmap(picture->image);
  } else {
    bitmap = MakeColourBitmap(screen.get(), *picture, RGB(255, 255, 255), content);
  }
  return bitmap.release();
}

}  // namespace

HBITMAP DecodeToBitmap(const std::uint8_t* bytes, std::int32_t size) {
  return MakeBitmap(bytes, size, BitmapContent::Picture);
}

HBITMAP DecodeToBlankBitmap(const std::uint8_t* bytes, std::int32_t size) {
  // A JPEG, the common photo, is decoded without keeping its pixels: the same
  // outcome without taking and filling a block of the picture's size.
  if (bytes != nullptr && size >= 8) {
    const Bytes data(bytes, static_cast<std::size_t>(size));
    if (DetectPictureFormat(data) == PictureFormat::Jpeg) {
      std::optional<PictureSize> picture = MeasureJpeg(data);
      if (!picture) return nullptr;
      WindowDc screen(nullptr);
      if (!screen) return nullptr;
      return CreateCompatibleBitmap(screen.get(), picture->width, picture->height);
    }
  }
  return MakeBitmap(bytes, size, BitmapContent::Blank);
}
