// The component's growable list of UTF-16 strings.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

class TWideStringList_ {
 public:
  std::vector<WideString> WStrings;
  std::uint32_t Count = 0;

  void Clear();
  void AddString(const WideString& s);
  // Removes the first element equal to s, both upper-cased, by moving the
  // last element into its slot.
  void RemoveString(const WideString& s);
};
