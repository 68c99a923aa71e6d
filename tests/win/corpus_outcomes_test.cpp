// Every file of the shared corpora gives the outcome recorded in
// tests/data/corpus_outcomes.tsv (written by tools/make-corpus-outcomes and
// reviewed against the corpora's manifest): format, decoded size or none,
// pixel hash, measured size.
#include <fstream>
#include <set>
#include <string>

#include "tests/support/check.h"
#include "tests/support/corpus.h"
#include "tests/support/picture_outcome.h"

TEST(EveryCorpusFileGivesItsRecordedOutcome) {
  std::ifstream table("tests/data/corpus_outcomes.tsv");
  CHECK(table.good());
  std::set<std::string> listed;
  std::string line;
  int rows = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string path = line.substr(0, tab);
    const std::string expected = line.substr(tab + 1);
    CHECK_CONTEXT(path);
    const std::string file = corpus::kRoot + path;
    CHECK_EQ(outcome::Describe(file, outcome::ReadFile(file)).Line(), expected);
    listed.insert(path);
    ++rows;
  }
  std::printf("  %d files compared\n", rows);
  // The table leaves no file of the corpora out.
  for (const corpus::Row& row : corpus::Manifest()) {
    CHECK_CONTEXT(row.path);
    CHECK(listed.count(row.path) == 1);
  }
}
