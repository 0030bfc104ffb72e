// Dated backups in a folder, "Orvo-Profile-YYYY-MM-DD-HHMMSS.7z" in local
// time, and the rotation that keeps the newest few of them. Nothing else in
// the folder is ever touched: only regular files whose whole name has that
// form count.
#pragma once

#include <vector>

#include "profile/LocalTime.h"

WideString DatedArchiveName(const TLocalTime& time);
bool IsDatedArchiveName(const WideString& fileName);
// A folder's path with the separator that joins a name to it.
WideString FolderPrefix(const WideString& folder);
// The file names of the dated backups in a folder, oldest first.
std::vector<WideString> DatedArchives(const WideString& folder);

struct TRotation {
  std::vector<WideString> Deleted;
  // Those that could not be deleted, with the reason.
  std::vector<WideString> Failed;
};

// Of dated backup names (oldest first), those beyond the newest keep; never
// justWritten, which counts among those kept.
std::vector<WideString> BeyondTheNewest(std::vector<WideString> dated, std::size_t keep, const WideString& justWritten);
// Deletes the oldest dated backups of the folder beyond the newest keep;
// never justWritten, which counts among those kept.
TRotation RotateBackups(const WideString& folder, std::size_t keep, const WideString& justWritten);
