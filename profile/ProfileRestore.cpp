#include "profile/ProfileRestore.h"

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "profile/HostServices.h"
#include "profile/ProfileSwap.h"
#include "sevenzip/PathUtils.h"

namespace {

WideString NotOpened(const WideString& archive, const WideString& described) {
  if (!WideFileExists(archive)) return u"The backup file " + archive + u" was not found.";
  if (!described.empty()) return described;
  return u"The file " + archive + u" is not a 7z archive.";
}

}  // namespace

TJobResult RestoreProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  const WideString staging = StagingDirectory(profileDirectory);
  if (!CreateDirectoryW(staging.c_str(), nullptr))
    return {false, u"The folder " + staging + u" could not be created: " + SystemErrorText(static_cast<Int32>(GetLastError()))};
  TJobLog log(zip, staging);
  zip.Files().Clear();
  zip.SetExtrBaseDir(staging);
  zip.SetSZFileName(archiveName);
  zip.SetLastError(0);
  const Int32 result = zip.Extract(false);
  WideString problem = log.Describe(archiveName);
  if (result == -1) problem = NotOpened(archiveName, problem);
  if (problem.empty() && result != 0) {
    problem = u"The backup " + archiveName + u" could not be read to its end";
    problem += zip.LastError() ? u": " + SystemErrorText(zip.LastError()) : u".";
  }
  if (problem.empty() && !SwapInStaging(profileDirectory))
    problem = u"The restored profile could not be put in place: " + SystemErrorText(static_cast<Int32>(GetLastError()));
  if (problem.empty()) return {true, u""};
  ShellDeleteFiles(staging);
  return {false, problem + u"\r\nThe profile was left as it was."};
}
