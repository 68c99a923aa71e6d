// Format recognition from the leading bytes, the read cursor, checked sizes,
// the allocation limits and the portable decode dispatch.
#include <string>
#include <vector>

#include "services/picture/byte_reader.h"
#include "services/picture/format.h"
#include "services/picture/readers.h"
#include "tests/support/check.h"

namespace {

std::vector<std::uint8_t> Pad8(std::vector<std::uint8_t> bytes) {
  while (bytes.size() < 8) bytes.push_back(0x55);
  return bytes;
}

}  // namespace

TEST(FormatsAreRecognisedInOrder) {
  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
    PictureFormat expected;
  };
  const std::vector<Row> rows = {
      {"bmp", Pad8({'B', 'M'}), PictureFormat::Bmp},
      {"jpeg", Pad8({0xFF, 0xD8}), PictureFormat::Jpeg},
      {"jpeg of 7 bytes", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J'}, PictureFormat::None},
      {"png: four bytes compared", Pad8({0x89, 'P', 'N', 'G'}), PictureFormat::Png},
      {"png of 7 bytes", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}, PictureFormat::None},
      {"icon", Pad8({0, 0, 1, 0, 1, 0}), PictureFormat::Icon},
      {"icon with 0 images", Pad8({0, 0, 1, 0, 0, 0}), PictureFormat::None},
      {"icon of 65535 images", Pad8({0, 0, 1, 0, 0xFF, 0xFF}), PictureFormat::Icon},
      {"cursor", Pad8({0, 0, 2, 0, 3, 0}), PictureFormat::Cursor},
      {"word 0 not 0", Pad8({1, 0, 1, 0, 1, 0}), PictureFormat::None},
      {"type 3", Pad8({0, 0, 3, 0, 1, 0}), PictureFormat::None},
      {"gif87a", Pad8({'G', 'I', 'F', '8', '7', 'a'}), PictureFormat::Gif},
      {"gif89a", Pad8({'G', 'I', 'F', '8', '9', 'a'}), PictureFormat::Gif},
      {"gif88a", Pad8({'G', 'I', 'F', '8', '8', 'a'}), PictureFormat::None},
      {"pcx 8-bit v0", Pad8({0x0A, 0, 1, 8}), PictureFormat::Pcx8},
      {"pcx 8-bit v5", Pad8({0x0A, 5, 1, 8}), PictureFormat::Pcx8},
      {"pcx 8-bit v6", Pad8({0x0A, 6, 1, 8}), PictureFormat::None},
      {"pcx 8-bit uncompressed", Pad8({0x0A, 5, 0, 8}), PictureFormat::None},
      {"pcx 1-bit v3", Pad8({0x0A, 3, 1, 1}), PictureFormat::Pcx1},
      {"pcx 1-bit v5 (only version 3 is recognised)", Pad8({0x0A, 5, 1, 1}), PictureFormat::None},
      {"pcx 4-bit", Pad8({0x0A, 5, 1, 4}), PictureFormat::None},
      {"BM wins over anything after it", Pad8({'B', 'M', 1, 0, 1, 0}), PictureFormat::Bmp},
      {"tiff", Pad8({'I', 'I', 42, 0}), PictureFormat::None},
      {"riff webp", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}, PictureFormat::None},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, PictureFormat::None},
      {"empty", {}, PictureFormat::None},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    CHECK_EQ(std::string(PictureFormatName(DetectPictureFormat(row.bytes))),
             std::string(PictureFormatName(row.expected)));
  }
}

TEST(FormatNamesAreDistinct) {
  const PictureFormat all[] = {PictureFormat::None, PictureFormat::Bmp,  PictureFormat::Jpeg,
                               PictureFormat::Png,  PictureFormat::Icon, PictureFormat::Cursor,
                               PictureFormat::Gif,  PictureFormat::Pcx8, PictureFormat::Pcx1};
  for (PictureFormat a : all) {
    for (PictureFormat b : all) {
      if (a != b) CHECK(std::string(PictureFormatName(a)) != PictureFormatName(b));
    }
  }
}

TEST(ReaderNeverPassesTheEnd) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3, 4, 5, 6, 7};
  ByteReader in(bytes);
  CHECK_EQ(in.U8(), 1);
  CHECK_EQ(in.U16LE(), 0x0302);
  CHECK_EQ(in.U32LE(), 0x07060504u);
  CHECK(!in.Failed());
  CHECK_EQ(in.Remaining(), std::size_t{0});
  CHECK_EQ(in.U8(), 0);
  CHECK(in.Failed());

  ByteReader partial(bytes);
  partial.Skip(5);
  CHECK_EQ(partial.U32LE(), 0u);  // only 2 bytes left: nothing is read
  CHECK(partial.Failed());
  CHECK_EQ(partial.Position(), std::size_t{5});

  ByteReader skip(bytes);
  CHECK(!skip.Skip(8));
  CHECK(skip.Failed());
  CHECK_EQ(skip.Remaining(), std::size_t{0});

  ByteReader take(bytes);
  CHECK_EQ(take.Take(7).size(), std::size_t{7});
  CHECK(take.Take(1).empty());
  CHECK(take.Failed());
  ByteReader seek(bytes);
  CHECK(seek.Seek(7));
  CHECK(!seek.Seek(8));
}

TEST(CheckedArithmeticFindsOverflow) {
  const std::size_t max = static_cast<std::size_t>(-1);
  CHECK(!CheckedMultiply(max / 2 + 1, 2));
  CHECK_EQ(CheckedMultiply(max / 2, 2).value_or(0), max - 1);
  CHECK(CheckedMultiply(0, max) == std::size_t{0});
  CHECK(!CheckedAdd(max, 1));
  CHECK_EQ(CheckedAdd(max - 1, 1).value_or(0), max);
  struct Row {
    std::size_t width, bits, align, expected;
  };
  const Row rows[] = {{1, 1, 4, 4}, {32, 1, 4, 4}, {33, 1, 4, 8}, {3, 24, 4, 12},
                      {3, 4, 1, 2}, {5, 8, 4, 8},  {4, 32, 4, 16}};
  for (const Row& row : rows) {
    CHECK_CONTEXT(std::to_string(row.width) + " x " + std::to_string(row.bits));
    CHECK_EQ(RowBytes(row.width, row.bits, row.align).value_or(0), row.expected);
  }
  CHECK(!RowBytes(max / 4, 32, 4));
}

TEST(AllocationKeepsToTheLimits) {
  auto image = AllocateImage(3, 2);
  CHECK(image);
  if (image) {
    CHECK_EQ(image->ByteCount(), std::size_t{24});
    for (std::size_t i = 0; i < image->ByteCount(); ++i) CHECK_EQ(image->pixels[i], 0);
  }
  auto unfilled = AllocateImage(3, 2, PixelFill::None);
  CHECK(unfilled && unfilled->pixels && unfilled->ByteCount() == 24);
  CHECK(WithinPictureLimits(kMaxPictureSide, 1));
  CHECK(WithinPictureLimits(8192, 8192));  // exactly the pixel limit
  struct Row {
    std::int32_t width, height;
  };
  const Row refused[] = {{0, 1},     {1, 0},     {-1, 5},      {5, -1},
                         {65536, 1}, {1, 65536}, {8193, 8192}, {65535, 65535}};
  for (const Row& row : refused) {
    CHECK_CONTEXT(std::to_string(row.width) + "x" + std::to_string(row.height));
    CHECK(!WithinPictureLimits(row.width, row.height));
    CHECK(!AllocateImage(row.width, row.height));
    CHECK(!AllocateImage(row.width, row.height, PixelFill::None));
  }
}

TEST(DispatchFollowsTheRecognisedFormat) {
  // A 1x1 24-bit BMP.
  std::vector<std::uint8_t> bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                   0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
  bmp.resize(54, 0);
  bmp.insert(bmp.end(), {10, 20, 30, 0});
  auto image = DecodeImage(bmp);
  CHECK(image);
  if (image) {
    CHECK_EQ(image->width, 1);
    CHECK_EQ(image->Row(0)[2], 30);
  }
  // An icon directory is recognised but made by the platform, not here.
  std::vector<std::uint8_t> icon = {0, 0, 1, 0, 1, 0, 32, 32, 16, 0, 1, 0, 4, 0};
  icon.resize(64, 0);
  CHECK(!DecodeImage(icon));
  CHECK(!DecodeImage(std::vector<std::uint8_t>(7, 'B')));
  CHECK(!DecodeImage({}));
}
