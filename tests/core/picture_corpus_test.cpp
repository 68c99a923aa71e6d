// Every picture of the shared corpora through the readers: each one decodes or
// fails cleanly as MANIFEST.tsv says, and nothing crashes or overruns.
#include <optional>

#include "services/picture/format.h"
#include "services/picture/readers.h"
#include "tests/support/check.h"
#include "tests/support/corpus.h"

namespace {

std::optional<Image> ReadWithOwnReader(const corpus::Row& row, Bytes bytes) {
  if (row.format == "bmp") return DecodeBmp(bytes);
  if (row.format == "gif") return DecodeGif(bytes);
  return DecodePcx(bytes);
}

}  // namespace

TEST(OwnReadersFollowTheManifest) {
  int decoded = 0, refused = 0;
  for (const auto& row : corpus::Manifest()) {
    if (row.format != "bmp" && row.format != "gif" && row.format != "pcx") continue;
    CHECK_CONTEXT(row.path);
    auto bytes = corpus::ReadFile(corpus::kRoot + row.path);
    CHECK(!bytes.empty());
    auto image = ReadWithOwnReader(row, bytes);
    std::printf("  %-50s %-12s %-3s -> %s\n", row.path.c_str(), row.expected.c_str(),
                row.scope.c_str(),
                image ? (std::to_string(image->width) + "x" + std::to_string(image->height)).c_str()
                      : "none");
    image ? ++decoded : ++refused;
    if (row.expected == "must fail" || row.scope == "out") {
      CHECK(!image);
    } else if (row.expected == "decodes") {
      CHECK(image);
    }
    if (image) {
      CHECK_EQ(image->width, row.width);
      CHECK_EQ(image->height, row.height);
    }
  }
  std::printf("  %d decoded, %d refused\n", decoded, refused);
  CHECK(decoded > 60);
}

TEST(IconDirectoriesOfTheCorpus) {
  for (const auto& row : corpus::Manifest()) {
    if (row.format != "ico" && row.format != "cur") continue;
    CHECK_CONTEXT(row.path);
    auto bytes = corpus::ReadFile(corpus::kRoot + row.path);
    auto choice = ChooseIconEntry(bytes);
    std::printf("  %-50s %-12s -> %s\n", row.path.c_str(), row.expected.c_str(),
                choice ? (std::to_string(choice->width) + "x" + std::to_string(choice->height) +
                          " bits " + std::to_string(choice->bitCount) + (choice->png ? " png" : ""))
                             .c_str()
                       : "none");
    if (row.expected == "must fail") CHECK(!choice);
    if (row.expected == "decodes") CHECK(choice);
    if (choice) CHECK(choice->offset + choice->size <= bytes.size());
  }
}

TEST(DispatchOverTheWholeCorpus) {
  int decoded = 0;
  for (const auto& row : corpus::Manifest()) {
    CHECK_CONTEXT(row.path);
    auto bytes = corpus::ReadFile(corpus::kRoot + row.path);
    auto image = DecodeImage(bytes);
    if (row.expected == "must fail" || row.format == "ico" || row.format == "cur") CHECK(!image);
    if (image) {
      ++decoded;
      CHECK_EQ(image->width, row.width);
      CHECK_EQ(image->height, row.height);
    }
  }
  std::printf("  %d decoded\n", decoded);
}
