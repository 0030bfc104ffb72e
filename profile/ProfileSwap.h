// A restore unpacks into a directory beside the profile and swaps it in only
// when it is complete, so that the old or the new profile is always whole on
// disk. The swap: the complete staging directory is marked; the profile
// becomes PROFILE.orvo-old (the file system flushed first); the staging tree
// becomes the profile; the old one is deleted; the mark goes. Recovery after
// a crash deletes a whole copy only when the mark proves the profile in place
// to be the restored one; staging whose swap never began is the tool's own
// work. (PROFILE.orvo-ready is where earlier versions put the restored tree.)
#pragma once

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
// Makes the complete staging directory the profile; false (with the old
// profile in place and the staging directory as it was) when a rename fails.
bool SwapInStaging(const WideString& profileDirectory);
