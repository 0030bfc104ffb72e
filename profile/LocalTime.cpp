#include "profile/LocalTime.h"

#include <chrono>

#include "platform/TimeApi.h"

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TLocalTime LocalTimeOf(const FILETIME& utc) {
  FILETIME local{};
  FileTimeToLocalFileTime(&utc, &local);
  constexpr std::int64_t UnixEpochTicks = 116444736000000000;
  const auto seconds = std::chrono::sys_seconds(
      std::chrono::seconds((static_cast<std::int64_t>(Ticks(local)) - UnixEpochTicks) / 10000000));
  const auto day = std::chrono::floor<std::chrono::days>(seconds);
  const std::chrono::year_month_day date(day);
  const std::chrono::hh_mm_ss time(seconds - day);
  return {static_cast<int>(date.year()),         static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()),     static_cast<long>(time.hours().count()),
          static_cast<long>(time.minutes().count()), static_cast<long>(time.seconds().count())};
}

TLocalTime LocalTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return LocalTimeOf(now);
}
