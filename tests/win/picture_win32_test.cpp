// Decoded pictures on the platform: which icon image is used, transparency
// laid over the background when drawn, device bitmaps, and the pixels that
// reach a device context.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>

#include "services/picture.h"
#include "tests/support/check.h"
#include "tests/support/corpus.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/picture_fixtures.h"

namespace {

using fixtures::ByteVector;

// A 32-bit top-down surface in a memory DC whose pixels can be read directly.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  HDC dc() const { return dc_; }
  // 0x00RRGGBB, as COLORREF gives it back: red in the low byte.
  COLORREF At(int x, int y) const {
    GdiFlush();
    const auto* p = static_cast<const std::uint8_t*>(bits_) +
                    (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                     static_cast<std::size_t>(x)) *
                        4;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

std::string Show(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%u,%u,%u)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// The bitmap's pixels as COLORREFs, top row first.
std::vector<COLORREF> ReadBitmap(HBITMAP bitmap, int width, int height) {
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width * height) * 4);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), bgra.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  std::vector<COLORREF> out;
  for (std::size_t i = 0; i < bgra.size(); i += 4)
    out.push_back(RGB(bgra[i + 2], bgra[i + 1], bgra[i]));
  return out;
}

ByteVector EncodePng(std::uint32_t width, std::uint32_t height, const ByteVector& rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  ByteVector bytes(size);
  png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
  bytes.resize(size);
  return bytes;
}

// A 4-bit icon image, every pixel colour 1 of its table; the pixels left of
// `transparentColumns` are masked out (colour 0, black, mask bit 1).
ByteVector ColourIconDib(int side, COLORREF colour, int transparentColumns = 0) {
  ByteVector dib = fixtures::MakeIconDib(side, side, 4);
  std::size_t table = 40;
  dib[table + 4] = GetBValue(colour);
  dib[table + 5] = GetGValue(colour);
  dib[table + 6] = GetRValue(colour);
  std::size_t pixels = table + 16 * 4;
  std::size_t colourRow = static_cast<std::size_t>((side * 4 + 31) / 32 * 4);
  std::size_t maskRow = static_cast<std::size_t>((side + 31) / 32 * 4);
  std::size_t mask = pixels + colourRow * static_cast<std::size_t>(side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      std::uint8_t& pair =
          dib[pixels + colourRow * static_cast<std::size_t>(y) + static_cast<std::size_t>(x / 2)];
      if (x >= transparentColumns)
        pair = static_cast<std::uint8_t>(pair | (x % 2 == 0 ? 0x10 : 0x01));
      if (x < transparentColumns) {
        std::uint8_t& bits =
            dib[mask + maskRow * static_cast<std::size_t>(y) + static_cast<std::size_t>(x / 8)];
        bits = static_cast<std::uint8_t>(bits | (0x80 >> (x % 8)));
      }
    }
  }
  return dib;
}

// A 32-bit icon image of one opaque colour.
ByteVector SolidIconDib32(int side, COLORREF colour) {
  ByteVector dib = fixtures::MakeIconDib(side, side, 32);
  for (int i = 0; i < side * side; ++i) {
    std::size_t at = 40 + static_cast<std::size_t>(i) * 4;
    dib[at] = GetBValue(colour);
    dib[at + 1] = GetGValue(colour);
    dib[at + 2] = GetRValue(colour);
    dib[at + 3] = 255;
  }
  return dib;
}

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

TEST(IconDirectoryChoosesTheImage) {
  struct Row {
    const char* name;
    std::vector<fixtures::IconEntry> entries;
    std::uint16_t type;
    int side;
    COLORREF colour;
  } rows[] = {
      {"16 and 32, 16 colours: the 32",
       {{16, 16, 16, ColourIconDib(16, kRed)}, {32, 32, 16, ColourIconDib(32, kGreen)}},
       1,
       32,
       kGreen},
      {"32 first: the 32, not the last",
       {{32, 32, 16, ColourIconDib(32, kGreen)}, {16, 16, 16, ColourIconDib(16, kRed)}},
       1,
       32,
       kGreen},
      {"colour count 0 everywhere: the last",
       {{32, 32, 0, SolidIconDib32(32, kRed)}, {16, 16, 0, SolidIconDib32(16, kBlue)}},
       1,
       16,
       kBlue},
      {"a cursor is made as an icon", {{32, 32, 16, ColourIconDib(32, kRed)}}, 2, 32, kRed},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    ByteVector file = fixtures::MakeIconDirectory(row.entries, row.type);
    DecodedPicture* picture = DecodePicture(file.data(), static_cast<std::int32_t>(file.size()));
    CHECK(picture != nullptr);
    if (picture == nullptr) continue;
    CHECK(picture->icon != nullptr);
    CHECK_EQ(picture->width, row.side);
    CHECK_EQ(picture->height, row.side);
    FreeDecodedPicture(picture);

    HBITMAP bitmap = DecodeToBitmap(file.data(), static_cast<std::int32_t>(file.size()));
    CHECK(bitmap != nullptr);
    if (bitmap == nullptr) continue;
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    CHECK_EQ(info.bmWidth, row.side);
    CHECK_EQ(info.bmHeight, row.side);
    std::vector<COLORREF> pixels = ReadBitmap(bitmap, row.side, row.side);
    CHECK_EQ(Show(pixels[static_cast<std::size_t>(row.side * row.side / 2 + 3)]), Show(row.colour));
    DeleteObject(bitmap);
  }
}

TEST(IconTransparencyShowsWhiteInBitmapAndBackgroundWhenDrawn) {
  ByteVector file = fixtures::MakeIconDirectory({{32, 32, 16, ColourIconDib(32, kRed, 16)}});
  const auto size = static_cast<std::int32_t>(file.size());
  HBITMAP bitmap = DecodeToBitmap(file.data(), size);
  CHECK(bitmap != nullptr);
  if (bitmap != nullptr) {
    std::vector<COLORREF> pixels = ReadBitmap(bitmap, 32, 32);
    CHECK_EQ(Show(pixels[10 * 32 + 4]), Show(kWhite));
    CHECK_EQ(Show(pixels[10 * 32 + 28]), Show(kRed));
    DeleteObject(bitmap);
  }
  DecodedPicture* picture = DecodePicture(file.data(), size);
  CHECK(picture != nullptr);
  if (picture == nullptr) return;
  Surface surface(64, 64, kBlue);
  DrawPicture(surface.dc(), picture, kWhite, 0, 0, 64, 64);  // stretched twice over
  CHECK_EQ(Show(surface.At(10, 30)), Show(kBlue));
  CHECK_EQ(Show(surface.At(50, 30)), Show(kRed));
  FreeDecodedPicture(picture);
}

TEST(PngTransparencyIsLaidOverTheBackground) {
  // Red, green, blue, alpha.
  ByteVector png = EncodePng(3, 1, {255, 0, 0, 0, 0, 0, 0, 128, 10, 20, 30, 255});
  DecodedPicture* picture = DecodePicture(png.data(), static_cast<std::int32_t>(png.size()));
  CHECK(picture != nullptr);
  if (picture == nullptr) return;
  struct Row {
    COLORREF background;
    COLORREF transparent, half, opaque;
  } rows[] = {
      {kWhite, kWhite, RGB(126, 126, 126), RGB(10, 20, 30)},
      {RGB(17, 200, 3), RGB(17, 200, 3), RGB(8, 99, 1), RGB(10, 20, 30)},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT("over " + Show(row.background));
    Surface surface(3, 1, RGB(1, 2, 3));
    DrawPicture(surface.dc(), picture, row.background, 0, 0, 3, 1);
    CHECK_EQ(Show(surface.At(0, 0)), Show(row.transparent));
    CHECK_EQ(Show(surface.At(1, 0)), Show(row.half));
    CHECK_EQ(Show(surface.At(2, 0)), Show(row.opaque));
  }
  // The decoded pixels themselves stay straight: drawing converts a copy.
  CHECK_EQ(picture->image.pixels[3], 0);
  CHECK_EQ(picture->image.pixels[2], 255);
  FreeDecodedPicture(picture);

  HBITMAP bitmap = DecodeToBitmap(png.data(), static_cast<std::int32_t>(png.size()));
  CHECK(bitmap != nullptr);
  if (bitmap == nullptr) return;
  std::vector<COLORREF> pixels = ReadBitmap(bitmap, 3, 1);
  CHECK_EQ(Show(pixels[0]), Show(kWhite));
  CHECK_EQ(Show(pixels[1]), Show(RGB(126, 126, 126)));
  DeleteObject(bitmap);
}

// Which of red, green, blue and white the colour is closest to.
COLORREF Nearest(COLORREF c) {
  COLORREF best = kRed;
  int bestDistance = 1 << 30;
  for (COLORREF candidate : {kRed, kGreen, kBlue, kWhite}) {
    int dr = GetRValue(c) - GetRValue(candidate), dg = GetGValue(c) - GetGValue(candidate),
        db = GetBValue(c) - GetBValue(candidate);
    int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = candidate;
    }
  }
  return best;
}

TEST(DrawnPictureIsUprightAndStretched) {
  // 2 x 2: red, green over blue, white.
  fixtures::BmpLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.bits = 24;
  ByteVector bmp = fixtures::MakeBmp(layout, {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}});
  DecodedPicture* picture = DecodePicture(bmp.data(), static_cast<std::int32_t>(bmp.size()));
  CHECK(picture != nullptr);
  if (picture == nullptr) return;
  CHECK(picture->format == PictureFormat::Bmp);
  // At its own size every pixel is exact.
  Surface exact(2, 2, RGB(9, 9, 9));
  DrawPicture(exact.dc(), picture, kWhite, 0, 0, 2, 2);
  CHECK_EQ(Show(exact.At(0, 0)), Show(kRed));
  CHECK_EQ(Show(exact.At(1, 0)), Show(kGreen));
  CHECK_EQ(Show(exact.At(0, 1)), Show(kBlue));
  CHECK_EQ(Show(exact.At(1, 1)), Show(kWhite));

  // Stretched, the halftone mode may blend neighbours: each quarter is still
  // nearest to its own colour, and nothing is drawn outside the rectangle.
  Surface surface(60, 40, RGB(9, 9, 9));
  DrawPicture(surface.dc(), picture, kWhite, 10, 0, 40, 40);
  CHECK_EQ(Show(surface.At(5, 20)), Show(RGB(9, 9, 9)));
  CHECK_EQ(Show(Nearest(surface.At(15, 5))), Show(kRed));
  CHECK_EQ(Show(Nearest(surface.At(45, 5))), Show(kGreen));
  CHECK_EQ(Show(Nearest(surface.At(15, 35))), Show(kBlue));
  CHECK_EQ(Show(Nearest(surface.At(45, 35))), Show(kWhite));
  CHECK_EQ(Show(surface.At(55, 20)), Show(RGB(9, 9, 9)));
  FreeDecodedPicture(picture);
}

TEST(OneBitPcxGivesMonochromeBitmap) {
  // 16 x 2, two bytes a line: row 0 light then dark halves of byte 0 ...
  fixtures::PcxLayout layout;
  layout.version = 3;
  layout.bits = 1;
  layout.xmax = 15;
  layout.ymax = 1;
  layout.bytesPerLine = 2;
  ByteVector pcx = fixtures::MakePcx(layout, {0xF0, 0x0F, 0x00, 0xFF});
  HBITMAP bitmap = DecodeToBitmap(pcx.data(), static_cast<std::int32_t>(pcx.size()));
  CHECK(bitmap != nullptr);
  if (bitmap == nullptr) return;
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  CHECK_EQ(info.bmBitsPixel, 1);
  CHECK_EQ(info.bmPlanes, 1);
  CHECK_EQ(info.bmWidth, 16);
  CHECK_EQ(info.bmHeight, 2);
  std::vector<COLORREF> pixels = ReadBitmap(bitmap, 16, 2);
  const COLORREF black = RGB(0, 0, 0);
  struct Row {
    int x, y;
    COLORREF colour;
  } rows[] = {{0, 0, kWhite},  {3, 0, kWhite}, {4, 0, black},  {11, 0, black},
              {12, 0, kWhite}, {7, 1, black},  {8, 1, kWhite}, {15, 1, kWhite}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(std::to_string(row.x) + "," + std::to_string(row.y));
    CHECK_EQ(Show(pixels[static_cast<std::size_t>(row.y * 16 + row.x)]), Show(row.colour));
  }
  DeleteObject(bitmap);
}

TEST(ColourBitmapsAreCompatibleWithTheScreen) {
  fixtures::JpegOptions options;
  options.width = 40;
  options.height = 30;
  ByteVector jpeg = fixtures::EncodeJpeg(
      options, [](int, int, int c) { return static_cast<std::uint8_t>(c == 0 ? 250 : 5); });
  HBITMAP bitmap = DecodeToBitmap(jpeg.data(), static_cast<std::int32_t>(jpeg.size()));
  CHECK(bitmap != nullptr);
  if (bitmap == nullptr) return;
  BITMAP info;
  GetObjectA(bitmap, sizeof info, &info);
  HDC screen = GetDC(nullptr);
  CHECK_EQ(static_cast<int>(info.bmBitsPixel), GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  CHECK_EQ(info.bmWidth, 40);
  CHECK_EQ(info.bmHeight, 30);
  COLORREF middle = ReadBitmap(bitmap, 40, 30)[15 * 40 + 20];
  CHECK(GetRValue(middle) > 240 && GetGValue(middle) < 16 && GetBValue(middle) < 16);
  DeleteObject(bitmap);
}

TEST(DecodedSizesPerFormat) {
  fixtures::PcxLayout pcxLayout;
  pcxLayout.version = 3;
  pcxLayout.bits = 1;
  pcxLayout.xmin = 10;
  pcxLayout.xmax = 29;  // 20 wide
  pcxLayout.ymin = 5;
  pcxLayout.ymax = 7;  // 3 high
  pcxLayout.bytesPerLine = 4;
  ByteVector pcx = fixtures::MakePcx(pcxLayout, ByteVector(12, 0x55));
  fixtures::ByteVector gif = fixtures::GifHeader(200, 100, {{0, 0, 255}, {0, 255, 0}});
  fixtures::GifImage first;
  first.width = first.height = 50;
  first.minCodeSize = 2;
  first.indexes.assign(2500, 1);
  fixtures::PutImage(gif, first);
  gif.push_back(0x3B);
  struct Row {
    const char* name;
    ByteVector bytes;
    PictureFormat format;
    std::int32_t width, height;
  } rows[] = {
      {"GIF: the logical screen", gif, PictureFormat::Gif, 200, 100},
      {"JPEG", corpus::ReadFile(corpus::kRoot + "jpeg/pillow/hopper.jpg"), PictureFormat::Jpeg, 128,
       128},
      {"PNG", corpus::ReadFile(corpus::kRoot + "png/pngsuite/basn6a16.png"), PictureFormat::Png, 32,
       32},
      {"BMP", corpus::ReadFile(corpus::kRoot + "bmp/bmpsuite/g/rgb24.bmp"), PictureFormat::Bmp, 127,
       64},
      {"1-bit PCX", pcx, PictureFormat::Pcx1, 20, 3},
      {"8-bit PCX", corpus::ReadFile(corpus::kRoot + "pcx/pillow/odd_stride.pcx"),
       PictureFormat::Pcx8, 371, 150},
      {"cursor", corpus::ReadFile(corpus::kRoot + "ico/pillow/deerstalker.cur"),
       PictureFormat::Cursor, 32, 32},
      {"icon with a PNG image", corpus::ReadFile(corpus::kRoot + "ico/pillow/hopper_draw.ico"),
       PictureFormat::Icon, 16, 16},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    DecodedPicture* picture =
        DecodePicture(row.bytes.data(), static_cast<std::int32_t>(row.bytes.size()));
    CHECK(picture != nullptr);
    if (picture == nullptr) continue;
    CHECK(picture->format == row.format);
    CHECK_EQ(picture->width, row.width);
    CHECK_EQ(picture->height, row.height);
    FreeDecodedPicture(picture);
    // A measurement's blank bitmap is the same kind of bitmap as the full one.
    const auto size = static_cast<std::int32_t>(row.bytes.size());
    HBITMAP full = DecodeToBitmap(row.bytes.data(), size);
    HBITMAP blank = DecodeToBlankBitmap(row.bytes.data(), size);
    CHECK(full != nullptr && blank != nullptr);
    BITMAP fullInfo, blankInfo;
    std::memset(&fullInfo, 0, sizeof fullInfo);
    std::memset(&blankInfo, 0, sizeof blankInfo);
    CHECK(GetObjectA(full, sizeof fullInfo, &fullInfo) == sizeof fullInfo);
    CHECK(GetObjectA(blank, sizeof blankInfo, &blankInfo) == sizeof blankInfo);
    CHECK_EQ(blankInfo.bmWidth, row.width);
    CHECK_EQ(blankInfo.bmHeight, row.height);
    CHECK_EQ(blankInfo.bmWidthBytes, fullInfo.bmWidthBytes);
    CHECK_EQ(static_cast<int>(blankInfo.bmBitsPixel), static_cast<int>(fullInfo.bmBitsPixel));
    CHECK_EQ(static_cast<int>(blankInfo.bmPlanes), static_cast<int>(fullInfo.bmPlanes));
    CHECK(blankInfo.bmBits == nullptr && fullInfo.bmBits == nullptr);  // device bitmaps both
    DeleteObject(full);
    DeleteObject(blank);
  }
  // The GIF's first image sits in the top-left corner of its screen.
  HBITMAP bitmap = DecodeToBitmap(gif.data(), static_cast<std::int32_t>(gif.size()));
  CHECK(bitmap != nullptr);
  if (bitmap == nullptr) return;
  std::vector<COLORREF> pixels = ReadBitmap(bitmap, 200, 100);
  CHECK_EQ(Show(pixels[49 * 200 + 49]), Show(kGreen));
  DeleteObject(bitmap);
}

TEST(InputsWithoutPicture) {
  ByteVector noImage = fixtures::GifHeader(10, 10, {{0, 0, 0}, {255, 255, 255}});
  fixtures::PutExtension(noImage, 0xFE, 5);
  noImage.push_back(0x3B);
  ByteVector badIcon = fixtures::MakeIconDirectory({{32, 32, 16, ColourIconDib(32, kRed)}});
  badIcon.resize(badIcon.size() - 100);  // the image runs past the end
  ByteVector text(64, 'a');
  struct Row {
    const char* name;
    ByteVector bytes;
    std::int32_t size;  // -1: the bytes' own size
  } rows[] = {
      {"seven bytes of JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J'}, -1},
      {"size 0", text, 0},
      {"negative size", text, -5},
      {"text", text, -1},
      {"GIF without image", noImage, -1},
      {"icon cut short", badIcon, -1},
      {"icon without images", corpus::ReadFile(corpus::kRoot + "ico/pillow/no_cursors.cur"), -1},
      {"RLE BMP", corpus::ReadFile(corpus::kRoot + "bmp/bmpsuite/g/pal8rle.bmp"), -1},
      {"16-bit BMP", corpus::ReadFile(corpus::kRoot + "bmp/bmpsuite/g/rgb16.bmp"), -1},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    std::int32_t size = row.size >= 0 ? row.size : static_cast<std::int32_t>(row.bytes.size());
    CHECK(DecodePicture(row.bytes.data(), size) == nullptr);
    CHECK(DecodeToBitmap(row.bytes.data(), size) == nullptr);
    CHECK(DecodeToBlankBitmap(row.bytes.data(), size) == nullptr);
  }
  CHECK(DecodePicture(nullptr, 100) == nullptr);
  FreeDecodedPicture(nullptr);
  DrawPicture(nullptr, nullptr, 0, 0, 0, 1, 1);
}

}  // namespace
