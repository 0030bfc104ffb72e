// The restore unpacks into a directory beside the profile and swaps it in
// only when it is complete, so that the old or the new profile is always
// whole on disk. Between the two renames of the swap both exist under the
// names below; a job that finds them after a crash puts the old one back.
#pragma once

#include "platform/WinTypes.h"

WideString StagingDirectory(const WideString& profileDirectory);
// Puts an interrupted swap right and removes what a crashed job left beside
// the profile.
void RecoverInterruptedSwap(const WideString& profileDirectory);
// Makes the complete staging directory the profile; false (with the old
// profile in place) when a rename fails.
bool SwapInStaging(const WideString& profileDirectory);
