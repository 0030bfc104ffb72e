// The operating system's version query. This host is no Windows: it reports
// the NT family with version 0.0 unless a test puts other values in the seam.
#pragma once

#include "platform/WinTypes.h"

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOW) == 276);

BOOL GetVersionExW(OSVERSIONINFOW* versionInformation);

// The seam: what the version query reports from now on.
void SetReportedVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion);
