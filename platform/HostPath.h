// The host boundary: system strings are UTF-16 with '\' separators,
// host strings are UTF-8 with '/'. Nothing outside the host layer converts.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

// Strict UTF-8 to UTF-16: nothing for ill-formed input.
std::optional<WideString> Utf8ToUtf16(const std::string& text);
// Strict UTF-16 to UTF-8: nothing for an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(const WideString& text);
// Lossy forms for messages only: ill-formed units become U+FFFD.
WideString Utf8ToUtf16Lossy(const std::string& text);
std::string Utf16ToUtf8Lossy(const WideString& text);

// System path to host path: '\' becomes '/', and the browsers' short-named
// user-data folders become the folders they stand for (ShortNames.h);
// nothing for a name the host cannot hold (an unpaired surrogate or a null
// character).
std::optional<std::string> ToHostPath(const WideString& path);
// Host path to system path: '/' becomes '\'; nothing for bytes that are not
// UTF-8, nor for a backslash, which the system form would read as a separator.
std::optional<WideString> ToSystemPath(const std::string& path);
