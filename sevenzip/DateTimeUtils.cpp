#include "sevenzip/DateTimeUtils.h"

#include <chrono>
#include <cmath>

#include "platform/TimeApi.h"
#include "sevenzip/PathUtils.h"

namespace {
constexpr std::int64_t MillisecondsPerDay = 86400000;
// 1899-12-30 as days since 1970-01-01.
constexpr int EpochShift = -25569;
}  // namespace

TDateTime Now() {
  FILETIME utc;
  GetSystemTimeAsFileTime(&utc);
  return FileTimeToDateTimeEx(utc, 1);
}

std::int32_t DateTimeToFileDate(TDateTime value) {
  auto days = static_cast<std::int64_t>(std::floor(value));
  auto milliseconds = static_cast<std::int64_t>(std::llround((value - static_cast<double>(days)) * MillisecondsPerDay));
  if (milliseconds >= MillisecondsPerDay) {
    ++days;
    milliseconds -= MillisecondsPerDay;
  }
  using namespace std::chrono;
  const year_month_day date{sys_days{} + std::chrono::days{days + EpochShift}};
  const int year = static_cast<int>(date.year());
  if (year < 1980 || year > 2107) return 0;
  const auto seconds = milliseconds / 1000;
  const auto fatDate = static_cast<std::uint32_t>(((year - 1980) << 9) | (static_cast<unsigned>(date.month()) << 5) |
                                                  static_cast<unsigned>(date.day()));
  const auto fatTime = static_cast<std::uint32_t>(((seconds / 3600) << 11) | (((seconds / 60) % 60) << 5) |
                                                  ((seconds % 60) >> 1));
  return static_cast<std::int32_t>((fatDate << 16) | fatTime);
}
