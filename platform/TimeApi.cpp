#include "platform/TimeApi.h"

#include <ctime>

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
