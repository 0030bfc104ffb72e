// Conversions between UTC and local file times. As on Windows, both use the
// time zone's bias in force now, so each is the exact inverse of the other.
#pragma once

#include "platform/WinTypes.h"

// The current time, UTC.
void GetSystemTimeAsFileTime(FILETIME* systemTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime);
// A DOS date and time (local, two-second resolution) as a FILETIME. The
// date 0, which stands for a time outside the DOS range, gives the start of
// that range, 1980-01-01 00:00, so that such a time can still be stamped.
BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, FILETIME* fileTime);
