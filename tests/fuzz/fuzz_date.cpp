// Dates from arbitrary bits: every double gives a full date text, fields on
// the calendar and the clock, and fields that name the nearest second of the
// clamped moment; any fields that make a date in range come back unchanged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "services/date.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool OnTheCalendar(const DateFields& f) {
  return f.year >= 100 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
         f.day <= 31 && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59 &&
         f.second >= 0 && f.second <= 59;
}

void CheckDate(double date) {
  const Text text = DateToText(date);
  Require(!text.empty() && text.size() <= 40);
  const double clamped = ClampDate(date);
  Require(clamped >= kMinDate && clamped <= kMaxDate);
  const DateFields f = FieldsFromDate(clamped);
  Require(OnTheCalendar(f));
  const auto back = DateFromFields(f.year, f.month, f.day, f.hour, f.minute, f.second);
  Require(back.has_value());
  // The fields are the moment to the nearest second.
  const double apart = std::fabs(LinearDate(*back) - LinearDate(clamped)) * 86400;
  Require(apart <= 0.5 + 1e-3);
  Require(DateSortKey(date) == LinearDate(clamped));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= sizeof(double)) {
    double date;
    std::memcpy(&date, data, sizeof date);
    CheckDate(date);
  }
  if (size >= 8 + 6 * sizeof(std::int32_t)) {
    std::int32_t v[6];
    std::memcpy(v, data + 8, sizeof v);
    // Small fields most of the time, so that real dates come up often.
    const int year = v[0] % 12000;
    const int month = v[1] % 14, day = v[2] % 33, hour = v[3] % 25, minute = v[4] % 61,
              second = v[5] % 61;
    const auto date = DateFromFields(year, month, day, hour, minute, second);
    if (date && *date >= kMinDate && *date <= kMaxDate) {
      const DateFields f = FieldsFromDate(*date);
      Require(f.year == year && f.month == month && f.day == day && f.hour == hour &&
              f.minute == minute && f.second == second);
    }
    if (date) CheckDate(*date);
  }
  return 0;
}
