#include "profile/ProfileSwap.h"

#include "platform/FileApi.h"
#include "profile/FolderSummary.h"
#include "profile/HostServices.h"

const WideString SwapMarkName = u".orvo-restore-complete";

namespace {

const WideString CompleteMark = u"\\" + SwapMarkName;

WideString ReadyDirectory(const WideString& profile) { return profile + u".orvo-ready"; }
WideString OldDirectory(const WideString& profile) { return profile + u".orvo-old"; }

bool Exists(const WideString& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Move(const WideString& from, const WideString& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveIfPresent(const WideString& path) {
  if (Exists(path)) ShellDeleteFiles(path);
}

bool Mark(const WideString& tree) {
  const HANDLE file = CreateFileW((tree + CompleteMark).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  static constexpr char Text[] = "Every item of this restored profile arrived and was flushed.\n";
  DWORD written = 0;
  const bool ok = WriteFile(file, Text, sizeof Text - 1, &written, nullptr) && written == sizeof Text - 1;
  return CloseHandle(file) && ok;
}

bool IsMarked(const WideString& tree) { return Exists(tree + CompleteMark); }

void Unmark(const WideString& tree) { DeleteFileW((tree + CompleteMark).c_str()); }

WideString KeptReport(const WideString& profile) {
  WideString report =
      u"A restore was interrupted, and the tool cannot tell which copy of the profile you want. Nothing was "
      u"deleted:";
  const WideString staging = StagingDirectory(profile), ready = ReadyDirectory(profile), old = OldDirectory(profile);
  for (const WideString& restored : {staging, ready})
    if (Exists(restored))
      report += u"\r\n\r\n" + restored + u" holds the restored profile: " + DescribeFolder(restored) + u".";
  if (Exists(old))
    report += u"\r\n\r\n" + old + u" holds the profile from before the restore: " + DescribeFolder(old) + u".";
  if (Exists(profile))
    report += u"\r\n\r\n" + profile + u" holds what was written there since: " + DescribeFolder(profile) + u".";
  return report + u"\r\n\r\nClose the browser, keep the copy you want under the name " + profile +
         u" and remove the others. Until then no backup, restore or import is started.";
}

}  // namespace

WideString StagingDirectory(const WideString& profileDirectory) { return profileDirectory + u".orvo-restore"; }

bool CreateStagingDirectory(const WideString& profileDirectory) {
  const WideString staging = StagingDirectory(profileDirectory);
  if (!CreateDirectoryW(staging.c_str(), nullptr)) return false;
  constexpr DWORD OwnerOnly = FILE_ATTRIBUTE_UNIX_EXTENSION | FILE_ATTRIBUTE_DIRECTORY | (0700u << 16);
  const DWORD profile = GetFileAttributesW(profileDirectory.c_str());
  SetFileAttributesW(staging.c_str(), profile != INVALID_FILE_ATTRIBUTES ? profile : OwnerOnly);
  return true;
}

TRecovery RecoverInterruptedSwap(const WideString& profileDirectory) {
  const WideString staging = StagingDirectory(profileDirectory);
  const WideString ready = ReadyDirectory(profileDirectory), old = OldDirectory(profileDirectory);
  if (!Exists(profileDirectory)) {
    if (IsMarked(staging)) {
      Move(staging, profileDirectory);
    } else if (Exists(ready)) {
      Move(ready, profileDirectory);
    } else if (Exists(old)) {
      Move(old, profileDirectory);
    }
  }
  // Staging that is unfinished, or whose swap never began, is the tool's own work.
  if (!IsMarked(staging) || !Exists(old)) RemoveIfPresent(staging);
  if (IsMarked(profileDirectory)) {
    RemoveIfPresent(old);
    if (!Exists(old)) Unmark(profileDirectory);
  }
  if (!Exists(staging) && !Exists(ready) && !Exists(old)) return {true, u""};
  return {false, KeptReport(profileDirectory)};
}

// The mark goes into the staging tree before the profile moves aside; the
// move flushes the file system first, so a profile that is aside always has
// its restored successor whole and marked on disk.
bool SwapInStaging(const WideString& profileDirectory) {
  const WideString staging = StagingDirectory(profileDirectory), old = OldDirectory(profileDirectory);
  if (!Mark(staging)) return false;
  const bool hadProfile = Exists(profileDirectory);
  if (hadProfile && !Move(profileDirectory, old)) {
    Unmark(staging);
    return false;
  }
  if (!Move(staging, profileDirectory)) {
    if (hadProfile) Move(old, profileDirectory);
    Unmark(staging);
    return false;
  }
  RemoveIfPresent(old);
  Unmark(profileDirectory);
  return true;
}
