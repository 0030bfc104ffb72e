// The registry calls the system makes. This host has no registry: the seam
// holds string values that tests put there, and is empty otherwise.
#pragma once

#include "platform/WinTypes.h"

using HKEY = void*;
using REGSAM = DWORD;

inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002));
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
// Reads a string value with its terminating null; a short buffer gives
// ERROR_MORE_DATA with the size needed.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegCloseKey(HKEY key);

constexpr LONG ERROR_MORE_DATA = 234;

// The seam: a string value under HKEY_LOCAL_MACHINE, and emptying it all.
void SetRegistryString(const WideString& subKey, const WideString& valueName, const WideString& value);
void ClearRegistry();
