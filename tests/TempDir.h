// A fresh temporary directory for one test, removed with all it holds.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // Host form of a path inside the directory ("" for the directory itself).
  std::string Host(const std::string& relative = "") const;
  // System form of the same path (relative is written with '/').
  WideString System(const std::string& relative = "") const;

  // Writes a file (its parents must exist).
  void Write(const std::string& relative, const std::string& content) const;
  std::string Read(const std::string& relative) const;
  void MakeDirectory(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string FPath;
};

// What a shell command prints, standard error included.
std::string RunCommand(const std::string& command);

// Whether a library of that name is mapped into this process.
bool IsMapped(const std::string& library);
// The engine stand-in without CreateObject, built beside the tests.
WideString StubLibrary();

// UTF-16 from an ASCII or UTF-8 literal, for readable expectations.
WideString W(const std::string& text);
