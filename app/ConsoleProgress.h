// The progress of a command-line job on stderr: on a terminal one line,
// redrawn (percent, bytes done of the total, rate, time left); otherwise a
// line at every tenth of the way, for a log.
#pragma once

#include <chrono>
#include <string>

#include "sevenzip/SevenZip.h"

class TConsoleProgress {
 public:
  TConsoleProgress(const std::string& job, bool terminal);
  // Shows the component's progress from now on.
  void Attach(TSevenZip& zip);
  // Names the job's next step, whose progress starts anew.
  void NameStep(const std::string& job);
  // Ends a redrawn line, so that what follows starts a line of its own.
  void Finish();

  void Start(Int64 total);
  void Show(Int64 done);

 private:
  void Redraw(Int64 done);
  void Step(Int64 done);

  using TClock = std::chrono::steady_clock;
  static constexpr auto RedrawInterval = std::chrono::milliseconds(100);
  std::string FJob;
  bool FTerminal;
  Int64 FTotal = 0;
  int FTenths = 0;
  bool FDrawn = false;
  TClock::time_point FStarted;
  TClock::time_point FDrawnAt;
};
