// Dates as the program keeps them: OLE Automation dates (days since
// 1899-12-30; the magnitude of the fraction is the time of day), their text
// for the status bar, and the count text.
#pragma once

#include <cstdint>
#include <optional>

#include "services/text.h"

using DateValue = double;

inline constexpr DateValue kMinDate = -657434.0;  // 100-01-01 00:00:00
inline constexpr DateValue kMaxDate = 2958465.0;  // 9999-12-31 00:00:00

struct DateFields {
  int year, month, day, hour, minute, second;
};

// Fails for year > 9999 and for fields outside the calendar and the clock.
std::optional<DateValue> DateFromFields(int year, int month, int day, int hour, int minute,
                                        int second);
// For kMinDate <= date <= kMaxDate; the time goes to the nearest second.
DateFields FieldsFromDate(DateValue date);

// "%d年%d月%d日" and the shortest time part that keeps the moment; never empty.
Text DateToText(DateValue date);
// "%d".
Text IntToText(std::int32_t value);

// The order key of dates: clamped into [kMinDate, kMaxDate] (a NaN gives
// kMinDate), then made a plain linear day count.
DateValue ClampDate(DateValue date);
DateValue LinearDate(DateValue date);
DateValue DateSortKey(DateValue date);

// Win32 edge: the last-write time of the named file as local time, cut to
// whole seconds; kMinDate when the path names nothing.
DateValue GetFileDate(const Text& path);
