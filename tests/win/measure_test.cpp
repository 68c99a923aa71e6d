// Picture measurement: the size of the bitmap a file's picture makes, the
// platform's bitmap loader as the second chance, 0 x 0 for the rest.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/picture.h"
#include "tests/support/check.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/picture_fixtures.h"
#include "tests/win/temp_folder.h"

namespace {

using fixtures::ByteVector;

ByteVector Jpeg(int width, int height) {
  fixtures::JpegOptions options;
  options.width = width;
  options.height = height;
  options.quality = 75;
  return fixtures::EncodeJpeg(options, [](int x, int y, int c) {
    return static_cast<std::uint8_t>((x / 7 + y / 5 + c * 40) & 0xFF);
  });
}

const std::string kCorpus = "..\\shared\\corpora\\";

TEST(MeasuresEachKindOfFile) {
  TempFolder folder("measure");
  ByteVector landscape = Jpeg(1920, 1080);
  std::size_t scan = fixtures::ScanDataStart(landscape);
  ByteVector truncated(landscape.begin(),
                       landscape.begin() + static_cast<long>(scan + (landscape.size() - scan) / 2));
  ByteVector gif = fixtures::GifHeader(200, 100, {{0, 0, 0}, {255, 255, 255}});
  fixtures::GifImage first;
  first.width = first.height = 50;
  first.minCodeSize = 2;
  first.indexes.assign(2500, 1);
  fixtures::PutImage(gif, first);
  gif.push_back(0x3B);
  std::string text = "just some words, no picture at all\r\n";

  CHECK(PutFile(folder / "landscape.jpg", landscape));
  CHECK(PutFile(folder / "portrait.jpg", Jpeg(1080, 1920)));
  CHECK(PutFile(folder / "truncated.jpg", truncated));
  CHECK(PutFile(folder / "screen.gif", gif));
  CHECK(PutFile(folder / "empty.jpg", {}));
  CHECK(PutFile(folder / "words.txt", ByteVector(text.begin(), text.end())));
  CHECK(CreateDirectoryA((folder / "folder.jpg").c_str(), nullptr));

  struct Row {
    const char* name;
    std::string path;
    std::int32_t width, height;
  } rows[] = {
      {"1920 x 1080 JPEG", folder / "landscape.jpg", 1920, 1080},
      {"1080 x 1920 JPEG", folder / "portrait.jpg", 1080, 1920},
      {"JPEG cut in its scan data", folder / "truncated.jpg", 1920, 1080},
      {"GIF: the logical screen", folder / "screen.gif", 200, 100},
      {"0-byte file", folder / "empty.jpg", 0, 0},
      {"missing file", folder / "missing.jpg", 0, 0},
      {"text file", folder / "words.txt", 0, 0},
      {"folder", folder / "folder.jpg", 0, 0},
      {"empty path", "", 0, 0},
      {"icon: the chosen image", kCorpus + "ico\\pillow\\python.ico", 48, 48},
      {"1-bit BMP", kCorpus + "bmp\\bmpsuite\\g\\pal1.bmp", 127, 64},
      // The program's reader refuses these; the platform loads them.
      {"RLE8 BMP", kCorpus + "bmp\\bmpsuite\\g\\pal8rle.bmp", 127, 64},
      {"RLE4 BMP", kCorpus + "bmp\\bmpsuite\\g\\pal4rle.bmp", 127, 64},
      {"16-bit BMP", kCorpus + "bmp\\bmpsuite\\g\\rgb16.bmp", 127, 64},
      {"16-bit bit-field BMP", kCorpus + "bmp\\bmpsuite\\g\\rgb16-565.bmp", 127, 64},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK_EQ(GetPictureWidth(row.path), row.width);
    CHECK_EQ(GetPictureHeight(row.path), row.height);
  }
}

TEST(FileOpenForWritingElsewhereMeasuresZero) {
  TempFolder folder("measure-locked");
  std::string path = folder / "busy.jpg";
  CHECK(PutFile(path, Jpeg(64, 32)));
  CHECK_EQ(GetPictureWidth(path), 64);
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  CHECK(writer != INVALID_HANDLE_VALUE);
  CHECK_EQ(GetPictureWidth(path), 0);
  CHECK_EQ(GetPictureHeight(path), 0);
  CloseHandle(writer);
  CHECK_EQ(GetPictureHeight(path), 32);
}

}  // namespace
