// Debian's Chromium, run headless by the tests on a profile folder as a user
// runs it: a short visit that ends, or a browser that keeps running.
#pragma once

#include <sys/types.h>

#include <string>

// The switches of a quiet headless run (no sandbox where Chromium cannot
// have one: for root, or without user namespaces; no calls to the network
// besides the pages served).
std::string HeadlessSwitches();
// Visits a page with the profile and lets the browser end, as a closed
// session; false when Chromium did not end well within a minute.
bool VisitWithChromium(const std::string& profile, const std::string& url);
// What a query of a profile's SQLite database answers.
std::string QueryDatabase(const std::string& database, const std::string& query);

// A Chromium that runs on a profile, holding it, until it is destroyed.
class TRunningChromium {
 public:
  explicit TRunningChromium(const std::string& profile, const std::string& url = "about:blank");
  ~TRunningChromium();
  TRunningChromium(const TRunningChromium&) = delete;
  TRunningChromium& operator=(const TRunningChromium&) = delete;

  // Waits until the browser holds the profile (its lock is there).
  bool HoldsProfile() const;
  // Ends the browser and waits for it.
  void Close();

 private:
  std::string FProfile;
  pid_t FProcess = -1;
};
