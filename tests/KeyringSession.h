// A session bus of the test's own with an unlocked GNOME keyring on it,
// for this process and the programs it starts; the keyring's files lie in
// the test's folder. The processes end with the test (they are its own).
#pragma once

#include <string>

class TKeyringSession {
 public:
  // folder: an empty folder for the keyring's files and sockets.
  explicit TKeyringSession(const std::string& folder);
  ~TKeyringSession();
  TKeyringSession(const TKeyringSession&) = delete;
  TKeyringSession& operator=(const TKeyringSession&) = delete;

  bool Answers() const { return FAnswers; }

 private:
  bool FAnswers = false;
};
