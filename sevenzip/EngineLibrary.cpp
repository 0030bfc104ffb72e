#include "sevenzip/EngineLibrary.h"

#include <algorithm>

#include "platform/LibraryApi.h"

namespace {

using TGetModuleProp = HRESULT (*)(PROPID propID, PROPVARIANT* value);
using TSysAllocString = BSTR (*)(const wchar_t* text);
using TSysFreeString = void (*)(BSTR text);
using TVariantClear = HRESULT (*)(PROPVARIANT* value);

struct TEngineStrings {
  TSysAllocString Alloc = nullptr;
  TSysFreeString Free = nullptr;
  TVariantClear Clear = nullptr;
};

TEngineStrings Strings;

template <typename T>
T Entry(HMODULE library, const char* name) {
  return reinterpret_cast<T>(GetProcAddress(library, name));
}

// The engine's interfaces are plain vtables only when it says type 0.
bool HasPlainInterfaces(HMODULE library) {
  const auto getModuleProp = Entry<TGetModuleProp>(library, "GetModuleProp");
  PROPVARIANT value{};
  if (!getModuleProp || getModuleProp(kModulePropInterfaceType, &value) != S_OK) return false;
  return value.vt == VT_UI4 && value.ulVal == 0;
}

}  // namespace

bool BindEngine(const WideString& libraryName, HMODULE& library, TCreateObjectFunc& createObject) {
  createObject = nullptr;
  library = LoadLibraryW(libraryName.c_str());
  if (!library) return false;
  const TEngineStrings strings{Entry<TSysAllocString>(library, "SysAllocString"),
                               Entry<TSysFreeString>(library, "SysFreeString"),
                               Entry<TVariantClear>(library, "VariantClear")};
  const auto entry = Entry<TCreateObjectFunc>(library, "CreateObject");
  if (!entry || !strings.Alloc || !strings.Free || !strings.Clear || !HasPlainInterfaces(library)) {
    FreeLibrary(library);
    library = nullptr;
    return false;
  }
  Strings = strings;
  createObject = entry;
  return true;
}

BSTR EngineAllocString(const WideString& text) { return Strings.Alloc(ToEngineChars(text).c_str()); }

void EngineFreeString(BSTR text) {
  if (text) Strings.Free(text);
}

void EngineClearValue(PROPVARIANT& value) { Strings.Clear(&value); }

std::wstring ToEngineChars(const WideString& text) { return std::wstring(text.begin(), text.end()); }

WideString FromEngineChars(const wchar_t* text) {
  WideString out;
  for (; text && *text; ++text) {
    const auto cp = static_cast<char32_t>(*text);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(cp <= 0xFFFF ? static_cast<char16_t>(cp) : u'\xFFFD');
    }
  }
  return out;
}

BSTR ItemNameToEngine(const WideString& name) {
  WideString stored = name;
  std::replace(stored.begin(), stored.end(), u'\\', u'/');
  return EngineAllocString(stored);
}

WideString ItemNameFromEngine(const wchar_t* name) {
  WideString path = FromEngineChars(name);
  std::replace(path.begin(), path.end(), u'/', u'\\');
  return path;
}
