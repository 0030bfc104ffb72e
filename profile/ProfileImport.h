// Filling the portable profile from another browser installation of the
// current user.
#pragma once

#include "profile/JobLog.h"

// Chrome's user-data directory and the installed copy's, below the local
// application data folder.
WideString ChromeUserDataDirectory();
WideString InstalledUserDataDirectory();

// Copies History, Bookmarks and Favicons of Chrome's default profile over
// the portable profile's; a companion file goes only with the file it
// belongs to. Not completed when none of the three was found.
TJobResult ImportFromChrome(const WideString& profileDirectory);
// Empties the profile and starts xcopy.exe, not waited for, to copy the
// installed copy's user-data tree into it. Not completed, with the profile
// untouched, when the installed copy holds no profile.
TJobResult ImportFromInstallation(const WideString& profileDirectory);
