// A running process whose executable has the given file name, for as long
// as the object lives.
#pragma once

#include <sys/types.h>

#include <string>
#include <system_error>

#include "tests/TempDir.h"

class TNamedProcess {
 public:
  TNamedProcess(const TTempDir& dir, const std::string& name);
  ~TNamedProcess();
  TNamedProcess(const TNamedProcess&) = delete;
  TNamedProcess& operator=(const TNamedProcess&) = delete;

 private:
  pid_t FPid;
  std::error_code FError;
};
