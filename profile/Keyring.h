// The password of a tool folder's automatic backups, kept in the desktop's
// keyring (the freedesktop Secret Service, through libsecret) and nowhere
// else.
#pragma once

#include <optional>

#include "platform/WinTypes.h"

struct TKeyringAnswer {
  // The password, when the keyring answered with one.
  std::optional<WideString> Password;
  // Why there is none: no keyring answers, it is locked, or it holds none
  // for this folder.
  WideString Problem;
};

// Stores the password for the tool folder; false, with why, when the
// keyring did not take it.
bool RememberPassword(const WideString& toolDirectory, const WideString& password, WideString& problem);
// The password stored for the tool folder.
TKeyringAnswer RememberedPassword(const WideString& toolDirectory);
