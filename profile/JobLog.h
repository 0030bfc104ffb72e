// What an archive component reports during one job, and the plain words
// in which the job tells the user what failed.
#pragma once

#include <vector>

#include "sevenzip/SevenZip.h"

struct TReportedProblem {
  Int32 Code;
  WideString File;
};

// Collects the component's reports while it lives; the component's own
// handler comes back afterwards. Files below the job's folder are named
// relative to it.
class TJobLog {
 public:
  TJobLog(TSevenZip& zip, const WideString& folder);
  ~TJobLog();
  TJobLog(const TJobLog&) = delete;
  TJobLog& operator=(const TJobLog&) = delete;

  const std::vector<TReportedProblem>& Problems() const { return FProblems; }
  // The files reported as vanished or unreadable.
  std::vector<WideString> UnreadableFiles() const;
  // A sentence for each kind of problem but unreadable files, in the order
  // reported, naming every file reported with it.
  WideString Describe(const WideString& archive) const;

 private:
  WideString Sentence(Int32 code, const WideString& archive) const;
  WideString NotWritten(const std::vector<WideString>& files) const;
  std::vector<WideString> FilesReportedWith(Int32 code) const;

  TSevenZip& FZip;
  WideString FFolder;
  T7zMessageEvent FSaved;
  std::vector<TReportedProblem> FProblems;
};

// The outcome of a job: completed or not, and what to tell the user
// instead of the completion message (empty when there is nothing).
struct TJobResult {
  bool Completed;
  WideString Warning;
};

// What a job the user stopped says.
extern const WideString StoppedJob;

// A list of files for a message box, cut after the first few.
WideString ListOfFiles(const std::vector<WideString>& files);
// The platform's text for an error code, for the user.
WideString SystemErrorText(Int32 code);
