#include "platform/HostStat.h"

#include "platform/HostPath.h"
#include "platform/LastError.h"

namespace {
constexpr std::int64_t TicksPerSecond = 10000000;
// 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
constexpr std::int64_t UnixEpochTicks = 116444736000000000;
}  // namespace

DWORD AttributesFromStat(const struct stat& st) {
  DWORD attributes = FILE_ATTRIBUTE_UNIX_EXTENSION | (static_cast<DWORD>(st.st_mode & 0xFFFF) << 16);
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISREG(st.st_mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

bool HasUnixMode(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_UNIX_EXTENSION) != 0 && (attributes >> 16) != 0;
}

mode_t ModeFromAttributes(DWORD attributes, mode_t current) {
  if (HasUnixMode(attributes)) return static_cast<mode_t>((attributes >> 16) & 07777);
  const mode_t permissions = current & 07777;
  if (attributes & FILE_ATTRIBUTE_READONLY) return permissions & ~static_cast<mode_t>(0222);
  return permissions | S_IWUSR;
}

FILETIME FileTimeFromTimespec(const timespec& time) {
  const std::int64_t ticks = UnixEpochTicks + static_cast<std::int64_t>(time.tv_sec) * TicksPerSecond +
                             time.tv_nsec / 100;
  const auto bits = static_cast<std::uint64_t>(ticks);
  return {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

timespec TimespecFromFileTime(const FILETIME& time) {
  const auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                               time.dwLowDateTime) -
                     UnixEpochTicks;
  std::int64_t seconds = ticks / TicksPerSecond;
  std::int64_t rest = ticks % TicksPerSecond;
  if (rest < 0) {
    rest += TicksPerSecond;
    --seconds;
  }
  return {static_cast<time_t>(seconds), static_cast<long>(rest * 100)};
}

std::optional<std::string> HostPathOrFail(LPCWSTR path) {
  auto host = path ? ToHostPath(path) : std::nullopt;
  if (!host || host->empty()) SetLastError(host ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_NAME);
  if (host && host->empty()) return std::nullopt;
  return host;
}
