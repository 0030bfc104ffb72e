// The command line: the window's profile jobs without a window or display.
//   OrvoTool [--tool-dir DIR] backup|restore|test|list|list-backups|undo-restore ... ; --help; --version
#pragma once

enum TExitCode {
  ExitDone = 0,
  ExitFailed = 1,
  ExitUsage = 2,
  ExitBrowserHolds = 3,
  ExitAnotherJob = 4,
  ExitRecoveryKeptCopies = 5,
};

// Whether the program was started with arguments, and so for the command line.
bool WantsCommandLine(int argc, char* argv[]);
int RunCommandLine(int argc, char* argv[]);
