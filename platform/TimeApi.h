// Conversions between UTC and local file times. As on Windows, both use the
// time zone's bias in force now, so each is the exact inverse of the other.
#pragma once

#include "platform/WinTypes.h"

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime);
