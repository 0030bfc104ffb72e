// The run-time error family: every error carries a UTF-16 message.
#pragma once

#include <exception>
#include <string>

#include "platform/WinTypes.h"

class Exception : public std::exception {
 public:
  explicit Exception(WideString message);
  const WideString& Message() const { return FMessage; }
  const char* what() const noexcept override { return FWhat.c_str(); }

 private:
  WideString FMessage;
  std::string FWhat;
};

// The silent abort: the application object discards it without a message.
class EAbort : public Exception {
 public:
  EAbort();
};

// An operating-system error with its platform code.
class EOSError : public Exception {
 public:
  EOSError(DWORD code, WideString message);
  DWORD ErrorCode() const { return FErrorCode; }

 private:
  DWORD FErrorCode;
};

// The system's message text for a platform error code.
WideString SysErrorMessage(DWORD code);
// Raises EOSError for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();
