#include "profile/RestoreUndo.h"

#include "platform/LastError.h"
#include "profile/HostServices.h"
#include "profile/ProfileSwap.h"

namespace {

const WideString NoneKept = u"No profile is kept from before a restore. Nothing was changed.";

}  // namespace

TJobResult UndoLastRestore(const WideString& profileDirectory) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  if (!KeptProfile(profileDirectory)) return {false, NoneKept};
  if (!SwapInKeptProfile(profileDirectory))
    return {false, u"The kept profile could not be put in place: " +
                       SystemErrorText(static_cast<Int32>(GetLastError())) + u"\r\nThe profile was left as it was."};
  return {true, u""};
}

TJobResult DeleteKeptProfile(const WideString& profileDirectory) {
  const auto kept = KeptProfile(profileDirectory);
  if (!kept) return {false, NoneKept};
  if (!ShellDeleteFiles(kept->Path))
    return {false, u"The kept profile " + kept->Path + u" could not be deleted completely: " +
                       SystemErrorText(static_cast<Int32>(GetLastError()))};
  return {true, u""};
}

WideString UndoneText(const WideString& profileDirectory) {
  const WideString back = u"The profile from before the last restore is back.";
  const auto kept = KeptProfile(profileDirectory);
  return kept ? back + u" The one it replaced is kept as " + kept->Path + u", so this can be undone too." : back;
}
