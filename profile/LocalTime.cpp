#include "profile/LocalTime.h"

#include <algorithm>
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

namespace {

// Where the digits of "YYYY-MM-DD-HHMMSS" stand; the others are dashes.
constexpr std::size_t StampLength = 17;
constexpr std::size_t DashesAt[] = {4, 7, 10};

}  // namespace

WideString FileStamp(const TLocalTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u-%02ld%02ld%02ld", time.Year, time.Month, time.Day, time.Hour,
                time.Minute, time.Second);
  return WideString(text, text + StampLength);
}

bool IsFileStamp(const WideString& stamp) {
  if (stamp.size() != StampLength) return false;
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool dash = std::find(std::begin(DashesAt), std::end(DashesAt), i) != std::end(DashesAt);
    if (dash ? stamp[i] != u'-' : (stamp[i] < u'0' || stamp[i] > u'9')) return false;
  }
  return true;
}

std::string StampText(const WideString& stamp) {
  const std::string digits(stamp.begin(), stamp.end());
  return digits.substr(0, 10) + " " + digits.substr(11, 2) + ":" + digits.substr(13, 2) + ":" + digits.substr(15, 2);
}

TLocalTime LocalTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return LocalTimeOf(now);
}
