#include "platform/HostPath.h"

#include <algorithm>

#include "platform/ShortNames.h"

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// Decodes one code point at text[i]; advances i. Nothing for ill-formed input
// (then i moves past one byte).
std::optional<char32_t> DecodeUtf8(const std::string& text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  const std::size_t start = i;
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
      i = start;
      return std::nullopt;
    }
    cp = (cp << 6) | (byte(i++) & 0x3F);
  }
  const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    i = start;
    return std::nullopt;
  }
  return cp;
}

void AppendUtf16(WideString& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one code point at text[i]; advances i. Nothing for an unpaired surrogate.
std::optional<char32_t> DecodeUtf16(const WideString& text, std::size_t& i) {
  const char16_t unit = text[i++];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    const char16_t low = text[i++];
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
  }
  return std::nullopt;
}

template <typename Out, typename In, typename Decode, typename Append>
std::optional<Out> Convert(const In& text, Decode decode, Append append, bool lossy) {
  Out out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto cp = decode(text, i);
    if (!cp && !lossy) return std::nullopt;
    append(out, cp.value_or(ReplacementCharacter));
  }
  return out;
}

}  // namespace

std::optional<WideString> Utf8ToUtf16(const std::string& text) {
  return Convert<WideString>(text, DecodeUtf8, AppendUtf16, false);
}

std::optional<std::string> Utf16ToUtf8(const WideString& text) {
  return Convert<std::string>(text, DecodeUtf16, AppendUtf8, false);
}

WideString Utf8ToUtf16Lossy(const std::string& text) {
  return *Convert<WideString>(text, DecodeUtf8, AppendUtf16, true);
}

std::string Utf16ToUtf8Lossy(const WideString& text) {
  return *Convert<std::string>(text, DecodeUtf16, AppendUtf8, true);
}

std::optional<std::string> ToHostPath(const WideString& path) {
  if (path.find(u'\0') != WideString::npos) return std::nullopt;
  std::optional<std::string> host;
  // Nearly every path is ASCII, and every file call converts one: no decoding then.
  if (std::all_of(path.begin(), path.end(), [](char16_t unit) { return unit < 0x80; })) {
    host = std::string(path.size(), '/');
    std::transform(path.begin(), path.end(), host->begin(),
                   [](char16_t unit) { return unit == u'\\' ? '/' : static_cast<char>(unit); });
  } else {
    host = Utf16ToUtf8(path);
    if (host) std::replace(host->begin(), host->end(), '\\', '/');
  }
  if (host && host->find("~1") != std::string::npos) host = ExpandShortNames(*host);
  return host;
}

std::optional<WideString> ToSystemPath(const std::string& path) {
  if (path.find('\\') != std::string::npos) return std::nullopt;
  auto system = Utf8ToUtf16(path);
  if (system) std::replace(system->begin(), system->end(), u'/', u'\\');
  return system;
}
