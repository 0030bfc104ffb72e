// A restore unpacks into a directory beside the profile and swaps it in only
// when it is complete, so that the old or the new profile is always whole on
// disk. The swap: the complete staging directory is marked; the profile
// becomes PROFILE.orvo-old (the file system flushed first); the staging tree
// becomes the profile; the copy kept from an earlier swap is deleted and the
// old profile takes its place as PROFILE.before-restore-YYYY-MM-DD-HHMMSS;
// the mark goes. An undo is the same swap with the kept copy in the staging
// tree's part, so the profile it replaces is kept in turn. Recovery after a
// crash finishes a swap only when the mark proves the tree that moves in
// whole, and deletes a whole copy only when it is the superseded kept one;
// staging whose swap never began is the tool's own work. (PROFILE.orvo-ready
// is where earlier versions put the restored tree.)
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

WideString StagingDirectory(const WideString& profileDirectory);
// The name of the mark in a tree's top folder; an item of that name in a
// backup would be taken for it and so cannot be restored.
extern const WideString SwapMarkName;
// Creates the staging directory with the profile's own attributes (its mode),
// so that the profile that takes its place is as private as the old one was;
// without a profile, private to its owner.
bool CreateStagingDirectory(const WideString& profileDirectory);

// What recovery left: settled, or copies it kept because it could not tell
// which one the user wants, described for a message box.
struct TRecovery {
  bool Settled;
  WideString Report;
};

// Finishes or undoes an interrupted swap and removes an unfinished staging
// directory. Jobs must not touch the profile while it is not settled.
TRecovery RecoverInterruptedSwap(const WideString& profileDirectory);
// Makes the complete staging directory the profile and keeps the one it
// replaces; false (with the old profile in place and the staging directory
// as it was) when a rename fails.
bool SwapInStaging(const WideString& profileDirectory);

// The profile the last swap replaced, kept beside the profile.
struct TKeptProfile {
  WideString Path;
  std::string When;  // "YYYY-MM-DD HH:MM:SS", local time of the swap
};
std::optional<TKeptProfile> KeptProfile(const WideString& profileDirectory);
// Swaps the kept copy back in, keeping the profile it replaces; false as for
// the staging directory.
bool SwapInKeptProfile(const WideString& profileDirectory);
