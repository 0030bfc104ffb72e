#include "sevenzip/ItemProperties.h"

#include "sevenzip/EngineLibrary.h"

namespace {

// Fills a value through the call and clears it again after reading it.
template <typename Fetch, typename Read>
auto ReadValue(Fetch fetch, Read read) {
  PROPVARIANT value{};
  fetch(&value);
  auto result = read(value);
  EngineClearValue(value);
  return result;
}

UInt64 NumberOf(const PROPVARIANT& value) {
  switch (value.vt) {
    case VT_UI4: return value.ulVal;
    case VT_UI8: return value.uhVal;
    case VT_BOOL: return value.boolVal != VARIANT_FALSE ? 1 : 0;
    default: return 0;
  }
}

}  // namespace

WideString GetItemString(IInArchive* archive, UInt32 index, PROPID propID) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetProperty(index, propID, value); },
                   [](const PROPVARIANT& value) {
                     return value.vt == VT_BSTR ? FromEngineChars(value.bstrVal) : WideString();
                   });
}

WideString GetItemPath(IInArchive* archive, UInt32 index) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetProperty(index, kpidPath, value); },
                   [](const PROPVARIANT& value) {
                     return value.vt == VT_BSTR ? ItemNameFromEngine(value.bstrVal) : WideString();
                   });
}

UInt64 GetItemNumber(IInArchive* archive, UInt32 index, PROPID propID) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetProperty(index, propID, value); }, NumberOf);
}

FILETIME GetItemTime(IInArchive* archive, UInt32 index, PROPID propID) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetProperty(index, propID, value); },
                   [](const PROPVARIANT& value) { return value.vt == VT_FILETIME ? value.filetime : FILETIME{0, 0}; });
}

std::optional<bool> GetItemFlag(IInArchive* archive, UInt32 index, PROPID propID) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetProperty(index, propID, value); },
                   [](const PROPVARIANT& value) {
                     return value.vt == VT_BOOL ? std::optional<bool>(value.boolVal != VARIANT_FALSE) : std::nullopt;
                   });
}

bool IsDirectoryItem(IInArchive* archive, UInt32 index, UInt32 attributes) {
  return GetItemFlag(archive, index, kpidIsDir).value_or((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

UInt64 GetArchiveNumber(IInArchive* archive, PROPID propID) {
  return ReadValue([&](PROPVARIANT* value) { archive->GetArchiveProperty(propID, value); }, NumberOf);
}
