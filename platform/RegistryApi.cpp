#include "platform/RegistryApi.h"

#include <cstring>
#include <map>

#include "platform/StringApi.h"

namespace {

using TValues = std::map<WideString, WideString>;

// Key and value names ignore case, as the registry's do.
WideString Folded(WideString name) {
  CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

std::map<WideString, TValues>& Keys() {
  static std::map<WideString, TValues> keys;
  return keys;
}

}  // namespace

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result) {
  const auto found = key == HKEY_LOCAL_MACHINE && subKey ? Keys().find(Folded(subKey)) : Keys().end();
  if (found == Keys().end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  *result = &found->second;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  if (!key) return static_cast<LONG>(ERROR_INVALID_HANDLE);
  const auto& values = *static_cast<TValues*>(key);
  const auto found = values.find(Folded(valueName ? valueName : u""));
  if (found == values.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
  if (type) *type = REG_SZ;
  const DWORD needed = static_cast<DWORD>((found->second.size() + 1) * sizeof(char16_t));
  if (!dataSize) return data ? static_cast<LONG>(ERROR_INVALID_PARAMETER) : static_cast<LONG>(ERROR_SUCCESS);
  const DWORD room = *dataSize;
  *dataSize = needed;
  if (!data) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  std::memcpy(data, found->second.c_str(), needed);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) { return key ? ERROR_SUCCESS : static_cast<LONG>(ERROR_INVALID_HANDLE); }

void SetRegistryString(const WideString& subKey, const WideString& valueName, const WideString& value) {
  Keys()[Folded(subKey)][Folded(valueName)] = value;
}

void ClearRegistry() { Keys().clear(); }
