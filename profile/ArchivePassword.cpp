#include "profile/ArchivePassword.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/HostPath.h"

const WideString WrongPassword = u"The password is wrong.";

namespace {

// Reads the one item through the engine's test; false when it does not come out sound.
bool ItemReads(TSevenZip& zip, const WideString& archiveName, UInt32 index) {
  TJobLog log(zip, archiveName);
  zip.Files().Clear();
  zip.Files().AddString(Utf8ToUtf16Lossy(std::to_string(index)));
  zip.SetSZFileName(archiveName);
  zip.Extract(true);
  zip.Files().Clear();
  return log.Problems().empty();
}

}  // namespace

TArchiveProbe ProbeArchive(TSevenZip& zip, const WideString& archiveName) {
  TArchiveProbe probe;
  TJobLog log(zip, archiveName);
  const T7zListfileEvent saved = zip.OnListfile;
  zip.OnListfile = [&probe](TSevenZip*, const WideString& name, Int64 index, Int64 size, Int64, Int64 attributes,
                            Int64, const WideString& method, double modified) {
    probe.Items.push_back(ListedItem(name, size, attributes, modified));
    if (size <= 0) return;
    if (probe.FirstMethod.empty()) probe.FirstMethod = method;
    if (!probe.FirstEncryptedFile && method.find(u"AES") != WideString::npos)
      probe.FirstEncryptedFile = static_cast<UInt32>(index);
  };
  zip.SetSZFileName(archiveName);
  probe.Listed = zip.List() >= 0;
  zip.OnListfile = saved;
  const auto& problems = log.Problems();
  probe.PasswordAsked = std::any_of(problems.begin(), problems.end(),
                                    [](const TReportedProblem& problem) { return problem.Code == CodeWrongPassword; });
  return probe;
}

bool NeedsPassword(const TArchiveProbe& probe) { return probe.PasswordAsked || probe.FirstEncryptedFile.has_value(); }

namespace {

TArchiveProbe ProbeWithoutPassword(TSevenZip& zip, const WideString& archiveName) {
  const WideString saved = zip.Password();
  zip.SetPassword(u"");
  TArchiveProbe probe = ProbeArchive(zip, archiveName);
  zip.SetPassword(saved);
  return probe;
}

// Whether the component's password opens the archive (its names, and the data
// of its first encrypted file), and the items its listing gave.
bool PasswordFits(TSevenZip& zip, const WideString& archiveName, std::optional<std::vector<TArchiveItem>>& items) {
  TArchiveProbe probe = ProbeArchive(zip, archiveName);
  if (!probe.Listed) return false;
  if (probe.FirstEncryptedFile && !ItemReads(zip, archiveName, *probe.FirstEncryptedFile)) return false;
  items = std::move(probe.Items);
  return true;
}

}  // namespace

TJobResult ObtainPassword(TSevenZip& zip, const WideString& archiveName, const TPasswordQuestion& ask,
                          std::optional<std::vector<TArchiveItem>>& items) {
  items.reset();
  TArchiveProbe probe = ProbeWithoutPassword(zip, archiveName);
  if (!NeedsPassword(probe)) {
    if (probe.Listed) items = std::move(probe.Items);
    return {true, u""};
  }
  WideString password;
  for (int answer = 0; answer < PasswordAnswers; ++answer) {
    if (!ask || !ask(archiveName, answer > 0, password)) {
      ForgetPassword(password);
      zip.SetPassword(u"");
      if (answer > 0) return {false, WrongPassword + u" Nothing was changed."};
      return {false, u"The backup " + archiveName + u" is protected by a password. Nothing was changed."};
    }
    zip.SetPassword(password);
    ForgetPassword(password);
    if (PasswordFits(zip, archiveName, items)) return {true, u""};
  }
  zip.SetPassword(u"");
  return {false, WrongPassword + u" Nothing was changed."};
}

void ForgetPassword(WideString& password) {
  volatile char16_t* characters = password.data();
  for (std::size_t i = 0; i < password.size(); ++i) characters[i] = u'\0';
  password.clear();
}
