#include "platform/VersionApi.h"

#include "platform/LastError.h"

namespace {
OSVERSIONINFOW ReportedVersion = {sizeof(OSVERSIONINFOW), 0, 0, 0, VER_PLATFORM_WIN32_NT, {}};
}

BOOL GetVersionExW(OSVERSIONINFOW* versionInformation) {
  if (!versionInformation || versionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW))
    return FailWith(ERROR_INSUFFICIENT_BUFFER);
  *versionInformation = ReportedVersion;
  return TRUE;
}

void SetReportedVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
  ReportedVersion.dwPlatformId = platformId;
  ReportedVersion.dwMajorVersion = majorVersion;
  ReportedVersion.dwMinorVersion = minorVersion;
}
