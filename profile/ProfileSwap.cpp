#include "profile/ProfileSwap.h"

#include "platform/FileApi.h"
#include "profile/HostServices.h"
#include "sevenzip/PathUtils.h"

namespace {

WideString ReadyDirectory(const WideString& profile) { return profile + u".orvo-ready"; }
WideString OldDirectory(const WideString& profile) { return profile + u".orvo-old"; }

bool Exists(const WideString& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Move(const WideString& from, const WideString& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveIfPresent(const WideString& path) {
  if (Exists(path)) ShellDeleteFiles(path);
}

}  // namespace

WideString StagingDirectory(const WideString& profileDirectory) { return profileDirectory + u".orvo-restore"; }

void RecoverInterruptedSwap(const WideString& profileDirectory) {
  if (!Exists(profileDirectory)) {
    if (Exists(OldDirectory(profileDirectory))) {
      Move(OldDirectory(profileDirectory), profileDirectory);
    } else if (Exists(ReadyDirectory(profileDirectory))) {
      Move(ReadyDirectory(profileDirectory), profileDirectory);
    }
  }
  for (const WideString& leftover : {StagingDirectory(profileDirectory), ReadyDirectory(profileDirectory),
                                     OldDirectory(profileDirectory)})
    RemoveIfPresent(leftover);
}

bool SwapInStaging(const WideString& profileDirectory) {
  const WideString ready = ReadyDirectory(profileDirectory);
  const WideString old = OldDirectory(profileDirectory);
  if (!Move(StagingDirectory(profileDirectory), ready)) return false;
  const bool hadProfile = Exists(profileDirectory);
  if (hadProfile && !Move(profileDirectory, old)) return false;
  if (!Move(ready, profileDirectory)) {
    if (hadProfile) Move(old, profileDirectory);
    return false;
  }
  RemoveIfPresent(old);
  return true;
}
