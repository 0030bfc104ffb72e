// This host keeps no 8.3 short names, but the system names two folders by
// theirs: the user-data folders ("User Data", short "UserDa~1") of Google
// Chrome and of Chromium below the local application data folder. On Linux
// those browsers keep their user data in the settings folder instead, as
// google-chrome and chromium; these short names stand for those folders.
#pragma once

#include <string>

// The host path with a leading short-named browser folder replaced by the
// folder it stands for; any other path unchanged.
std::string ExpandShortNames(const std::string& hostPath);
