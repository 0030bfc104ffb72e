// Archives that need a password: finding out, and asking until the
// password fits, before anything is written.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "profile/ArchiveCheck.h"
#include "profile/JobLog.h"

// Asks the user for the password of an archive; wrongBefore says the last
// answer did not fit. False when the user gives none (Cancel).
using TPasswordQuestion = std::function<bool(const WideString& archiveName, bool wrongBefore, WideString& password)>;

// How many answers a job takes before it gives up.
constexpr int PasswordAnswers = 3;

extern const WideString WrongPassword;

// What a listing with the component's password shows of an archive.
struct TArchiveProbe {
  bool Listed = false;
  bool PasswordAsked = false;
  std::optional<UInt32> FirstEncryptedFile;
  // How the first file with data is stored ("Copy", "LZMA2:24 7zAES:19").
  WideString FirstMethod;
  // The items the listing gave, in the archive's order: all of them when Listed.
  std::vector<TArchiveItem> Items;
};
TArchiveProbe ProbeArchive(TSevenZip& zip, const WideString& archiveName);

// Whether the probe found the archive's names hidden or an item's data encrypted.
bool NeedsPassword(const TArchiveProbe& probe);

// Sets the component's password for an archive that needs one, asking as
// often as PasswordAnswers allows; an archive that needs none leaves the
// component as it is. Completed false, with what to say, when no answer fit
// or the user gave none. items gets the archive's items when the listing that
// settled the password came to its end, so that the caller need not list again.
TJobResult ObtainPassword(TSevenZip& zip, const WideString& archiveName, const TPasswordQuestion& ask,
                          std::optional<std::vector<TArchiveItem>>& items);

// Overwrites a password's characters before the string lets them go.
void ForgetPassword(WideString& password);
