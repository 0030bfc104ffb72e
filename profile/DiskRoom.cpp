#include "profile/DiskRoom.h"

#include <cstdio>

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "sevenzip/PathUtils.h"

namespace {

// What a job will write: its bytes, and per entry what it costs besides
// (a restored file ends in a part-filled block; a stored one has its header
// record).
struct TNeed {
  std::uint64_t Bytes = 0;
  std::uint64_t Entries = 0;
  std::uint64_t BytesPerEntry = 0;
  std::uint64_t WithMargin() const { return Bytes + Bytes / 100 + Entries * BytesPerEntry; }
};

// The nearest existing folder at or above the path.
WideString ExistingFolder(WideString path) {
  while (!path.empty() && !WideDirectoryExists(path)) path = WideExcludeTrailingBackslash(WideExtractFilePath(path));
  return path;
}

std::optional<WideString> ShortOfRoom(const TNeed& need, const WideString& folder, const char16_t* job,
                                      const char16_t* unchanged) {
  const WideString existing = ExistingFolder(folder);
  ULARGE_INTEGER free{};
  if (existing.empty() || !GetDiskFreeSpaceExW(existing.c_str(), &free, nullptr, nullptr)) return std::nullopt;
  if (free.QuadPart >= need.WithMargin()) return std::nullopt;
  return u"There is not enough space on the disk. " + WideString(job) + Utf8ToUtf16Lossy(" needs " + HumanSize(static_cast<double>(need.WithMargin())) + " on the disk of ") +
         existing + Utf8ToUtf16Lossy("; " + HumanSize(static_cast<double>(free.QuadPart)) + " are free. ") + unchanged;
}

}  // namespace

std::string HumanSize(double bytes) {
  const char* const units[] = {"B", "KB", "MB", "GB", "TB"};
  int unit = 0;
  while (bytes >= 1000 && unit < 4) bytes /= 1000, ++unit;
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
  return text;
}

std::optional<WideString> ShortOfRoomForRestore(const std::vector<TArchiveItem>& items, const WideString& folder) {
  TNeed need{.BytesPerEntry = 4096};
  for (const TArchiveItem& item : items) need.Bytes += item.Directory ? 0 : static_cast<std::uint64_t>(item.Size);
  need.Entries = items.size();
  return ShortOfRoom(need, folder, u"Restoring", u"Nothing was changed.");
}

std::optional<WideString> ShortOfRoomForBackup(Int64 bytes, UInt32 entries, const WideString& archiveName) {
  const TNeed need{.Bytes = static_cast<std::uint64_t>(bytes), .Entries = entries, .BytesPerEntry = 128};
  return ShortOfRoom(need, WideExtractFilePath(archiveName), u"The backup", u"Nothing was written.");
}
