#include "profile/JobLog.h"

#include <algorithm>

#include "platform/Exceptions.h"

const WideString StoppedJob = u"The job was stopped before it ended.";

TJobLog::TJobLog(TSevenZip& zip, const WideString& folder)
    : FZip(zip), FFolder(folder + u"\\"), FSaved(zip.OnMessage) {
  zip.OnMessage = [this](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    FProblems.push_back({code, file.starts_with(FFolder) ? file.substr(FFolder.size()) : file});
  };
}

TJobLog::~TJobLog() { FZip.OnMessage = FSaved; }

std::vector<WideString> TJobLog::UnreadableFiles() const {
  std::vector<WideString> files = FilesReportedWith(CodeFileNotFound);
  const std::vector<WideString> unreadable = FilesReportedWith(CodeCouldNotReadFile);
  files.insert(files.end(), unreadable.begin(), unreadable.end());
  return files;
}

std::vector<WideString> TJobLog::FilesReportedWith(Int32 code) const {
  std::vector<WideString> files;
  for (const TReportedProblem& problem : FProblems)
    if (problem.Code == code) files.push_back(problem.File);
  return files;
}

WideString TJobLog::Describe(const WideString& archive) const {
  std::vector<Int32> described;
  WideString text;
  for (const TReportedProblem& problem : FProblems) {
    if (std::find(described.begin(), described.end(), problem.Code) != described.end()) continue;
    described.push_back(problem.Code);
    const WideString sentence = Sentence(problem.Code, archive);
    if (!sentence.empty()) text += (text.empty() ? u"" : u"\r\n") + sentence;
  }
  return text;
}

WideString TJobLog::Sentence(Int32 code, const WideString& archive) const {
  const std::vector<WideString> files = FilesReportedWith(code);
  const bool one = files.size() == 1;
  switch (code) {
    case CodeFileNotFound:
    case CodeCouldNotReadFile: return u"";
    case CodeNoFilesToAdd: return u"There are no files to back up.";
    case CodeWrongPassword:
      if (FZip.Password().empty()) return u"The backup " + archive + u" is protected by a password.";
      return u"The password is wrong for the backup " + archive + u".";
    case CodeArchiveDamaged: return u"The backup " + archive + u" is damaged or incomplete.";
    case CodeNotSFX: return u"The file " + archive + u" is not a 7z archive.";
    case CodeDataError:
    case CodeCRCError:
    case CodeUnsupportedMethod:
      // An item whose output could not be written is reported as a data
      // error by the engine; the writer's error tells the two apart.
      if (FZip.LastError() != 0) return NotWritten(files);
      if (one) return u"The backup " + archive + u" is damaged: " + files[0] + u" cannot be read from it.";
      return u"The backup " + archive + u" is damaged: these entries cannot be read from it:" + ListOfFiles(files);
    case CodeCouldNotCreateFile: return NotWritten(files);
    case CodeUnsafeName:
      return u"The backup " + archive + u" holds entries that would be written outside the profile:" + ListOfFiles(files);
    case CodeUserCanceled: return StoppedJob;
    case CodeItemSkipped: return u"The backup " + archive + u" holds entries that cannot be restored:" + ListOfFiles(files);
    default: return ErrorMessage(code) + u": " + files[0];
  }
}

WideString TJobLog::NotWritten(const std::vector<WideString>& files) const {
  const WideString error = SystemErrorText(FZip.LastError());
  if (files.size() == 1) return u"The file " + files[0] + u" could not be written: " + error;
  return u"These files could not be written: " + error + ListOfFiles(files);
}

WideString ListOfFiles(const std::vector<WideString>& files) {
  constexpr std::size_t Shown = 10;
  WideString text;
  for (std::size_t i = 0; i < files.size() && i < Shown; ++i) text += u"\r\n" + files[i];
  if (files.size() > Shown) {
    const std::string more = std::to_string(files.size() - Shown);
    text += u"\r\n... and " + WideString(more.begin(), more.end()) + u" more";
  }
  return text;
}

WideString SystemErrorText(Int32 code) { return SysErrorMessage(static_cast<DWORD>(code)); }
