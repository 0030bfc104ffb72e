#include "profile/ProfileImport.h"

#include <string>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/ProcessApi.h"
#include "platform/ShellApi.h"
#include "platform/UserInterface.h"
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

WideString Decimal(DWORD value) {
  const std::string digits = std::to_string(value);
  return WideString(digits.begin(), digits.end());
}

const WideString ProfileKept = u"\r\nThe profile was left as it was.";


// Runs xcopy.exe to its end with the window live; answers its exit code, or
// a warning when it could not be started or was stopped.
WideString RunCopy(const WideString& parameters, const std::function<bool()>& stopped, DWORD& exitCode) {
  SHELLEXECUTEINFOW copy{};
  copy.cbSize = sizeof copy;
  copy.fMask = SEE_MASK_NOCLOSEPROCESS;
  copy.lpVerb = u"open";
  copy.lpFile = u"xcopy.exe";
  copy.lpParameters = parameters.c_str();
  copy.nShow = SW_HIDE;
  if (!ShellExecuteExW(&copy))
    return u"The copy program xcopy.exe could not be started: " + SysErrorMessage(GetLastError());
  bool stop = false;
  while (WaitForSingleObject(copy.hProcess, 100) == WAIT_TIMEOUT) {
    ProcessPendingMessages();
    if ((stop = stopped())) TerminateProcess(copy.hProcess, 1);
  }
  GetExitCodeProcess(copy.hProcess, &exitCode);
  CloseHandle(copy.hProcess);
  return stop ? StoppedJob : u"";
}

}  // namespace

WideString ChromeUserDataDirectory() { return GetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + u"\\Google\\Chrome\\UserDa~1"; }

WideString InstalledUserDataDirectory() { return GetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + u"\\Chromium\\UserDa~1"; }

TJobResult ImportFromChrome(const WideString& profileDirectory) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  const WideString source = ChromeUserDataDirectory();
  WideString copied, notCopied;
  for (const TImportedFile& file : ChromeFiles) {
    const WideString name = WideExtractFileName(file.Name);
    if (!WideFileExists(source + file.Name)) {
      notCopied += u"\r\n" + name + u": not found in " + LongPathOf(source) + u"\\Default";
    } else if (!CopyFileW((source + file.Name).c_str(), (profileDirectory + file.Name).c_str(), FALSE)) {
      notCopied += u"\r\n" + name + u": could not be written to " + profileDirectory + u"\\Default: " +
                   SysErrorMessage(GetLastError());
    } else {
      copied += (copied.empty() ? u" " : u", ") + name;
      for (const char16_t* companion : file.Companions) DeleteFileW((profileDirectory + companion).c_str());
    }
  }
  if (notCopied.empty()) return {true, u""};
  if (copied.empty() && !WideDirectoryExists(source + u"\\Default"))
    return {false, u"No Chrome profile data was found. It was looked for in " + LongPathOf(source) + u"\\Default."};
  return {false, (copied.empty() ? u"Nothing was imported from Chrome." : u"Imported from Chrome:" + copied + u".") +
                     u"\r\nNot imported:" + notCopied};
}

TJobResult ImportFromInstallation(const WideString& profileDirectory, const std::function<bool()>& stopped) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  const WideString source = InstalledUserDataDirectory();
  if (!HoldsProfile(source))
    return {false, u"No installed Orvo profile was found in " + LongPathOf(source) + u"." + ProfileKept};
  const WideString staging = StagingDirectory(profileDirectory);
  if (!CreateStagingDirectory(profileDirectory))
    return {false, u"The folder " + staging + u" could not be created: " + SysErrorMessage(GetLastError()) + ProfileKept};
  DWORD exitCode = 0;
  WideString problem = RunCopy(source + u"\\*.* " + staging + u" /E /Q /H /I /R /Y", stopped, exitCode);
  if (problem.empty() && exitCode != 0)
    problem = u"xcopy.exe could not copy everything from " + LongPathOf(source) + u" (it ended with code " + Decimal(exitCode) +
              u").";
  if (problem.empty() && !SwapInStaging(profileDirectory))
    problem = u"The copied profile could not be put in place: " + SysErrorMessage(GetLastError());
  if (problem.empty()) return {true, u""};
  ShellDeleteFiles(staging);
  return {false, problem + ProfileKept};
}
