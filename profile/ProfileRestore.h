// Restores the profile directory from a backup archive.
#pragma once

#include <functional>

#include "profile/ArchivePassword.h"

// Unpacks the whole archive beside the profile and swaps it in when every
// item arrived sound; otherwise the profile stays exactly as it was. An
// archive that needs a password has it asked for first, until it fits; the
// component forgets it after the job. A restore the user stopped (stopped
// answers true once the engine returned) changes nothing either.
TJobResult RestoreProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                          const std::function<bool()>& stopped, const TPasswordQuestion& askPassword = nullptr);

// Unpacks the whole archive into an empty folder of the user's, for
// comparison or to take single files out; no profile is touched. A folder
// that is not empty is refused; after a failure it is emptied again.
TJobResult RestoreIntoFolder(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                             const std::function<bool()>& stopped, const TPasswordQuestion& askPassword = nullptr);
