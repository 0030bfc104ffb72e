// The current user's folders on this host, in host form: what stands for the
// local application data folder, and where programs keep their settings.
#pragma once

#include <string>

// $XDG_DATA_HOME, else ~/.local/share; empty when there is no home.
std::string LocalAppDataFolder();
// $XDG_CONFIG_HOME, else ~/.config; empty when there is no home.
std::string ConfigFolder();
