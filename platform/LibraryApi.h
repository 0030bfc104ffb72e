// Dynamic libraries and the running program's own name.
#pragma once

#include "platform/WinTypes.h"

// A plain name is looked for beside the executable first, then by the
// system loader's rules; a name with a directory is taken as it stands.
HMODULE LoadLibraryW(LPCWSTR fileName);
FARPROC GetProcAddress(HMODULE module, const char* procName);
BOOL FreeLibrary(HMODULE module);
// Only the running executable (module null) is known.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
