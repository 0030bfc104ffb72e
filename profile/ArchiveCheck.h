// Reading an archive without restoring it: a test of every item's data and
// checksum, and a listing of its items.
#pragma once

#include <vector>

#include "profile/JobLog.h"

// What a restore says of an archive that could not be opened.
WideString ArchiveNotOpened(const WideString& archiveName, const WideString& described);

// Reads every item through the engine and checks it, writing nothing.
TJobResult TestArchive(TSevenZip& zip, const WideString& archiveName);

struct TArchiveItem {
  WideString Name;
  Int64 Size;
  bool Directory;
  // Local time of the last change, as the archive holds it.
  double Modified;
};

// An item as the component's listing event gives it.
TArchiveItem ListedItem(const WideString& name, Int64 size, Int64 attributes, double modified);

// The archive's items in the order it holds them.
TJobResult ListArchive(TSevenZip& zip, const WideString& archiveName, std::vector<TArchiveItem>& items);
