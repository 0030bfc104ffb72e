#include "profile/LocalTime.h"

#include <chrono>
#include <cstdio>

#include "platform/TimeApi.h"

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TLocalTime CalendarOf(std::int64_t seconds) {
  const auto moment = std::chrono::sys_seconds(std::chrono::seconds(seconds));
  const auto day = std::chrono::floor<std::chrono::days>(moment);
  const std::chrono::year_month_day date(day);
  const std::chrono::hh_mm_ss time(moment - day);
  return {static_cast<int>(date.year()),         static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()),     static_cast<long>(time.hours().count()),
          static_cast<long>(time.minutes().count()), static_cast<long>(time.seconds().count())};
}

TLocalTime LocalTimeOf(const FILETIME& utc) {
  FILETIME local{};
  FileTimeToLocalFileTime(&utc, &local);
  constexpr std::int64_t UnixEpochTicks = 116444736000000000;
  return CalendarOf((static_cast<std::int64_t>(Ticks(local)) - UnixEpochTicks) / 10000000);
}

std::string TimeText(const TLocalTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld:%02ld", time.Year, time.Month, time.Day, time.Hour,
                time.Minute, time.Second);
  return text;
}

TLocalTime LocalTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return LocalTimeOf(now);
}
