// Room on the disk, looked at before a job writes anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "profile/ArchiveCheck.h"

// A size for people: "512 B", "1.5 KB", "3.1 GB" (powers of 1000).
std::string HumanSize(double bytes);

// Why a restore of the listed items into a folder beside or in the given
// one would not fit: what it needs and what is free. None when it fits or
// the free room cannot be told.
std::optional<WideString> ShortOfRoomForRestore(const std::vector<TArchiveItem>& items, const WideString& folder);
// The same for a backup of so many bytes in so many entries (what the
// component gathered: an upper bound for a stored backup) into the archive's
// folder.
std::optional<WideString> ShortOfRoomForBackup(Int64 bytes, UInt32 entries, const WideString& archiveName);
