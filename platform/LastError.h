// The calling thread's last error code, and its translation from errno.
#pragma once

#include "platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// The platform code for a host errno value.
DWORD ErrnoToWin32(int error);
// Records errno as the last error; answers FALSE for the caller to return.
BOOL FailWithErrno();
// Records code as the last error; answers FALSE for the caller to return.
BOOL FailWith(DWORD code);
