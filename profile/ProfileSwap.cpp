#include "profile/ProfileSwap.h"

#include <algorithm>
#include <vector>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "profile/FolderSummary.h"
#include "profile/HostServices.h"
#include "profile/LocalTime.h"
#include "sevenzip/PathUtils.h"

const WideString SwapMarkName = u".orvo-restore-complete";

namespace {

const WideString CompleteMark = u"\\" + SwapMarkName;

WideString ReadyDirectory(const WideString& profile) { return profile + u".orvo-ready"; }
WideString OldDirectory(const WideString& profile) { return profile + u".orvo-old"; }
WideString KeptPrefix(const WideString& profile) { return profile + u".before-restore-"; }

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

// The folders named PROFILE.before-restore-STAMP, oldest first.
std::vector<WideString> KeptCopies(const WideString& profile) {
  std::vector<WideString> copies;
  const WideString prefix = KeptPrefix(profile), namePrefix = WideExtractFileName(prefix);
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((prefix + u"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return copies;
  do {
    const WideString name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.starts_with(namePrefix) &&
        IsFileStamp(name.substr(namePrefix.size())))
      copies.push_back(WideExtractFilePath(prefix) + name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  TakeUnrepresentableNames();
  std::sort(copies.begin(), copies.end());
  return copies;
}

// The kept copy an undo marked before it moved the profile aside.
std::optional<WideString> MarkedKeptCopy(const WideString& profile) {
  for (const WideString& kept : KeptCopies(profile))
    if (IsMarked(kept)) return kept;
  return std::nullopt;
}

// The profile moved aside becomes the kept copy, in place of earlier ones.
void KeepOld(const WideString& profile) {
  for (const WideString& earlier : KeptCopies(profile)) ShellDeleteFiles(earlier);
  Move(OldDirectory(profile), KeptPrefix(profile) + FileStamp(LocalTimeNow()));
}

// The mark goes into the tree that moves in before the profile moves aside;
// the move flushes the file system first, so a profile that is aside always
// has its successor whole and marked on disk. The mark leaves the profile
// only when the old one is kept under its dated name.
bool SwapIn(const WideString& profile, const WideString& source) {
  const WideString old = OldDirectory(profile);
  if (!Mark(source)) return false;
  const bool hadProfile = Exists(profile);
  if (hadProfile && !Move(profile, old)) {
    Unmark(source);
    return false;
  }
  if (!Move(source, profile)) {
    if (hadProfile) Move(old, profile);
    Unmark(source);
    return false;
  }
  if (hadProfile) KeepOld(profile);
  if (!Exists(old)) Unmark(profile);
  return true;
}

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
  for (const WideString& kept : KeptCopies(profile))
    report += u"\r\n\r\n" + kept + u" holds the profile kept from before an earlier restore: " + DescribeFolder(kept) +
              u".";
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
    const auto undone = MarkedKeptCopy(profileDirectory);
    if (IsMarked(staging)) {
      Move(staging, profileDirectory);
    } else if (undone) {
      Move(*undone, profileDirectory);
    } else if (Exists(ready)) {
      Move(ready, profileDirectory);
    } else if (Exists(old)) {
      Move(old, profileDirectory);
    }
  }
  // Staging that is unfinished, or whose swap never began, is the tool's own work.
  if (!IsMarked(staging) || !Exists(old)) RemoveIfPresent(staging);
  if (IsMarked(profileDirectory)) {
    if (Exists(old)) KeepOld(profileDirectory);
    if (!Exists(old)) Unmark(profileDirectory);
  }
  // A mark left in a kept copy is of an undo whose moves never began.
  for (const WideString& kept : KeptCopies(profileDirectory)) Unmark(kept);
  if (!Exists(staging) && !Exists(ready) && !Exists(old)) return {true, u""};
  return {false, KeptReport(profileDirectory)};
}

bool SwapInStaging(const WideString& profileDirectory) {
  return SwapIn(profileDirectory, StagingDirectory(profileDirectory));
}

std::optional<TKeptProfile> KeptProfile(const WideString& profileDirectory) {
  const std::vector<WideString> copies = KeptCopies(profileDirectory);
  if (copies.empty()) return std::nullopt;
  const WideString& newest = copies.back();
  return TKeptProfile{newest, StampText(newest.substr(KeptPrefix(profileDirectory).size()))};
}

bool SwapInKeptProfile(const WideString& profileDirectory) {
  const auto kept = KeptProfile(profileDirectory);
  return kept && SwapIn(profileDirectory, kept->Path);
}
