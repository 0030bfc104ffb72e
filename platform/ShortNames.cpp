#include "platform/ShortNames.h"

#include "platform/UserFolders.h"

namespace {

struct TShortName {
  const char* BelowLocalAppData;
  const char* BelowConfig;
};

constexpr TShortName BrowserFolders[] = {
    {"/Google/Chrome/UserDa~1", "/google-chrome"},
    {"/Chromium/UserDa~1", "/chromium"},
};

}  // namespace

std::string ExpandShortNames(const std::string& hostPath) {
  const std::string localAppData = LocalAppDataFolder();
  for (const TShortName& folder : BrowserFolders) {
    const std::string shortName = localAppData + folder.BelowLocalAppData;
    if (localAppData.empty() || !hostPath.starts_with(shortName)) continue;
    if (hostPath.size() > shortName.size() && hostPath[shortName.size()] != '/') continue;
    return ConfigFolder() + folder.BelowConfig + hostPath.substr(shortName.size());
  }
  return hostPath;
}
