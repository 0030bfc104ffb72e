// The SQLite databases of a backup, checked in the archive's own copy: each
// is taken out of the archive with its journal or write-ahead log beside
// it, opened as the browser opens it after a restore, and quick-checked.
#pragma once

#include <vector>

#include "profile/ArchiveCheck.h"

struct TDatabaseCheck {
  // Whether the copies could be taken out and opened; Warning says why not.
  bool Checked;
  WideString Warning;
  // The databases found unsound, named as the archive holds them.
  std::vector<WideString> Unsound;
};

// Whether the file begins with the SQLite database header.
bool IsDatabaseFile(const WideString& path);
// Whether SQLite finds the database sound (PRAGMA quick_check), its journal
// or log applied first.
bool DatabaseIsSound(const WideString& path);

// Checks every database of the archive (listed in its order); the profile's
// own files tell which items begin as databases, the archive's copies are
// what is checked. The copies go to a work folder beside the profile, which
// is removed again.
TDatabaseCheck CheckDatabases(TSevenZip& zip, const WideString& archiveName, const WideString& profileDirectory,
                              const std::vector<TArchiveItem>& listing);

// The work folder of the check, beside the profile.
WideString DatabaseCheckFolder(const WideString& profileDirectory);
