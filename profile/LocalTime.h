// A UTC file time as the calendar and clock of the local time zone.
#pragma once

#include "platform/WinTypes.h"

struct TLocalTime {
  int Year;
  unsigned Month, Day;
  long Hour, Minute, Second;
};

TLocalTime LocalTimeOf(const FILETIME& utc);
// The current local time.
TLocalTime LocalTimeNow();
// 100-nanosecond ticks of a FILETIME.
std::uint64_t Ticks(const FILETIME& time);
