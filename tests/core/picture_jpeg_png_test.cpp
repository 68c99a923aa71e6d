// JPEG and PNG decoding: sizes, truncated files, colour handling and files
// that must give no picture. JPEG fixtures are made here with libjpeg's
// compressor, PNG ones with libpng's simplified writer.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "services/picture/readers.h"
#include "tests/support/check.h"
#include "tests/support/corpus.h"
#include "tests/support/jpeg_fixture.h"

namespace {

using fixtures::EncodeJpeg;
using fixtures::JpegOptions;
using fixtures::ScanDataStart;
using Buffer = std::vector<std::uint8_t>;

Buffer ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Buffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string kCorpus = "../shared/corpora/";

std::uint8_t Gradient(int x, int y, int c) {
  return static_cast<std::uint8_t>((x * 255 / 1919 + y * 7 + c * 60) & 0xFF);
}

int Difference(int a, int b) { return a > b ? a - b : b - a; }

bool NearlyEqual(const Image& a, const Image& b, int tolerance) {
  if (a.width != b.width || a.height != b.height) return false;
  for (std::size_t i = 0; i < a.ByteCount(); ++i) {
    if (Difference(a.pixels[i], b.pixels[i]) > tolerance) return false;
  }
  return true;
}

TEST(BaselineJpegDecodesAtFullSizeAndTruncatedStillDoes) {
  JpegOptions options;
  options.width = 1920;
  options.height = 1080;
  Buffer jpeg = EncodeJpeg(options, Gradient);
  auto full = DecodeJpeg(jpeg);
  CHECK(full.has_value());
  if (!full) return;
  CHECK_EQ(full->width, 1920);
  CHECK_EQ(full->height, 1080);
  // Blue, green, red order, opaque, close to what was encoded.
  const std::uint8_t* pixel = full->Row(500) + 4 * 1000;
  CHECK(Difference(pixel[0], Gradient(1000, 500, 2)) <= 8);
  CHECK(Difference(pixel[1], Gradient(1000, 500, 1)) <= 8);
  CHECK(Difference(pixel[2], Gradient(1000, 500, 0)) <= 8);
  CHECK_EQ(pixel[3], 255);

  std::size_t scan = ScanDataStart(jpeg);
  CHECK(scan > 0);
  std::size_t cut = scan + (jpeg.size() - scan) / 2;
  auto truncated = DecodeJpeg(Bytes(jpeg.data(), cut));
  CHECK(truncated.has_value());
  if (!truncated) return;
  CHECK_EQ(truncated->width, 1920);
  CHECK_EQ(truncated->height, 1080);
  // What the file still holds decodes as before.
  CHECK(std::memcmp(truncated->Row(0), full->Row(0), 1920 * 4) == 0);
  CHECK(std::memcmp(truncated->Row(1079), full->Row(1079), 1920 * 4) != 0);
  CHECK_EQ(truncated->Row(1079)[3], 255);
}

TEST(JpegInputsWithoutPicture) {
  Buffer small = EncodeJpeg({}, Gradient);
  std::size_t scan = ScanDataStart(small);
  struct Row {
    const char* name;
    Buffer bytes;
  } rows[] = {
      {"empty", {}},
      {"seven bytes after SOI", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A}},
      {"SOI then EOI", {0xFF, 0xD8, 0xFF, 0xD9, 0, 0, 0, 0}},
      {"SOI then text", {0xFF, 0xD8, 'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
      {"cut before the scan", Buffer(small.begin(), small.begin() + static_cast<long>(scan - 20))},
      {"12-bit samples", ReadFile(kCorpus + "jpeg/libjpeg-turbo/monkey12.jpg")},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK(!DecodeJpeg(row.bytes).has_value());
  }
}

// A measurement runs the same decode with the pixels thrown away, so it must
// succeed and fail exactly where decoding does, and agree on the size.
TEST(MeasuringAJpegAgreesWithDecodingIt) {
  JpegOptions colour;
  colour.width = 333;  // not a whole number of blocks either way
  colour.height = 77;
  Buffer jpeg = EncodeJpeg(colour, Gradient);
  const std::size_t scan = ScanDataStart(jpeg);
  JpegOptions grey;
  grey.components = 1;
  grey.space = JCS_GRAYSCALE;
  JpegOptions inks;
  inks.components = 4;
  inks.space = JCS_CMYK;
  inks.adobeMarker = true;
  JpegOptions scans = grey;  // 568 scans, past the limit
  scans.progressive = true;
  scans.refinements = 8;
  // The end marker replaced by a quantisation table of a number that does not
  // exist: an error only found after the last row.
  Buffer badTable(jpeg.begin(), jpeg.end() - 2);
  badTable.insert(badTable.end(), {0xFF, 0xDB, 0x00, 0x43, 0x0F});
  badTable.resize(badTable.size() + 64, 1);
  badTable.insert(badTable.end(), {0xFF, 0xD9});
  struct Row {
    std::string name;
    Buffer bytes;
  };
  std::vector<Row> rows = {
      {"colour", jpeg},
      {"colour cut in the scan", Buffer(jpeg.begin(), jpeg.begin() + static_cast<long>(scan + 40))},
      {"colour cut before the scan",
       Buffer(jpeg.begin(), jpeg.begin() + static_cast<long>(scan - 20))},
      {"greyscale", EncodeJpeg(grey, Gradient)},
      {"four inks", EncodeJpeg(inks, Gradient)},
      {"too many scans", EncodeJpeg(scans, Gradient)},
      {"bad table after the scan", badTable},
      {"SOI then EOI", {0xFF, 0xD8, 0xFF, 0xD9, 0, 0, 0, 0}},
      {"one byte", {0xFF}},
  };
  for (const auto& row : corpus::Manifest()) {
    if (row.format == "jpeg") rows.push_back({row.path, ReadFile(kCorpus + row.path)});
  }
  int decoded = 0;
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    auto image = DecodeJpeg(row.bytes);
    auto size = MeasureJpeg(row.bytes);
    CHECK_EQ(size.has_value(), image.has_value());
    if (!image || !size) continue;
    ++decoded;
    CHECK_EQ(size->width, image->width);
    CHECK_EQ(size->height, image->height);
  }
  CHECK(decoded > 30);
}

TEST(GreyscaleJpegGivesEqualChannels) {
  JpegOptions options;
  options.components = 1;
  options.space = JCS_GRAYSCALE;
  Buffer jpeg =
      EncodeJpeg(options, [](int x, int y, int) { return static_cast<std::uint8_t>(x * 4 + y); });
  auto image = DecodeJpeg(jpeg);
  CHECK(image.has_value());
  if (!image) return;
  CHECK_EQ(image->width, 64);
  CHECK_EQ(image->height, 48);
  bool equal = true;
  for (std::size_t i = 0; i < image->ByteCount(); i += 4) {
    const std::uint8_t* p = image->pixels.get() + i;
    equal = equal && p[0] == p[1] && p[1] == p[2] && p[3] == 255;
  }
  CHECK(equal);
  CHECK(Difference(image->Row(10)[4 * 20], 20 * 4 + 10) <= 6);
}

TEST(FourComponentJpegShowsItsInks) {
  // Pure red is no cyan, full magenta, full yellow, no black. With an Adobe
  // marker the samples are stored inverted, as Photoshop writes them.
  struct Row {
    const char* name;
    bool adobe;
    std::uint8_t samples[4];
  } rows[] = {
      {"Adobe, inverted", true, {255, 0, 0, 255}},
      {"plain inks", false, {0, 255, 255, 0}},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    JpegOptions options;
    options.components = 4;
    options.space = JCS_CMYK;
    options.adobeMarker = row.adobe;
    Buffer jpeg = EncodeJpeg(options, [&](int, int, int c) { return row.samples[c]; });
    auto image = DecodeJpeg(jpeg);
    CHECK(image.has_value());
    if (!image) continue;
    const std::uint8_t* p = image->Row(20) + 4 * 30;
    CHECK(p[0] <= 8);
    CHECK(p[1] <= 8);
    CHECK(p[2] >= 247);
    CHECK_EQ(p[3], 255);
  }

  // A real CMYK file looks like the RGB file it was made from.
  auto cmyk = DecodeJpeg(ReadFile(kCorpus + "jpeg/pillow/pil_sample_cmyk.jpg"));
  auto rgb = DecodeJpeg(ReadFile(kCorpus + "jpeg/pillow/pil_sample_rgb.jpg"));
  CHECK(cmyk.has_value() && rgb.has_value());
  if (!cmyk || !rgb) return;
  CHECK_EQ(cmyk->width, rgb->width);
  CHECK_EQ(cmyk->height, rgb->height);
  long total = 0;
  for (std::size_t i = 0; i < cmyk->ByteCount(); ++i)
    total += Difference(cmyk->pixels[i], rgb->pixels[i]);
  long mean = total / static_cast<long>(cmyk->ByteCount());
  CHECK(mean <= 12);
}

TEST(ProgressiveJpegScanLimit) {
  JpegOptions options;
  options.components = 1;
  options.space = JCS_GRAYSCALE;
  options.width = 32;
  options.height = 16;
  auto sample = [](int x, int y, int) { return static_cast<std::uint8_t>(x * 8 ^ y * 16); };
  options.progressive = true;
  auto simple = DecodeJpeg(EncodeJpeg(options, sample));
  CHECK(simple.has_value());
  struct Row {
    int refinements;
    bool decodes;
  } rows[] = {{0, true} /* 64 scans */, {6, true} /* 442 */, {8, false} /* 568 */};
  for (const Row& row : rows) {
    CHECK_CONTEXT("refinements " + std::to_string(row.refinements));
    options.refinements = row.refinements;
    auto image = DecodeJpeg(EncodeJpeg(options, sample));
    CHECK_EQ(image.has_value(), row.decodes);
    if (image && simple) CHECK(NearlyEqual(*image, *simple, 24));
  }
}

Buffer EncodePng(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                 const std::vector<std::uint8_t>& pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = format;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  Buffer bytes(size);
  CHECK(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
  bytes.resize(size);
  return bytes;
}

TEST(PngAlphaStaysStraight) {
  // Red, green, blue, alpha in the file; blue, green, red, alpha decoded, the
  // colours not multiplied by alpha.
  std::vector<std::uint8_t> rgba = {10, 20, 30, 128, 200, 100, 50,  0,
                                    1,  2,  3,  255, 255, 255, 255, 1};
  Buffer png = EncodePng(2, 2, PNG_FORMAT_RGBA, rgba);
  auto image = DecodePng(png);
  CHECK(image.has_value());
  if (!image) return;
  CHECK_EQ(image->width, 2);
  CHECK_EQ(image->height, 2);
  std::vector<std::uint8_t> bgra(image->pixels.get(), image->pixels.get() + image->ByteCount());
  std::vector<std::uint8_t> expected = {30, 20, 10, 128, 50,  100, 200, 0,
                                        3,  2,  1,  255, 255, 255, 255, 1};
  CHECK(bgra == expected);
}

std::vector<int> ReadJsonNumbers(const std::string& path) {
  Buffer text = ReadFile(path);
  std::vector<int> numbers;
  int value = -1;
  for (std::uint8_t c : text) {
    if (c >= '0' && c <= '9') {
      value = (value < 0 ? 0 : value * 10) + (c - '0');
    } else if (value >= 0) {
      numbers.push_back(value);
      value = -1;
    }
  }
  return numbers;
}

// The suite's files carry gamma 1.0 (linear samples); libpng turns them into
// sRGB-encoded output as it does for any file with a gamma of its own.
int LinearToSrgb(int value) {
  double linear = value / 255.0;
  double encoded =
      linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
  return static_cast<int>(encoded * 255.0 + 0.5);
}
int SrgbToLinear(int value) {
  double encoded = value / 255.0;
  double linear = encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
  return static_cast<int>(linear * 255.0 + 0.5);
}
// Within rounding of the conversion, on whichever side of it is steeper.
int ColourError(int decoded, int linear) {
  return std::min(Difference(decoded, LinearToSrgb(linear)),
                  Difference(SrgbToLinear(decoded), linear));
}

TEST(PngSuiteMatchesReferencePixels) {
  // Every colour type and bit depth, plain and interlaced, palette
  // transparency. References are red, green, blue, alpha dumps of the samples.
  const char* names[] = {"basn0g01", "basn0g02",     "basn0g04", "basn0g08", "basn0g16_to8",
                         "basn2c08", "basn2c16_to8", "basn3p01", "basn3p02", "basn3p04",
                         "basn3p08", "basn4a08",     "basn6a08", "basi0g01", "basi2c08",
                         "basi3p04", "basi4a08",     "basi6a08", "tbbn3p08", "tp1n3p08"};
  for (const char* name : names) {
    CHECK_CONTEXT(name);
    std::string base = name;
    std::string file = base.substr(0, 8);
    auto image = DecodePng(ReadFile(kCorpus + "png/pngsuite/" + file + ".png"));
    std::vector<int> reference =
        ReadJsonNumbers(kCorpus + "png/pngsuite/reference-json/" + base + ".json");
    CHECK(image.has_value());
    if (!image) continue;
    CHECK_EQ(image->ByteCount(), reference.size());
    if (image->ByteCount() != reference.size()) continue;
    int worstAlpha = 0, worstColour = 0;
    for (std::size_t i = 0; i < reference.size(); i += 4) {
      const std::uint8_t* p = image->pixels.get() + i;
      worstAlpha = std::max(worstAlpha, Difference(p[3], reference[i + 3]));
      // Straight colour is only meaningful where the pixel shows.
      if (reference[i + 3] < 64) continue;
      worstColour = std::max(worstColour, ColourError(p[2], reference[i]));
      worstColour = std::max(worstColour, ColourError(p[1], reference[i + 1]));
      worstColour = std::max(worstColour, ColourError(p[0], reference[i + 2]));
    }
    CHECK_EQ(worstAlpha, 0);
    CHECK(worstColour <= 2);
    if (worstColour > 2) std::printf("    worst colour difference %d\n", worstColour);
  }
}

TEST(PngInputsWithoutPicture) {
  Buffer good = ReadFile(kCorpus + "png/pngsuite/basn2c08.png");
  struct Row {
    const char* name;
    Buffer bytes;
  } rows[] = {
      {"empty", {}},
      {"signature only", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
      {"cut in the image data",
       Buffer(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
      {"bad CRC", ReadFile(kCorpus + "png/pngsuite/xcsn0g01.png")},
      {"bad signature", ReadFile(kCorpus + "png/pngsuite/xs1n0g01.png")},
      {"bad colour type", ReadFile(kCorpus + "png/pngsuite/xc1n0g08.png")},
      {"bad bit depth", ReadFile(kCorpus + "png/pngsuite/xd3n2c08.png")},
      {"missing image data", ReadFile(kCorpus + "png/pngsuite/xdtn0g01.png")},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK(!DecodePng(row.bytes).has_value());
  }
}

TEST(PngChunkLongerThanTheFileIsRefusedAtOnce) {
  // A palette PNG of 1 x 1 whose sPLT chunk before the image data declares
  // 1.9 GB: libpng would take and clear that much before finding the end.
  Buffer bytes = ReadFile("tests/fuzz/regressions/png-chunk-longer-than-file.png");
  CHECK(bytes.size() > 40);
  // (<chrono> cannot be compiled with the program's code page 936 literals.)
  const std::clock_t start = std::clock();
  CHECK(!DecodePng(bytes).has_value());
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  CHECK(seconds < 0.5);

  // Chunks after the image data are not checked: libpng does not need them.
  Buffer good = ReadFile(kCorpus + "png/pngsuite/basn2c08.png");
  Buffer withoutEnd(good.begin(), good.end() - 12);  // IEND left off
  Buffer cutText = withoutEnd;
  const std::uint8_t text[] = {0x00, 0x10, 0x00, 0x00, 't', 'E', 'X', 't', 'a', 'b', 'c'};
  cutText.insert(cutText.end(), std::begin(text), std::end(text));
  struct Row {
    const char* name;
    const Buffer& bytes;
  } rows[] = {{"without IEND", withoutEnd}, {"text chunk cut after the image", cutText}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    auto image = DecodePng(row.bytes);
    CHECK(image.has_value());
    if (image) CHECK_EQ(image->width, 32);
  }
}

}  // namespace
