// Filling the portable profile from another browser installation of the
// current user.
#pragma once

#include <functional>

#include "profile/JobLog.h"

// Chrome's user-data directory and the installed copy's, below the local
// application data folder.
WideString ChromeUserDataDirectory();
WideString InstalledUserDataDirectory();

// Copies History, Bookmarks and Favicons of Chrome's default profile over
// the portable profile's; a companion file goes only with the file it
// belongs to. Completed only when all three were copied; otherwise the
// warning says what was copied and what was not, and why.
TJobResult ImportFromChrome(const WideString& profileDirectory);
// Copies the installed copy's user-data tree with xcopy.exe into a folder
// beside the profile, waits for it (processing messages, ending it when
// stopped answers true) and puts the copy in the profile's place only when
// xcopy.exe reports that everything was copied; otherwise the profile
// stays as it was and the warning says what failed.
TJobResult ImportFromInstallation(const WideString& profileDirectory, const std::function<bool()>& stopped);
