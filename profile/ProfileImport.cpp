#include "profile/ProfileImport.h"

#include "platform/FileApi.h"
#include "platform/ShellApi.h"
#include "profile/HostServices.h"
#include "profile/ProfileSwap.h"
#include "sevenzip/PathUtils.h"

namespace {

struct TImportedFile {
  const char16_t* Name;
  std::vector<const char16_t*> Companions;
};

const TImportedFile ChromeFiles[] = {
    {u"\\Default\\History", {u"\\Default\\History Provider Cache", u"\\Default\\History-journal"}},
    {u"\\Default\\Bookmarks", {}},
    {u"\\Default\\Favicons", {u"\\Default\\Favicons-journal"}},
};

bool HoldsProfile(const WideString& userData) {
  return WideDirectoryExists(userData + u"\\Default") || WideFileExists(userData + u"\\Local State");
}

}  // namespace

WideString ChromeUserDataDirectory() { return GetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + u"\\Google\\Chrome\\UserDa~1"; }

WideString InstalledUserDataDirectory() { return GetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + u"\\Chromium\\UserDa~1"; }

TJobResult ImportFromChrome(const WideString& profileDirectory) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  const WideString source = ChromeUserDataDirectory();
  bool anyFound = false;
  for (const TImportedFile& file : ChromeFiles) {
    if (!WideFileExists(source + file.Name)) continue;
    anyFound = true;
    if (!CopyFileW((source + file.Name).c_str(), (profileDirectory + file.Name).c_str(), FALSE)) continue;
    for (const char16_t* companion : file.Companions) DeleteFileW((profileDirectory + companion).c_str());
  }
  if (anyFound) return {true, u""};
  return {false, u"No Chrome profile data was found. It was looked for in " + source + u"\\Default."};
}

TJobResult ImportFromInstallation(const WideString& profileDirectory) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  const WideString source = InstalledUserDataDirectory();
  if (!HoldsProfile(source))
    return {false, u"No installed Orvo profile was found in " + source + u". The profile was left as it was."};
  ShellDeleteFiles(profileDirectory + u"\\*.*");
  CreateDirectoryW(profileDirectory.c_str(), nullptr);
  const WideString parameters = source + u"\\*.* " + profileDirectory + u" /E /Q /H /I /R /Y";
  ShellExecuteW(nullptr, u"open", u"xcopy.exe", parameters.c_str(), nullptr, SW_HIDE);
  return {true, u""};
}
