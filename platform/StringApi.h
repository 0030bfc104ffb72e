// Locale-aware upper-casing of UTF-16 text, one code unit at a time.
#pragma once

#include "platform/WinTypes.h"

DWORD CharUpperBuffW(LPWSTR text, DWORD length);
