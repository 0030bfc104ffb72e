// The tool run as a program of its own (build/bin/OrvoBench: the real window
// on the offscreen platform), as the reliability cases need it: killed at a
// file-changing call, or with its calls logged, and bounded in time.
#pragma once

#include <string>
#include <vector>

struct TToolRun {
  bool Killed = false;  // ended by the SIGKILL the case asked for
  bool Crashed = false;  // ended by any other signal, or failed
  bool Hung = false;     // still running at the time bound, then ended
  std::string Box;       // "Caption: text" of the box it showed last
};

// Runs OrvoBench with the arguments; killAt > 0 kills it just before its
// killAt-th file-changing call, log names a file to log those calls to.
TToolRun RunTool(const std::vector<std::string>& arguments, long killAt = 0, const std::string& log = "",
                 int seconds = 60);
// Counts a run among the figures: one case tried, and whether it crashed or hung.
void CountRun(const TToolRun& run);
// The file-changing calls a log holds, one "NUMBER CALL PATH [PATH]" each.
std::vector<std::string> LoggedCalls(const std::string& log);
// Copies a tree as it is (modes, times, links).
void CopyTree(const std::string& from, const std::string& to);
