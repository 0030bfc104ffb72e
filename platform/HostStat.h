// Translations between host file status and the platform's attribute
// words and file times; used inside the host layer only.
#pragma once

#include <sys/stat.h>

#include <ctime>
#include <optional>

#include "platform/WinTypes.h"

// 0x10 directory, 0x01 read-only, 0x20 archive, 0x8000 | mode << 16.
DWORD AttributesFromStat(const struct stat& st);
// The mode an attribute word asks for: the Unix mode when it carries one,
// otherwise the current mode with its write bits set by the read-only bit.
mode_t ModeFromAttributes(DWORD attributes, mode_t current);
// Whether an attribute word carries a Unix mode.
bool HasUnixMode(DWORD attributes);

FILETIME FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(const FILETIME& time);

// The host path of a system path; records ERROR_INVALID_NAME when there is none.
std::optional<std::string> HostPathOrFail(LPCWSTR path);
