#include "platform/StringApi.h"

#include <clocale>
#include <cwctype>

namespace {

// Full Unicode case mapping, whatever locale the process runs under.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

char16_t UpperUnit(char16_t unit) {
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit;
  const locale_t locale = UnicodeLocale();
  if (!locale) return unit;
  const wint_t upper = towupper_l(unit, locale);
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

}  // namespace

DWORD CharUpperBuffW(LPWSTR text, DWORD length) {
  for (DWORD i = 0; i < length; ++i) text[i] = UpperUnit(text[i]);
  return length;
}
