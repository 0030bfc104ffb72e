#include "sevenzip/WideStringList.h"

#include "sevenzip/PathUtils.h"

void TWideStringList_::Clear() {
  WStrings.clear();
  Count = 0;
}

void TWideStringList_::AddString(const WideString& s) {
  WStrings.push_back(s);
  Count = static_cast<std::uint32_t>(WStrings.size());
}

void TWideStringList_::RemoveString(const WideString& s) {
  WideString wanted = s;
  for (char16_t& c : wanted)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  for (std::size_t i = 0; i < WStrings.size(); ++i) {
    if (WideStrEqual(WideUpperCase(WStrings[i]), wanted)) {
      WStrings[i] = std::move(WStrings.back());
      WStrings.pop_back();
      Count = static_cast<std::uint32_t>(WStrings.size());
      return;
    }
  }
}
