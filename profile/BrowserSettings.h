// The browser settings the tool changes: the privacy flag file, the
// browser starts and the user-agent shortcut.
#pragma once

#include "platform/WinTypes.h"

WideString PrivacyFlagPath(const WideString& toolDirectory);
// Whether the flag file exists as a file (a directory of its name does not count).
bool PrivacyFlagExists(const WideString& toolDirectory);
// Writes the flag file ("1" CR LF) or deletes it; raises an error that names
// the file and what failed, in words.
void SetPrivacyFlag(const WideString& toolDirectory, bool enabled);

// Starts the browser elevated to register itself as the default browser;
// answers the message to show before it starts.
WideString DefaultBrowserMessage(unsigned windowsKind);
void StartDefaultBrowserRegistration(const WideString& toolDirectory, unsigned windowsKind);
// Starts the browser once with the fixed older user agent, for sync.
void StartBrowserForSync(const WideString& toolDirectory);
// The warning that explains extended privacy.
extern const WideString PrivacyWarning;
