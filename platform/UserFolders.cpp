#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// An absolute folder from the variable, else the one below the home folder.
std::string XdgFolder(const char* variable, const char* belowHome) {
  const char* set = std::getenv(variable);
  if (set && set[0] == '/') return set;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : nullptr;
  }
  return home && *home ? std::string(home) + belowHome : std::string();
}

}  // namespace

std::string LocalAppDataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }
