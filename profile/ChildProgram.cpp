#include "profile/ChildProgram.h"

#include "platform/FileApi.h"
#include "platform/ProcessApi.h"
#include "platform/ShellApi.h"

WideString QuotedArgument(const WideString& argument) {
  WideString quoted = u"\"";
  std::size_t backslashes = 0;
  for (const char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
    } else {
      if (c == u'"') quoted.append(backslashes + 1, u'\\');
      backslashes = 0;
    }
    quoted += c;
  }
  quoted.append(backslashes, u'\\');
  return quoted + u"\"";
}

std::optional<DWORD> RunProgram(const WideString& program, const std::vector<WideString>& arguments,
                                DWORD milliseconds) {
  WideString parameters;
  for (const WideString& argument : arguments) parameters += (parameters.empty() ? u"" : u" ") + QuotedArgument(argument);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = u"open";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info) || !info.hProcess) return std::nullopt;
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0 || !GetExitCodeProcess(info.hProcess, &code)) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hProcess);
    return std::nullopt;
  }
  CloseHandle(info.hProcess);
  return code;
}
