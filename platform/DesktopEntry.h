// A freedesktop Desktop Entry that starts a program: what the shell link
// object saves under a name ending in ".desktop", the launcher Linux desktops
// run (a .lnk file is a Windows shell's).
#pragma once

#include <string>
#include <vector>

// The file's text: the entry named name starts program with the arguments in
// the folder directory (all host paths, UTF-8).
std::string DesktopEntry(const std::string& name, const std::string& program,
                         const std::vector<std::string>& arguments, const std::string& directory);
