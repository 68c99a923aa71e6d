// Date arithmetic in the OLE Automation convention and the texts the status
// bar shows. No locale is consulted: every text is built from "%d" pieces.
#include "services/date.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kSecondsPerDay = 86400;
// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochFrom1970 = -25569;

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(std::int64_t year, int month) {
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDaysInMonth[month - 1];
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

// Proleptic Gregorian date of a day counted from 1970-01-01 (negative before
// it), by eras of 400 years so that floor division holds on both sides.
CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
  const std::int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {year, static_cast<int>(month), static_cast<int>(day)};
}

}  // namespace

std::optional<DateValue> DateFromFields(int year, int month, int day, int hour, int minute,
                                        int second) {
  // The clock fields come from a SYSTEMTIME and are never negative there; a
  // negative one is refused like any other field off the clock.
  if (year > 9999 || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  // 64-bit throughout: the year has no lower bound. Floor division keeps the
  // leap-day count right for years below 0 too; from year 0 on it is the plain
  // integer division.
  const std::int64_t y = year;
  std::int64_t n = y * 365 + FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400) +
                   kDaysBeforeMonth[month - 1] + day - 693959;
  if (IsLeapYear(y) && month <= 2) n -= 1;
  const double t = static_cast<double>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
  const double days = static_cast<double>(n);
  return n >= 0 ? days + t : days - t;
}

DateFields FieldsFromDate(DateValue date) {
  // Callers keep to the valid range; clamping again keeps a stray NaN or
  // infinity from reaching the integer conversions below.
  date = ClampDate(date);
  // Half a second away from zero, so the time goes to the nearest second.
  const double halfSecond = 1.0 / (2.0 * kSecondsPerDay);
  const double r = date > 0 ? date + halfSecond : date - halfSecond;
  auto dayCount = static_cast<std::int64_t>(std::trunc(r));
  const double magnitude = std::fabs(r);
  auto s = static_cast<int>((magnitude - std::floor(magnitude)) * kSecondsPerDay);
  if (s > kSecondsPerDay - 1) s = kSecondsPerDay - 1;
  if (date < 0 && std::trunc(r) != std::trunc(date)) {
    // A negative date less than half a second before its midnight: moving
    // away from zero crossed into the day before, but the moment rounds to
    // 00:00:00 of the day after, the next day towards zero.
    dayCount = static_cast<std::int64_t>(std::trunc(date)) + 1;
    s = 0;
  }
  const CivilDate civil = CivilFromDays(dayCount + kEpochFrom1970);
  return {static_cast<int>(civil.year), civil.month, civil.day, s / 3600, (s / 60) % 60, s % 60};
}

Text DateToText(DateValue date) {
  // ClampDate also takes a NaN to kMinDate: every date yields a full text.
  const DateFields f = FieldsFromDate(ClampDate(date));
  char text[64];
  int used = std::snprintf(text, sizeof text, "%d年%d月%d日", f.year, f.month, f.day);
  if (used < 0) used = 0;
  const auto rest = sizeof text - static_cast<std::size_t>(used);
  char* tail = text + used;
  if (f.second != 0) {
    std::snprintf(tail, rest, "%d时%d分%d秒", f.hour, f.minute, f.second);
  } else if (f.minute != 0) {
    std::snprintf(tail, rest, "%d时%d分", f.hour, f.minute);
  } else if (f.hour != 0) {
    std::snprintf(tail, rest, "%d时", f.hour);
  }
  return Text(text);
}

Text IntToText(std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return Text(text);
}

DateValue ClampDate(DateValue date) {
  if (date > kMaxDate) return kMaxDate;
  if (date >= kMinDate) return date;
  return kMinDate;  // below the range, or a NaN
}

DateValue LinearDate(DateValue date) {
  if (date >= 0) return date;
  // The fraction of a negative date counts forward from midnight; turn it
  // into a plain day count: -1.25 (06:00 on day -1) becomes -0.75. std::trunc
  // is the truncation toward zero of a 64-bit conversion, without its undefined
  // behaviour for values far below the range.
  const double k = std::trunc(date);
  return k - (date - k);
}

DateValue DateSortKey(DateValue date) { return LinearDate(ClampDate(date)); }
