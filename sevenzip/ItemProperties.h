// Reading item and archive properties from the engine. A property the
// engine reports as empty counts as 0 or as the empty string.
#pragma once

#include <optional>

#include "sevenzip/SevenZipIntf.h"

WideString GetItemString(IInArchive* archive, UInt32 index, PROPID propID);
// An item's path, with '\' separators.
WideString GetItemPath(IInArchive* archive, UInt32 index);
UInt64 GetItemNumber(IInArchive* archive, UInt32 index, PROPID propID);
FILETIME GetItemTime(IInArchive* archive, UInt32 index, PROPID propID);
UInt64 GetArchiveNumber(IInArchive* archive, PROPID propID);
// A boolean property, or nothing when the archive does not store it.
std::optional<bool> GetItemFlag(IInArchive* archive, UInt32 index, PROPID propID);
// Whether an item is a directory: its is-directory property, or the
// attribute bit when the archive stores no such property.
bool IsDirectoryItem(IInArchive* archive, UInt32 index, UInt32 attributes);
