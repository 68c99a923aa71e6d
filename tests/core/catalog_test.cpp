#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/push_catalog.h"
#include "tests/support/check.h"
#include "tests/support/fatal_throw.h"

namespace {

PushEntry Entry(const std::string& name, double date) {
  PushEntry entry;
  entry.name = name;
  entry.path = "C:\\Assets\\" + name;
  entry.height = 1080;
  entry.width = 1920;
  entry.date = date;
  return entry;
}

void Fill(PushCatalog& catalog, const std::vector<double>& dates) {
  for (std::size_t i = 0; i < dates.size(); ++i) {
    catalog.Append(Entry(std::string(1, static_cast<char>('a' + i)), dates[i]));
  }
}

// The names of the entries in catalogue order, read through positions.
std::string Names(const PushCatalog& catalog) {
  std::string names;
  for (std::int32_t p = 1; p <= catalog.Count(); ++p) names += catalog.EntryAt(p).name;
  return names;
}

// Fatal code of an action, or -1 when it returned.
template <typename Action>
int FatalCode(Action action, std::string* message = nullptr) {
  try {
    action();
  } catch (const FatalReported& fatal) {
    if (message != nullptr) *message = fatal.message;
    return fatal.code;
  }
  return -1;
}

// Counts how often the catalogue consults its size. The sort asks once for n
// and once for each position check of its reads (two per comparison), so the
// count shows how many passes ran and over how much of the sequence.
class CountingCatalog : public PushCatalog {
 public:
  std::int32_t Count() const override {
    ++calls;
    return PushCatalog::Count();
  }
  mutable int calls = 0;
};

}  // namespace

TEST(AppendCopiesAndCloneIsIndependent) {
  PushEntry scratch = Entry("x", 1.0);
  auto catalog = std::make_unique<PushCatalog>();
  catalog->Append(scratch);
  scratch.name = "reused";
  scratch.path.clear();
  scratch.date = 2.0;
  catalog->Append(scratch);
  catalog->Append(Entry("z", 3.0));
  CHECK_EQ(catalog->Count(), 3);
  CHECK_EQ(catalog->EntryAt(1).name, std::string("x"));
  CHECK_EQ(catalog->EntryAt(1).path, std::string("C:\\Assets\\x"));
  CHECK_EQ(catalog->EntryAt(2).name, std::string("reused"));
  CHECK(catalog->EntryAt(2).path.empty());

  // An entry handed out is the receiver's own copy.
  PushEntry handed = catalog->EntryAt(1);
  handed.name = "changed";
  CHECK_EQ(catalog->EntryAt(1).name, std::string("x"));

  catalog->set_cursor(2);
  std::unique_ptr<PushCatalog> copy = catalog->Clone();
  CHECK_EQ(copy->Count(), 3);
  CHECK_EQ(copy->cursor(), 2);
  CHECK(copy->EntryAt(3).name.data() != catalog->EntryAt(3).name.data());
  catalog->Destroy();
  CHECK_EQ(catalog->Count(), 0);
  catalog.reset();
  CHECK_EQ(Names(*copy), std::string("xreusedz"));
  CHECK_EQ(copy->EntryAt(2).date, 2.0);
  CHECK_EQ(copy->EntryAt(3).width, 1920);
  CHECK_EQ(copy->EntryAt(3).height, 1080);
  CHECK_EQ(copy->Next().name, std::string("z"));
  CHECK_EQ(copy->cursor(), 3);
}

TEST(SortByDateOrders) {
  struct Row {
    const char* label;
    std::vector<double> dates;
    std::string order;  // names after the sort; a, b, c... in listing order
  };
  const std::vector<Row> rows = {
      {"3,1,2", {3, 1, 2}, "bca"},
      {"already sorted", {1, 2, 3}, "abc"},
      {"reversed", {5, 4, 3, 2, 1}, "edcba"},
      {"equal dates keep listing order", {7, 7, 1, 7}, "cabd"},
      {"06:00 before 12:00 on a negative day", {-1.5, -1.25}, "ba"},
      {"negative fraction against the day after", {-0.25, -1.75}, "ba"},
      {"beyond the range compares as its end", {3000000.0, 2958465.0}, "ab"},
      {"noon of the last day compares as its start", {2958465.5, kMaxDate, 10.0}, "cab"},
      {"below the range compares as its start", {kMinDate, -1.0e9, 0.0}, "abc"},
      {"single entry", {42.0}, "a"},
      {"empty", {}, ""},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.label);
    PushCatalog catalog;
    Fill(catalog, row.dates);
    catalog.set_cursor(2);
    CHECK_EQ(FatalCode([&] { catalog.SortByDate(); }), -1);
    CHECK_EQ(Names(catalog), row.order);
    CHECK_EQ(catalog.cursor(), 2);
  }
}

TEST(SortRunsWholePassesAndStopsEarly) {
  struct Row {
    std::vector<double> dates;
    int passes;
  };
  // [3,1,2]: one pass with two exchanges, one without, then the sort stops.
  const std::vector<Row> rows = {
      {{3, 1, 2}, 2}, {{1, 2, 3}, 1}, {{3, 2, 1}, 2}, {{4, 3, 2, 1}, 3}, {{2, 1, 3, 4}, 2},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(std::to_string(row.dates.size()) + " entries, " + std::to_string(row.passes) +
                  " passes");
    CountingCatalog catalog;
    Fill(catalog, row.dates);
    catalog.calls = 0;
    catalog.SortByDate();
    const int n = static_cast<int>(row.dates.size());
    CHECK_EQ(catalog.calls, 1 + row.passes * 2 * (n - 1));
  }
}

TEST(NavigationWraps) {
  PushCatalog catalog;
  Fill(catalog, {1, 2, 3});
  struct Step {
    const char* operation;
    std::string name;
    std::int32_t cursor;
  };
  const std::vector<Step> steps = {
      {"Latest", "c", 3},   {"Next", "a", 1},  {"Next", "b", 2},     {"Previous", "a", 1},
      {"Previous", "c", 3}, {"First", "a", 1}, {"Previous", "c", 3}, {"Next", "a", 1},
  };
  for (const Step& step : steps) {
    CHECK_CONTEXT(step.operation);
    const std::string op = step.operation;
    const PushEntry entry = op == "Latest"  ? catalog.Latest()
                            : op == "First" ? catalog.First()
                            : op == "Next"  ? catalog.Next()
                                            : catalog.Previous();
    CHECK_EQ(entry.name, step.name);
    CHECK_EQ(catalog.cursor(), step.cursor);
  }

  // A new catalogue (cursor 0): Previous gives the newest, Next the oldest.
  PushCatalog fresh;
  Fill(fresh, {1, 2, 3});
  CHECK_EQ(fresh.Previous().name, std::string("c"));
  PushCatalog fresh2;
  Fill(fresh2, {1, 2, 3});
  CHECK_EQ(fresh2.Next().name, std::string("a"));

  // A cursor left beyond the entries (a rescan that found fewer): Next wraps
  // to 1, Previous reads one below it and fails the position check.
  PushCatalog shrunk;
  Fill(shrunk, {1, 2});
  shrunk.set_cursor(5);
  CHECK_EQ(shrunk.Next().name, std::string("a"));
  shrunk.set_cursor(5);
  CHECK_EQ(FatalCode([&] { shrunk.Previous(); }), 1);
  CHECK_EQ(shrunk.cursor(), 4);
}

TEST(SingleEntryAlwaysReturnsIt) {
  PushCatalog catalog;
  Fill(catalog, {0.0});
  for (int round = 0; round < 2; ++round) {
    CHECK_EQ(catalog.Latest().name, std::string("a"));
    CHECK_EQ(catalog.cursor(), 1);
    CHECK_EQ(catalog.Next().name, std::string("a"));
    CHECK_EQ(catalog.cursor(), 1);
    CHECK_EQ(catalog.Previous().name, std::string("a"));
    CHECK_EQ(catalog.cursor(), 1);
    CHECK_EQ(catalog.First().name, std::string("a"));
    CHECK_EQ(catalog.cursor(), 1);
  }
}

TEST(PositionCheckIsFatal) {
  struct Row {
    const char* label;
    int (*run)(PushCatalog&);
    int code;
  };
  const std::vector<Row> rows = {
      {"Latest on empty", [](PushCatalog& c) { return FatalCode([&] { c.Latest(); }); }, 4},
      {"Previous on empty", [](PushCatalog& c) { return FatalCode([&] { c.Previous(); }); }, 4},
      {"First on empty", [](PushCatalog& c) { return FatalCode([&] { c.First(); }); }, 1},
      {"Next on empty", [](PushCatalog& c) { return FatalCode([&] { c.Next(); }); }, 1},
      {"position 0", [](PushCatalog& c) { return FatalCode([&] { c.EntryAt(0); }); }, 4},
      {"negative position", [](PushCatalog& c) { return FatalCode([&] { c.EntryAt(-5); }); }, 4},
      {"position 1", [](PushCatalog& c) { return FatalCode([&] { c.EntryAt(1); }); }, 1},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.label);
    PushCatalog empty;
    CHECK_EQ(row.run(empty), row.code);
  }

  std::string message;
  CHECK_EQ(FatalCode([] { CheckPosition(0, 0); }, &message), 4);
  CHECK_EQ(message, std::string(kMessageIndexTooSmall));
  CHECK_EQ(FatalCode([] { CheckPosition(4, 3); }, &message), 1);
  CHECK_EQ(message, std::string(kMessageIndexTooLarge));
  CHECK_EQ(FatalCode([] { CheckPosition(-1, -1); }), 4);  // below 1 is tested first
  CHECK_EQ(FatalCode([] { CheckPosition(3, 3); }), -1);
  CHECK_EQ(FatalCode([] { CheckPosition(1, 3); }), -1);

  PushCatalog three;
  Fill(three, {1, 2, 3});
  CHECK_EQ(FatalCode([&] { three.EntryAt(4); }), 1);
  CHECK_EQ(FatalCode([&] { three.EntryAt(3); }), -1);
}
