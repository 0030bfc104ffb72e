#include "platform/TimeApi.h"

#include <ctime>

#include "platform/HostStat.h"
#include "platform/LastError.h"

namespace {

constexpr std::int64_t TicksPerSecond = 10000000;

std::int64_t CurrentBiasTicks() {
  const time_t now = time(nullptr);
  tm local {};
  localtime_r(&now, &local);
  return static_cast<std::int64_t>(local.tm_gmtoff) * TicksPerSecond;
}

BOOL Shift(const FILETIME* from, FILETIME* to, std::int64_t ticks) {
  if (!from || !to) return FALSE;
  const auto value = (static_cast<std::uint64_t>(from->dwHighDateTime) << 32 | from->dwLowDateTime) +
                     static_cast<std::uint64_t>(ticks);
  *to = {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
  return TRUE;
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  return Shift(fileTime, localFileTime, CurrentBiasTicks());
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime) {
  return Shift(localFileTime, fileTime, -CurrentBiasTicks());
}

void GetSystemTimeAsFileTime(FILETIME* systemTime) {
  timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  *systemTime = FileTimeFromTimespec(now);
}

BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, FILETIME* fileTime) {
  if (fatDate == 0) fatDate = (1 << 5) | 1;
  tm parts {};
  parts.tm_year = 80 + (fatDate >> 9);
  parts.tm_mon = ((fatDate >> 5) & 0x0F) - 1;
  parts.tm_mday = fatDate & 0x1F;
  parts.tm_hour = fatTime >> 11;
  parts.tm_min = (fatTime >> 5) & 0x3F;
  parts.tm_sec = (fatTime & 0x1F) * 2;
  static constexpr int DaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > DaysInMonth[parts.tm_mon] ||
      parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 59)
    return FailWith(ERROR_INVALID_PARAMETER);
  // The fields are a local time; timegm reads them without any zone.
  const time_t seconds = timegm(&parts);
  if (parts.tm_mday != (fatDate & 0x1F)) return FailWith(ERROR_INVALID_PARAMETER);
  *fileTime = FileTimeFromTimespec({seconds, 0});
  return TRUE;
}
