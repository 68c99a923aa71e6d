// The own readers on small hand-made files: BMP, GIF, PCX and the icon
// directory choice. Each picture is compared pixel by pixel.
#include <functional>
#include <string>

#include "services/picture/readers.h"
#include "tests/support/check.h"
#include "tests/support/picture_fixtures.h"

using namespace fixtures;

namespace {

Bgr PixelAt(const Image& image, std::int32_t x, std::int32_t y) {
  const std::uint8_t* p = image.Row(y) + static_cast<std::size_t>(x) * 4;
  return {p[0], p[1], p[2]};
}

std::string Show(Bgr c) {
  return std::to_string(c.blue) + "," + std::to_string(c.green) + "," + std::to_string(c.red);
}

// Every pixel against expected(x, y), and every alpha 255.
void CheckPixels(const std::optional<Image>& image, std::int32_t width, std::int32_t height,
                 const std::function<Bgr(std::int32_t, std::int32_t)>& expected) {
  CHECK(image);
  if (!image) return;
  CHECK_EQ(image->width, width);
  CHECK_EQ(image->height, height);
  if (image->width != width || image->height != height) return;
  int wrong = 0;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const Bgr got = PixelAt(*image, x, y);
      const bool opaque = image->Row(y)[x * 4 + 3] == 255;
      if ((!(got == expected(x, y)) || !opaque) && wrong++ < 3) {
        CHECK_EQ("(" + std::to_string(x) + "," + std::to_string(y) + ") " + Show(got) +
                     (opaque ? "" : " not opaque"),
                 "(" + std::to_string(x) + "," + std::to_string(y) + ") " + Show(expected(x, y)));
      }
    }
  }
  CHECK_EQ(wrong, 0);
}

std::vector<Bgr> Ramp(std::size_t n) {
  std::vector<Bgr> colours;
  for (std::size_t i = 0; i < n; ++i) {
    colours.push_back({static_cast<std::uint8_t>(i * 3 + 1), static_cast<std::uint8_t>(i * 5 + 2),
                       static_cast<std::uint8_t>(255 - i)});
  }
  return colours;
}

}  // namespace

// --- BMP -------------------------------------------------------------------

TEST(BmpDecodesEveryBitCountBothWaysUp) {
  const std::int32_t width = 5, height = 3;  // odd width: every row is padded
  for (int bitCount : {1, 4, 8, 24, 32}) {
    const auto bits = static_cast<std::uint16_t>(bitCount);
    for (bool topDown : {false, true}) {
      CHECK_CONTEXT(std::to_string(bits) + " bits, " + (topDown ? "top-down" : "bottom-up"));
      BmpLayout layout;
      layout.width = width;
      layout.height = topDown ? -height : height;
      layout.bits = bits;
      const std::size_t colours = bits <= 8 ? std::size_t{1} << bits : 0;
      layout.palette = Ramp(colours);
      auto colourAt = [&](std::int32_t x, std::int32_t y) -> Bgr {
        if (bits <= 8) return layout.palette[static_cast<std::size_t>(x + 2 * y) % colours];
        return {static_cast<std::uint8_t>(x * 40 + 1), static_cast<std::uint8_t>(y * 50 + 2),
                static_cast<std::uint8_t>(x + y + 3)};
      };
      std::vector<ByteVector> rows;
      for (std::int32_t y = 0; y < height; ++y) {
        ByteVector row;
        for (std::int32_t x = 0; x < width; ++x) {
          if (bits <= 8) {
            row.push_back(static_cast<std::uint8_t>(static_cast<std::size_t>(x + 2 * y) % colours));
          } else {
            Bgr c = colourAt(x, y);
            row.insert(row.end(), {c.blue, c.green, c.red});
            if (bits == 32) row.push_back(0x11);  // ignored: the picture is opaque
          }
        }
        rows.push_back(row);
      }
      CheckPixels(DecodeBmp(MakeBmp(layout, rows)), width, height, colourAt);
    }
  }
}

TEST(BmpColourTableRules) {
  // biClrUsed 2 for 8 bits: indexes beyond the table are black.
  BmpLayout layout;
  layout.width = 4;
  layout.height = 1;
  layout.colourCount = 2;
  layout.palette = {{10, 20, 30}, {40, 50, 60}};
  const ByteVector row = {0, 1, 2, 255};
  CheckPixels(DecodeBmp(MakeBmp(layout, {row})), 4, 1, [](std::int32_t x, std::int32_t) -> Bgr {
    return x == 0 ? Bgr{10, 20, 30} : x == 1 ? Bgr{40, 50, 60} : Bgr{0, 0, 0};
  });

  // The OS/2 core header: 16-bit sizes and 3-byte palette entries.
  BmpLayout core = layout;
  core.headerSize = 12;
  core.colourCount = 0;
  core.bits = 1;
  CheckPixels(DecodeBmp(MakeBmp(core, {{1, 0, 1, 1}})), 4, 1,
              [](std::int32_t x, std::int32_t) -> Bgr {
                return x == 1 ? Bgr{10, 20, 30} : Bgr{40, 50, 60};
              });

  // A V5 header (124 bytes) with BI_RGB reads as the info header it extends.
  BmpLayout v5 = layout;
  v5.headerSize = 124;
  CheckPixels(DecodeBmp(MakeBmp(v5, {row})), 4, 1, [](std::int32_t x, std::int32_t) -> Bgr {
    return x == 0 ? Bgr{10, 20, 30} : x == 1 ? Bgr{40, 50, 60} : Bgr{0, 0, 0};
  });

  // A 24-bit picture ignores a colour table it does not need.
  BmpLayout rgb;
  rgb.width = 1;
  rgb.height = 1;
  rgb.bits = 24;
  rgb.colourCount = 3;
  rgb.palette = Ramp(3);
  CheckPixels(DecodeBmp(MakeBmp(rgb, {{7, 8, 9}})), 1, 1, [](std::int32_t, std::int32_t) {
    return Bgr{7, 8, 9};
  });
}

TEST(BmpRefusesWhatItDoesNotRead) {
  struct Row {
    const char* name;
    std::function<void(BmpLayout&)> change;
    std::function<void(ByteVector&)> damage;
  };
  const auto none = [](ByteVector&) {};
  const std::vector<Row> rows = {
      {"RLE8", [](BmpLayout& s) { s.compression = 1; }, none},
      {"RLE4", [](BmpLayout& s) { s.compression = 2, s.bits = 4; }, none},
      {"bit fields", [](BmpLayout& s) { s.compression = 3, s.bits = 32; }, none},
      {"16 bits", [](BmpLayout& s) { s.bits = 16; }, none},
      {"2 bits", [](BmpLayout& s) { s.bits = 2; }, none},
      {"0 bits", [](BmpLayout& s) { s.bits = 0; }, none},
      {"2 planes", [](BmpLayout& s) { s.planes = 2; }, none},
      {"width 0", [](BmpLayout& s) { s.width = 0; }, none},
      {"negative width", [](BmpLayout& s) { s.width = -3; }, none},
      {"height 0", [](BmpLayout& s) { s.height = 0; }, none},
      {"width past the limit", [](BmpLayout& s) { s.width = 70000; }, none},
      {"pixels past the limit", [](BmpLayout& s) { s.width = 60000, s.height = 60000; }, none},
      {"height -2^31", [](BmpLayout& s) { s.height = INT32_MIN; }, none},
      {"header of 13 bytes", [](BmpLayout& s) { s.headerSize = 13; }, none},
      {"header past the end", [](BmpLayout&) {}, [](ByteVector& b) { Set32(b, 14, 0xFFFFFFF0u); }},
      {"colour table past the end", [](BmpLayout& s) { s.colourCount = 0x12345678; }, none},
      {"last row cut short", [](BmpLayout&) {}, [](ByteVector& b) { b.resize(b.size() - 4); }},
      {"file size says more", [](BmpLayout&) {}, [](ByteVector& b) { Set32(b, 2, 0x7FFFFFFF); }},
      {"pixels offset past the end", [](BmpLayout&) {},
       [](ByteVector& b) { Set32(b, 10, 0xFFFFFFFFu); }},
      {"not BM", [](BmpLayout&) {}, [](ByteVector& b) { b[1] = 'A'; }},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    BmpLayout layout;
    layout.palette = Ramp(256);
    row.change(layout);
    std::vector<ByteVector> pixels(2, ByteVector(3, 1));
    ByteVector file = MakeBmp(layout, pixels);
    row.damage(file);
    CHECK(!DecodeBmp(file));
  }
  // The last row needs no padding after it.
  BmpLayout layout;
  layout.palette = Ramp(256);
  ByteVector file = MakeBmp(layout, {{1, 2, 3}, {4, 5, 6}});
  file.resize(file.size() - 1);
  Set32(file, 2, static_cast<std::uint32_t>(file.size()));
  CHECK(DecodeBmp(file));
}

// --- GIF -------------------------------------------------------------------

namespace {

// Index of image pixel (x, y) in the GIF tests: a pattern that LZW compresses
// into strings of every length.
std::uint8_t GifIndex(std::int32_t x, std::int32_t y, std::size_t colours) {
  return static_cast<std::uint8_t>(static_cast<std::size_t>((x / 3) * 7 + y * y) % colours);
}

ByteVector Indexes(std::int32_t width, std::int32_t height, std::size_t colours) {
  ByteVector out;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) out.push_back(GifIndex(x, y, colours));
  }
  return out;
}

}  // namespace

TEST(GifFirstImageAtTheTopLeftOfTheScreen) {
  const auto global = Ramp(16);
  ByteVector file = GifHeader(200, 100, global, 5);
  PutExtension(file, 0xF9, 4);
  GifImage image;
  image.left = 30;  // the picture ignores the image's position
  image.top = 20;
  image.width = 50;
  image.height = 50;
  image.minCodeSize = 4;
  image.indexes = Indexes(50, 50, 16);
  PutImage(file, image);
  file.push_back(0x3B);
  CheckPixels(DecodeGif(file), 200, 100, [&](std::int32_t x, std::int32_t y) {
    return x < 50 && y < 50 ? global[GifIndex(x, y, 16)] : global[5];
  });
}

TEST(GifVariants) {
  struct Row {
    const char* name;
    std::int32_t width, height;
    bool interlaced;
    bool local;
    bool global;
    unsigned minCodeSize;
    bool clearWhenFull;
  };
  const Row rows[] = {
      {"interlaced, 11 rows", 7, 11, true, false, true, 8, true},
      {"interlaced, 1 row", 7, 1, true, false, true, 8, true},
      {"interlaced, 3 rows", 7, 3, true, false, true, 8, true},
      {"local table over the global one", 9, 4, false, true, true, 8, true},
      {"local table only", 9, 4, false, true, false, 8, true},
      {"2-colour table, minimum code size 2", 30, 30, false, false, true, 2, true},
      {"minimum code size 1", 30, 30, false, false, true, 1, true},
      {"table full: clear codes", 300, 200, false, false, true, 8, true},
      {"table full: kept without a clear", 300, 200, false, false, true, 8, false},
      {"minimum code size 11", 40, 40, false, false, true, 11, true},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    const std::size_t colours = row.minCodeSize == 1 ? 2 : row.minCodeSize == 2 ? 4 : 256;
    const auto global = Ramp(colours);
    auto local = global;
    for (Bgr& c : local) c.green = static_cast<std::uint8_t>(c.green ^ 0x80);
    ByteVector file = GifHeader(static_cast<unsigned>(row.width), static_cast<unsigned>(row.height),
                                row.global ? global : std::vector<Bgr>{});
    GifImage image;
    image.width = static_cast<unsigned>(row.width);
    image.height = static_cast<unsigned>(row.height);
    image.interlaced = row.interlaced;
    if (row.local) image.local = local;
    image.minCodeSize = row.minCodeSize;
    image.clearWhenFull = row.clearWhenFull;
    if (row.interlaced) {
      // Rows stored in the four passes: 0, 8, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...
      const std::int32_t starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (std::int32_t y = starts[pass]; y < row.height; y += steps[pass]) {
          for (std::int32_t x = 0; x < row.width; ++x) {
            image.indexes.push_back(GifIndex(x, y, colours));
          }
        }
      }
    } else {
      image.indexes = Indexes(row.width, row.height, colours);
    }
    PutImage(file, image);
    file.push_back(0x3B);
    const auto& table = row.local ? local : global;
    // minimum code size 11: indexes up to 255 are in the 256-entry table
    CheckPixels(DecodeGif(file), row.width, row.height,
                [&](std::int32_t x, std::int32_t y) { return table[GifIndex(x, y, colours)]; });
  }
}

TEST(GifImageLargerThanTheScreenIsCut) {
  for (bool interlaced : {false, true}) {
    CHECK_CONTEXT(interlaced ? "interlaced" : "progressive");
    const auto global = Ramp(256);
    ByteVector file = GifHeader(6, 5, global);
    GifImage image;
    image.width = 9;
    image.height = 40;
    image.interlaced = interlaced;
    const std::int32_t starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
      for (std::int32_t y = interlaced ? starts[pass] : 0; y < 40;
           y += interlaced ? steps[pass] : 1) {
        for (std::int32_t x = 0; x < 9; ++x) image.indexes.push_back(GifIndex(x, y, 256));
      }
    }
    PutImage(file, image);
    CheckPixels(DecodeGif(file), 6, 5,
                [&](std::int32_t x, std::int32_t y) { return global[GifIndex(x, y, 256)]; });
  }
}

TEST(GifLeftOpenCases) {
  // No colour table at all: shades of grey.
  {
    CHECK_CONTEXT("no colour table");
    ByteVector file = GifHeader(4, 1, {});
    GifImage image;
    image.width = 4;
    image.indexes = {0, 1, 128, 255};
    PutImage(file, image);
    CheckPixels(DecodeGif(file), 4, 1, [](std::int32_t x, std::int32_t) {
      const std::uint8_t v[] = {0, 1, 128, 255};
      return Bgr{v[x], v[x], v[x]};
    });
  }
  // Indexes beyond a 4-entry table are black; so is a background index
  // beyond it.
  {
    CHECK_CONTEXT("indexes beyond the table");
    const auto global = Ramp(4);
    ByteVector file = GifHeader(4, 2, global, 200);
    GifImage image;
    image.width = 4;
    image.indexes = {0, 3, 4, 255};
    PutImage(file, image);
    CheckPixels(DecodeGif(file), 4, 2, [&](std::int32_t x, std::int32_t y) {
      return y == 0 && x < 2 ? global[x == 0 ? 0 : 3] : Bgr{0, 0, 0};
    });
  }
  // Data cut off before the end code: the rows decoded so far, the rest of
  // the picture in the background colour.
  {
    CHECK_CONTEXT("data cut short");
    const auto global = Ramp(256);
    ByteVector head = GifHeader(64, 64, global, 9);
    GifImage image;
    image.width = 64;
    image.height = 64;
    image.indexes = Indexes(64, 64, 256);
    ByteVector file = head;
    PutImage(file, image);
    file.resize(head.size() + 10 + 1 + 400);  // descriptor, code size, part of the data
    auto decoded = DecodeGif(file);
    CHECK(decoded);
    if (decoded) {
      CHECK(PixelAt(*decoded, 0, 0) == global[GifIndex(0, 0, 256)]);
      CHECK(PixelAt(*decoded, 63, 1) == global[GifIndex(63, 1, 256)]);
      CHECK(PixelAt(*decoded, 63, 63) == global[9]);
    }
    // Cut inside the image descriptor: no picture.
    file.resize(head.size() + 5);
    CHECK(!DecodeGif(file));
  }
}

TEST(GifRefusals) {
  const auto global = Ramp(4);
  auto withImage = [&](const std::function<void(ByteVector&)>& before, GifImage image) {
    ByteVector file = GifHeader(8, 8, global);
    before(file);
    PutImage(file, image);
    file.push_back(0x3B);
    return file;
  };
  GifImage good;
  good.width = 2;
  good.height = 2;
  good.minCodeSize = 2;
  good.indexes = {0, 1, 2, 3};
  CHECK(DecodeGif(withImage([](ByteVector&) {}, good)));

  // Extensions of every kind the reader skips, then the trailer: no image.
  ByteVector noImage = GifHeader(8, 8, global);
  for (int label : {0x01, 0xF9, 0xFE, 0xFF})
    PutExtension(noImage, static_cast<std::uint8_t>(label), 11);
  noImage.push_back(0x3B);
  CHECK(!DecodeGif(noImage));
  // The same extensions before an image are passed over.
  CHECK(DecodeGif(withImage(
      [](ByteVector& f) {
        for (int label : {0x01, 0xF9, 0xFE, 0xFF})
          PutExtension(f, static_cast<std::uint8_t>(label), 11);
      },
      good)));

  struct Row {
    const char* name;
    std::function<void(ByteVector&)> before;
    std::function<void(GifImage&)> change;
  };
  const auto nothing = [](ByteVector&) {};
  const auto same = [](GifImage&) {};
  const std::vector<Row> rows = {
      {"extension label 0x02", [](ByteVector& f) { PutExtension(f, 0x02, 3); }, same},
      {"stray byte before the image", [](ByteVector& f) { f.push_back(0x00); }, same},
      {"sub-block past the end",
       [](ByteVector& f) {
         f.insert(f.end(), {0x21, 0xFE, 200});
       },
       same},
      {"image width 0", nothing, [](GifImage& i) { i.width = 0; }},
      {"minimum code size 0", nothing, [](GifImage& i) { i.minCodeSize = 0; }},
      {"minimum code size 12", nothing, [](GifImage& i) { i.minCodeSize = 12; }},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    GifImage image = good;
    row.change(image);
    CHECK(!DecodeGif(withImage(row.before, image)));
  }

  // A code not yet in the table: clear (4), then 7 where only 0..5 exist.
  ByteVector bad = GifHeader(2, 2, global);
  bad.insert(bad.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 1, 0x3C, 0, 0x3B});
  CHECK(!DecodeGif(bad));
  // Screen past the size limit, and screen width 0.
  CHECK(!DecodeGif(withImage([](ByteVector& f) { f[6] = 0, f[7] = 0; }, good)));
  ByteVector huge = GifHeader(65535, 65535, global);
  PutImage(huge, good);
  CHECK(!DecodeGif(huge));
}

// --- PCX -------------------------------------------------------------------

TEST(PcxEightBitWithPalette) {
  PcxLayout layout;
  layout.xmin = 10;
  layout.xmax = 14;  // 5 wide
  layout.ymin = 3;
  layout.ymax = 6;  // 4 high
  layout.bytesPerLine = 6;
  const auto palette = Ramp(256);
  ByteVector scan;
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 6; ++x)
      scan.push_back(static_cast<std::uint8_t>(x < 2 ? 200 : x * 40 + y));
  }
  auto expected = [&](std::int32_t x, std::int32_t y) {
    return palette[static_cast<std::size_t>(x < 2 ? 200 : x * 40 + y)];
  };
  CheckPixels(DecodePcx(MakePcx(layout, scan, &palette)), 5, 4, expected);

  // Without the palette at the end: shades of grey.
  CheckPixels(DecodePcx(MakePcx(layout, scan)), 5, 4, [](std::int32_t x, std::int32_t y) {
    const auto v = static_cast<std::uint8_t>(x < 2 ? 200 : x * 40 + y);
    return Bgr{v, v, v};
  });

  // Coded data that stops inside row 2: rows 0 and 1 kept, the rest black.
  ByteVector cut = MakePcx(layout, ByteVector(scan.begin(), scan.begin() + 15));
  CheckPixels(DecodePcx(cut), 5, 4, [](std::int32_t x, std::int32_t y) {
    const auto v = static_cast<std::uint8_t>(x < 2 ? 200 : x * 40 + y);
    return y < 2 ? Bgr{v, v, v} : Bgr{0, 0, 0};
  });
}

TEST(PcxOneBitIsBlackAndWhite) {
  PcxLayout layout;
  layout.version = 3;
  layout.bits = 1;
  layout.xmax = 10;  // 11 wide: two bytes a line
  layout.ymax = 1;
  layout.bytesPerLine = 2;
  const ByteVector scan = {0xA5, 0xFF, 0x0F, 0x00};
  CheckPixels(DecodePcx(MakePcx(layout, scan)), 11, 2, [&](std::int32_t x, std::int32_t y) {
    const auto byte = scan[static_cast<std::size_t>(y * 2 + x / 8)];
    return (byte >> (7 - x % 8)) & 1 ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
  });
}

TEST(PcxRefusals) {
  struct Row {
    const char* name;
    std::function<void(PcxLayout&)> change;
  };
  const std::vector<Row> rows = {
      {"xmax < xmin", [](PcxLayout& s) { s.xmin = 5, s.xmax = 4; }},
      {"ymax < ymin", [](PcxLayout& s) { s.ymin = 1, s.ymax = 0; }},
      {"bytes per line short of the width", [](PcxLayout& s) { s.bytesPerLine = 3; }},
      {"1 bit, bytes per line short",
       [](PcxLayout& s) { s.bits = 1, s.xmax = 16, s.bytesPerLine = 2; }},
      {"4 planes", [](PcxLayout& s) { s.planes = 4; }},
      {"3 planes of 8 bits", [](PcxLayout& s) { s.planes = 3; }},
      {"4 bits", [](PcxLayout& s) { s.bits = 4; }},
      {"width 65536", [](PcxLayout& s) { s.xmax = 65535, s.bytesPerLine = 65535; }},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    PcxLayout layout;
    layout.xmax = 3;
    layout.ymax = 1;
    layout.bytesPerLine = 4;
    row.change(layout);
    CHECK(!DecodePcx(MakePcx(layout, ByteVector(8, 1))));
  }
  PcxLayout layout;
  layout.xmax = 3;
  layout.ymax = 1;
  layout.bytesPerLine = 4;
  ByteVector header = MakePcx(layout, {});
  CHECK_EQ(header.size(), std::size_t{128});
  CHECK(!DecodePcx(header));  // 128 bytes or fewer
  header.push_back(0);
  CHECK(DecodePcx(header));  // a header and no data: black rows
}

// --- Icon directory --------------------------------------------------------

TEST(IconEntryChoice) {
  struct Row {
    const char* name;
    std::vector<IconEntry> entries;
    std::int32_t width, height;
  };
  const std::vector<Row> rows = {
      {"16 and 32 of 16 colours: the 32",
       {{16, 16, 16, MakeIconDib(16, 16, 4)}, {32, 32, 16, MakeIconDib(32, 32, 4)}},
       32,
       32},
      {"first 32 of 16 colours or more wins",
       {{32, 32, 0, MakeIconDib(33, 33, 8)},
        {32, 32, 255, MakeIconDib(32, 32, 8)},
        {32, 32, 16, MakeIconDib(31, 31, 4)}},
       32,
       32},
      {"all colour counts 0: the last",
       {{32, 32, 0, MakeIconDib(32, 32, 32)}, {48, 48, 0, MakeIconDib(48, 48, 32)}},
       48,
       48},
      {"8 colours at 32: the last",
       {{32, 32, 8, MakeIconDib(32, 32, 4)}, {16, 16, 2, MakeIconDib(16, 16, 1)}},
       16,
       16},
      {"size from the image, not the directory", {{16, 16, 0, MakeIconDib(20, 24, 8)}}, 20, 24},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    ByteVector file = MakeIconDirectory(row.entries);
    auto choice = ChooseIconEntry(file);
    CHECK(choice);
    if (!choice) continue;
    CHECK_EQ(choice->width, row.width);
    CHECK_EQ(choice->height, row.height);
    CHECK(!choice->png);
    CHECK_EQ(choice->offset + choice->size <= file.size(), true);
    CHECK_EQ(file[choice->offset + 4], static_cast<std::uint8_t>(row.width));
  }
}

TEST(IconPngEntryAndRefusals) {
  ByteVector png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,
                    0,    1,   0,   0,   0,    0,    64,   8,    6, 0, 0, 0,  0,   0,   0,   0};
  auto choice = ChooseIconEntry(MakeIconDirectory({{0, 64, 0, png}}, 2));
  CHECK(choice);
  if (choice) {
    CHECK(choice->png);
    CHECK_EQ(choice->width, 256);
    CHECK_EQ(choice->height, 64);
  }

  struct Row {
    const char* name;
    std::function<void(ByteVector&)> damage;
  };
  const std::vector<Row> rows = {
      {"no entries", [](ByteVector& f) { f[4] = 0; }},
      {"directory cut short", [](ByteVector& f) { f[4] = 200; }},
      {"image past the end", [](ByteVector& f) { Set32(f, 6 + 8, 0xFFFFFF00u); }},
      {"offset past the end", [](ByteVector& f) { Set32(f, 6 + 12, 0xFFFFFFF0u); }},
      {"image too small for its bitmaps", [](ByteVector& f) { Set32(f, 6 + 8, 40 + 64 + 60); }},
      {"header smaller than 40", [](ByteVector& f) { Set32(f, 22, 12); }},
      {"width 0", [](ByteVector& f) { Set32(f, 26, 0); }},
      {"height 1 (half of it is 0)", [](ByteVector& f) { Set32(f, 30, 1); }},
      {"65535 x 65535", [](ByteVector& f) { Set32(f, 26, 65535), Set32(f, 30, 131070); }},
      {"3 bits", [](ByteVector& f) { f[22 + 14] = 3; }},
      {"type 3", [](ByteVector& f) { f[2] = 3; }},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.name);
    ByteVector file = MakeIconDirectory({{16, 16, 16, MakeIconDib(16, 16, 4)}});
    CHECK(ChooseIconEntry(file));
    row.damage(file);
    CHECK(!ChooseIconEntry(file));
  }
}
