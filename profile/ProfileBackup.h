// Backs the profile directory up into one archive.
#pragma once

#include <functional>

#include "profile/JobLog.h"

// The temporary name under which an archive is written until it is complete.
WideString PartialArchiveName(const WideString& archiveName);

// Writes the archive under a temporary name beside its target and puts it
// in place, flushed, only when it is complete; an existing archive of that
// name survives a failed backup. Files that could not be read are named in
// the warning of a backup that was written all the same.
// A backup the user stopped (stopped answers true once the engine returned)
// writes nothing either.
TJobResult BackupProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                         const std::function<bool()>& stopped);
