#include "profile/FolderSummary.h"

#include <cstdio>

#include "platform/FindApi.h"
#include "profile/LocalTime.h"

namespace {

struct TTally {
  std::uint64_t Files = 0;
  std::uint64_t Bytes = 0;
  std::uint64_t Newest = 0;  // FILETIME ticks, UTC
};

void Count(const WideString& directory, TTally& tally) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((directory + u"\\*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const WideString name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Count(directory + u"\\" + name, tally);
      continue;
    }
    ++tally.Files;
    tally.Bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    tally.Newest = std::max(tally.Newest, Ticks(data.ftLastWriteTime));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  TakeUnrepresentableNames();
}

WideString Ascii(const char* text) { return WideString(text, text + std::char_traits<char>::length(text)); }

// "2026-12-09 17:45" for a UTC FILETIME, in local time.
WideString LocalMinute(std::uint64_t ticks) {
  const TLocalTime time = LocalTimeOf({static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)});
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02ld:%02ld", time.Year, time.Month, time.Day, time.Hour,
                time.Minute);
  return Ascii(text);
}

}  // namespace

WideString DescribeFolder(const WideString& path) {
  TTally tally;
  Count(path, tally);
  if (tally.Files == 0) return u"no files";
  char text[64];
  std::snprintf(text, sizeof text, "%llu file%s, %.1f MB", static_cast<unsigned long long>(tally.Files),
                tally.Files == 1 ? "" : "s", static_cast<double>(tally.Bytes) / 1e6);
  return Ascii(text) + u", the newest changed " + LocalMinute(tally.Newest);
}
