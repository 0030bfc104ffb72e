// A backup read back before it is called complete.
#pragma once

#include <vector>

#include "profile/ArchiveCheck.h"

// Reads every item of the archive through the engine and checks its data,
// then lists it: it must hold exactly the items added (names, sizes,
// folders). Gives the listing, in the archive's order.
TJobResult VerifyBackup(TSevenZip& zip, const WideString& archiveName, const std::vector<TAddedItem>& added,
                        std::vector<TArchiveItem>& listing);
