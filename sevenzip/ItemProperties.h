// Reading item and archive properties from the engine. A property the
// engine reports as empty counts as 0 or as the empty string.
#pragma once

#include "sevenzip/SevenZipIntf.h"

WideString GetItemString(IInArchive* archive, UInt32 index, PROPID propID);
// An item's path, with '\' separators.
WideString GetItemPath(IInArchive* archive, UInt32 index);
UInt64 GetItemNumber(IInArchive* archive, UInt32 index, PROPID propID);
FILETIME GetItemTime(IInArchive* archive, UInt32 index, PROPID propID);
UInt64 GetArchiveNumber(IInArchive* archive, PROPID propID);
