// The date of a file from its directory entry: the file itself is never
// opened, so a file another process holds locked still has its date.
#include <windows.h>

#include "services/date.h"

// A file that is found but whose last-write time cannot be made a date (a
// conversion fails, or the local date lies after 9999) gets kMinDate, the same
// as a file that is not found: an unknown date sorts as the oldest picture, so
// it never takes the newest place that Latest shows first, and its text is the
// plain "100年1月1日" rather than a made-up moment.
DateValue GetFileDate(const Text& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return kMinDate;
  FindClose(search);

  FILETIME local;
  if (!FileTimeToLocalFileTime(&found.ftLastWriteTime, &local)) return kMinDate;
  SYSTEMTIME fields;
  if (!FileTimeToSystemTime(&local, &fields)) return kMinDate;
  // Milliseconds are dropped: the time is cut to the whole second.
  return DateFromFields(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute,
                        fields.wSecond)
      .value_or(kMinDate);
}
