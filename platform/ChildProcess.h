// Handles of the children ShellExecuteExW starts: inside the host layer only.
#pragma once

#include <sys/types.h>

#include "platform/WinTypes.h"

// A handle to the child; CloseHandle lets it go without waiting for it.
HANDLE ChildProcessHandle(pid_t child);
