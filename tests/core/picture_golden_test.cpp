// The readers' pixels against an independent decoder's: tests/data/picture_goldens.tsv,
// written by tools/make-picture-goldens, holds for each corpus picture its size and the
// FNV-1a 64 hash of its BGRA bytes (rows top-down) as the reference decodes them.
#include <cstdio>
#include <map>
#include <string>

#include "services/picture/readers.h"
#include "tests/support/check.h"
#include "tests/support/corpus.h"

namespace {

struct Golden {
  std::int32_t width = 0, height = 0;
  std::string hash;  // 16 hex digits, or "skip: reason"
};

std::map<std::string, Golden> ReadGoldens() {
  std::map<std::string, Golden> goldens;
  std::FILE* file = std::fopen("tests/data/picture_goldens.tsv", "r");
  if (file == nullptr) return goldens;
  char line[1024];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (line[0] == '#') continue;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    auto f = corpus::SplitTabs(text);
    if (f.size() != 4) continue;
    goldens[f[0]] = {std::stoi(f[1]), std::stoi(f[2]), f[3]};
  }
  std::fclose(file);
  return goldens;
}

// FNV-1a 64 over the picture's bytes, as tools/make-picture-goldens computes it.
std::string PixelHash(const Image& image) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < image.ByteCount(); ++i) {
    h ^= image.pixels[i];
    h *= 0x100000001B3ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::optional<Image> DecodeByFolder(const std::string& path, Bytes bytes) {
  if (EndsWith(path, ".png")) return DecodePng(bytes);
  if (EndsWith(path, ".jpg")) return DecodeJpeg(bytes);
  if (path.rfind("bmp/", 0) == 0) return DecodeBmp(bytes);
  if (path.rfind("gif/", 0) == 0) return DecodeGif(bytes);
  if (path.rfind("pcx/", 0) == 0) return DecodePcx(bytes);
  return std::nullopt;
}

}  // namespace

TEST(PixelsMatchTheReference) {
  const auto goldens = ReadGoldens();
  CHECK(goldens.size() > 90);
  int compared = 0, skipped = 0;
  for (const auto& [path, golden] : goldens) {
    CHECK_CONTEXT(path);
    auto image = DecodeByFolder(path, corpus::ReadFile(corpus::kRoot + path));
    if (golden.hash.rfind("skip", 0) == 0) {
      ++skipped;
      continue;
    }
    CHECK(image);
    if (!image) continue;
    ++compared;
    CHECK_EQ(image->width, golden.width);
    CHECK_EQ(image->height, golden.height);
    CHECK_EQ(PixelHash(*image), golden.hash);
  }
  std::printf("  %d compared, %d without a reference\n", compared, skipped);
}

TEST(EveryPictureTheOwnReadersAcceptHasAGolden) {
  const auto goldens = ReadGoldens();
  for (const auto& row : corpus::Manifest()) {
    if (row.format != "bmp" && row.format != "gif" && row.format != "pcx") continue;
    CHECK_CONTEXT(row.path);
    if (DecodeByFolder(row.path, corpus::ReadFile(corpus::kRoot + row.path))) {
      CHECK(goldens.count(row.path) == 1);
    }
  }
}
