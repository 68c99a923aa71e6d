#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "services/date.h"
#include "tests/support/check.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string Show(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}

bool SameFields(const DateFields& a, const DateFields& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

std::string ShowFields(const DateFields& f) {
  char text[80];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", f.year, f.month, f.day, f.hour, f.minute,
                f.second);
  return text;
}

int DaysIn(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

TEST(DateTextForms) {
  struct Row {
    double date;
    const char* text;
  };
  const std::vector<Row> rows = {
      {0.0, "1899年12月30日"},
      {kMinDate, "100年1月1日"},
      {-1000000000.0, "100年1月1日"},
      {-657434.5, "100年1月1日"},
      {kMaxDate, "9999年12月31日"},
      {2958465.5, "9999年12月31日"},
      {43891.0, "2020年3月1日"},
      {43891.5, "2020年3月1日12时"},
      {43891 + 300.0 / 86400, "2020年3月1日0时5分"},
      {43891 + 7.0 / 86400, "2020年3月1日0时0分7秒"},
      {43792 + 86399.0 / 86400, "2019年11月23日23时59分59秒"},
      {43891.9999999, "2020年3月2日"},
      {-1.25, "1899年12月29日6时"},
      {-0.25, "1899年12月30日6时"},
      {36585.4375, "2000年2月29日10时30分"},
      {43891 + 50700.0 / 86400, "2020年3月1日14时5分"},
      {2958464 + 86399.0 / 86400, "9999年12月30日23时59分59秒"},
      // Not a date at all: shown as the oldest date, like anything below the range.
      {kNaN, "100年1月1日"},
      {-kInf, "100年1月1日"},
      {kInf, "9999年12月31日"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(Show(row.date));
    CHECK_EQ(DateToText(row.date), std::string(row.text));
  }
}

TEST(DateTextBytesAreCodePage936) {
#ifdef _WIN32
  CHECK_EQ(DateToText(43891 + 50700.0 / 86400), std::string("2020\xC4\xEA"
                                                            "3\xD4\xC2"
                                                            "1\xC8\xD5"
                                                            "14\xCA\xB1"
                                                            "5\xB7\xD6"));
  const Text longest = DateToText(2958464 + 86399.0 / 86400);
  CHECK_EQ(longest.size(), std::size_t{26});
  CHECK_EQ(RightPart(longest, 4), std::string("59\xC3\xEB"));
#else
  // Natively the literals stay UTF-8; the layout is checked by DateTextForms.
  CHECK_EQ(DateToText(0.0), std::string("1899\xE5\xB9\xB4"
                                        "12\xE6\x9C\x88"
                                        "30\xE6\x97\xA5"));
#endif
}

TEST(DateFromFieldsValuesAndFailures) {
  struct Row {
    int year, month, day, hour, minute, second;
    std::optional<double> expected;
  };
  const std::vector<Row> rows = {
      {1899, 12, 30, 0, 0, 0, 0.0},
      {1899, 12, 29, 6, 0, 0, -1.25},
      {1899, 12, 29, 18, 0, 0, -1.75},
      {1899, 12, 30, 6, 0, 0, 0.25},
      {1900, 1, 1, 0, 0, 0, 2.0},
      {1900, 2, 28, 0, 0, 0, 60.0},
      {1900, 3, 1, 0, 0, 0, 61.0},
      {2000, 2, 29, 10, 30, 0, 36585.4375},
      {2020, 3, 1, 0, 0, 0, 43891.0},
      {2020, 3, 1, 14, 5, 0, 43891 + 50700.0 / 86400},
      {2019, 11, 23, 23, 59, 59, 43792 + 86399.0 / 86400},
      {100, 1, 1, 0, 0, 0, kMinDate},
      {99, 12, 31, 0, 0, 0, kMinDate - 1},
      {9999, 12, 31, 0, 0, 0, kMaxDate},
      {9999, 12, 31, 23, 59, 59, kMaxDate + 86399.0 / 86400},
      {1600, 2, 29, 0, 0, 0, -109512.0},
      {2024, 2, 29, 0, 0, 0, 45351.0},
      // No lower bound on the year; leap years keep their rule below 0.
      {0, 1, 1, 0, 0, 0, -693959.0},
      {-1, 1, 1, 0, 0, 0, -694324.0},
      {-4, 3, 1, 0, 0, 0, -695360.0},
      // Failures.
      {1900, 2, 29, 0, 0, 0, std::nullopt},
      {2019, 2, 29, 0, 0, 0, std::nullopt},
      {2100, 2, 29, 0, 0, 0, std::nullopt},
      {10000, 1, 1, 0, 0, 0, std::nullopt},
      {10000, 2, 29, 0, 0, 0, std::nullopt},
      {2020, 0, 1, 0, 0, 0, std::nullopt},
      {2020, 13, 1, 0, 0, 0, std::nullopt},
      {2020, 4, 31, 0, 0, 0, std::nullopt},
      {2020, 1, 32, 0, 0, 0, std::nullopt},
      {2020, 1, 0, 0, 0, 0, std::nullopt},
      {2020, 1, 1, 24, 0, 0, std::nullopt},
      {2020, 1, 1, 0, 60, 0, std::nullopt},
      {2020, 1, 1, 0, 0, 60, std::nullopt},
      {2020, 1, 1, -1, 0, 0, std::nullopt},
      {2020, 1, 1, 0, -1, 0, std::nullopt},
      {2020, 1, 1, 0, 0, -1, std::nullopt},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(ShowFields({row.year, row.month, row.day, row.hour, row.minute, row.second}));
    const std::optional<double> got =
        DateFromFields(row.year, row.month, row.day, row.hour, row.minute, row.second);
    CHECK_EQ(got.has_value(), row.expected.has_value());
    if (got && row.expected) CHECK(std::fabs(*got - *row.expected) < 1e-9);
  }
  CHECK_EQ(DateToText(DateFromFields(2000, 2, 29, 10, 30, 0).value_or(0)),
           std::string("2000年2月29日10时30分"));
}

TEST(EveryDayOfTheRangeRoundTrips) {
  // Each day of the valid range is the calendar day after the one before it,
  // and its fields give back the same value.
  DateFields previous = FieldsFromDate(kMinDate);
  CHECK(SameFields(previous, {100, 1, 1, 0, 0, 0}));
  int failures = 0;
  for (auto n = static_cast<std::int64_t>(kMinDate) + 1; n <= static_cast<std::int64_t>(kMaxDate);
       ++n) {
    const auto date = static_cast<double>(n);
    const DateFields f = FieldsFromDate(date);
    DateFields expected = previous;
    if (++expected.day > DaysIn(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
    const std::optional<double> back =
        DateFromFields(f.year, f.month, f.day, f.hour, f.minute, f.second);
    if (!SameFields(f, expected) || !back || *back != date) {
      if (++failures <= 5) {
        CHECK_CONTEXT(Show(date));
        CHECK_EQ(ShowFields(f), ShowFields(expected));
        CHECK(back && *back == date);
      }
    }
    previous = f;
  }
  CHECK_EQ(failures, 0);
  CHECK(SameFields(previous, {9999, 12, 31, 0, 0, 0}));
}

TEST(EverySecondOfADayRoundTrips) {
  // A positive and a negative day: the fraction's magnitude is the time on
  // both sides of 1899-12-30.
  struct Day {
    int year, month, day;
  };
  const std::vector<Day> days = {{2020, 2, 29}, {1899, 12, 30}, {1899, 12, 29}, {1600, 2, 29}};
  for (const Day& d : days) {
    CHECK_CONTEXT(ShowFields({d.year, d.month, d.day, 0, 0, 0}));
    int failures = 0;
    for (int s = 0; s < 86400; ++s) {
      const DateFields want{d.year, d.month, d.day, s / 3600, (s / 60) % 60, s % 60};
      const std::optional<double> date =
          DateFromFields(want.year, want.month, want.day, want.hour, want.minute, want.second);
      if (!date || !SameFields(FieldsFromDate(*date), want)) {
        if (++failures <= 3)
          CHECK_EQ(date ? ShowFields(FieldsFromDate(*date)) : "", ShowFields(want));
      }
    }
    CHECK_EQ(failures, 0);
  }
}

TEST(FieldsGoToTheNearestSecond) {
  struct Row {
    double date;
    DateFields expected;
  };
  const std::vector<Row> rows = {
      {0.0, {1899, 12, 30, 0, 0, 0}},
      {43891 + 0.4 / 86400, {2020, 3, 1, 0, 0, 0}},
      {43891 + 0.6 / 86400, {2020, 3, 1, 0, 0, 1}},
      {43891 + 59.7 / 86400, {2020, 3, 1, 0, 1, 0}},
      {43891 + 86399.4 / 86400, {2020, 3, 1, 23, 59, 59}},
      {43891 + 86399.6 / 86400, {2020, 3, 2, 0, 0, 0}},
      {43891.9999999, {2020, 3, 2, 0, 0, 0}},
      {-1.25 - 0.4 / 86400, {1899, 12, 29, 6, 0, 0}},
      {-1.25 - 0.6 / 86400, {1899, 12, 29, 6, 0, 1}},
      {-1.0 - 86399.4 / 86400, {1899, 12, 29, 23, 59, 59}},
      // Less than half a second before midnight on the negative side: the
      // following day at 00:00:00, which is the next day towards zero.
      {-1.9999999, {1899, 12, 30, 0, 0, 0}},
      {-0.9999999, {1899, 12, 31, 0, 0, 0}},
      {-0.0000001, {1899, 12, 30, 0, 0, 0}},
      {kMinDate, {100, 1, 1, 0, 0, 0}},
      {kMaxDate, {9999, 12, 31, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(Show(row.date));
    CHECK_EQ(ShowFields(FieldsFromDate(row.date)), ShowFields(row.expected));
  }
}

TEST(OrderKeyClampsThenCountsLinearly) {
  struct Row {
    double date, clamped, linear, key;
  };
  const std::vector<Row> rows = {
      {0.0, 0.0, 0.0, 0.0},
      {43891.5, 43891.5, 43891.5, 43891.5},
      {-1.25, -1.25, -0.75, -0.75},
      {-1.75, -1.75, -0.25, -0.25},
      {-1.5, -1.5, -0.5, -0.5},
      {-2.0, -2.0, -2.0, -2.0},
      {-0.25, -0.25, 0.25, 0.25},
      {kMaxDate, kMaxDate, kMaxDate, kMaxDate},
      {2958465.5, kMaxDate, 2958465.5, kMaxDate},
      {3000000.0, kMaxDate, 3000000.0, kMaxDate},
      {kMinDate, kMinDate, kMinDate, kMinDate},
      {-657434.5, kMinDate, -657433.5, kMinDate},
      {-1.0e300, kMinDate, -1.0e300, kMinDate},
      {kInf, kMaxDate, kInf, kMaxDate},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(Show(row.date));
    CHECK_EQ(ClampDate(row.date), row.clamped);
    CHECK_EQ(LinearDate(row.date), row.linear);
    CHECK_EQ(DateSortKey(row.date), row.key);
  }
  CHECK_EQ(ClampDate(kNaN), kMinDate);
  CHECK_EQ(ClampDate(-kInf), kMinDate);
  CHECK_EQ(DateSortKey(kNaN), kMinDate);
  // -1.25 (06:00) is earlier than -1.5 (12:00) on the same day.
  CHECK(DateSortKey(-1.25) < DateSortKey(-1.5));
}

TEST(IntText) {
  struct Row {
    std::int32_t value;
    const char* text;
  };
  const std::vector<Row> rows = {
      {1, "1"},
      {25, "25"},
      {0, "0"},
      {-3, "-3"},
      {1000000, "1000000"},
      {std::numeric_limits<std::int32_t>::max(), "2147483647"},
      {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
  };
  for (const Row& row : rows) {
    CHECK_CONTEXT(row.text);
    CHECK_EQ(IntToText(row.value), std::string(row.text));
  }
}
