// Taking the last restore back: the profile it replaced, kept beside the
// profile, is swapped in again (the one it replaces kept in its place, so an
// undo can be undone too), or deleted when it is no longer wanted.
#pragma once

#include "profile/JobLog.h"

TJobResult UndoLastRestore(const WideString& profileDirectory);
TJobResult DeleteKeptProfile(const WideString& profileDirectory);
// What a completed undo says: the profile is back, and where the one it
// replaced is kept.
WideString UndoneText(const WideString& profileDirectory);
