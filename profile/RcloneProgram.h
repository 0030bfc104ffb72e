// rclone, started with its arguments as a list (no shell) and the user's own
// configuration: what it printed, why it failed in its own words, and the
// progress of a transfer from its machine-readable statistics.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sevenzip/SevenZip.h"

struct TRcloneResult {
  bool Succeeded;
  std::string Output;  // its standard output
  WideString Reason;   // the last error it reported, when it failed
};

// Bytes done of the total, about once a second.
using TTransferProgress = std::function<void(Int64 done, Int64 total)>;

// The remotes the user set up (rclone listremotes), "NAME:" each; none when
// rclone cannot be started.
std::optional<std::vector<WideString>> RcloneRemotes(const WideString& workFolder);
// Why a job that needs rclone failed where it is not installed.
extern const WideString RcloneMissing;

// A field of rclone's JSON output, the first of its name in the text: a
// string's text (\" \\ and \n undone) or a number's digits; "" when absent.
std::string JsonField(const std::string& text, const std::string& name);

// Creates the folder, private to its owner, when it is missing; whether it did.
bool MakeWorkFolder(const WideString& folder);

// Runs rclone with the arguments, its output kept in files of the work
// folder while it runs (a folder made for the run goes again after it); stopped, when given, is polled while it runs and
// ends it.
TRcloneResult RunRclone(const WideString& workFolder, const std::vector<WideString>& arguments,
                        const std::function<bool()>& stopped = nullptr, const TTransferProgress& progress = nullptr);
