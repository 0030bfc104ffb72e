// A UTC file time as the calendar and clock of the local time zone.
#pragma once

#include <string>

#include "platform/WinTypes.h"

struct TLocalTime {
  int Year;
  unsigned Month, Day;
  long Hour, Minute, Second;
};

TLocalTime LocalTimeOf(const FILETIME& utc);
// The calendar and clock of a count of seconds since 1970-01-01 (no zone applied).
TLocalTime CalendarOf(std::int64_t seconds);
// "YYYY-MM-DD HH:MM:SS".
std::string TimeText(const TLocalTime& time);
// "YYYY-MM-DD-HHMMSS", the stamp of dated file names, and whether a name part is one.
WideString FileStamp(const TLocalTime& time);
bool IsFileStamp(const WideString& stamp);
// "YYYY-MM-DD HH:MM:SS" of a stamp.
std::string StampText(const WideString& stamp);
// The current local time.
TLocalTime LocalTimeNow();
// 100-nanosecond ticks of a FILETIME.
std::uint64_t Ticks(const FILETIME& time);
