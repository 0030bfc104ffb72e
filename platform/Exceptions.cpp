#include "platform/Exceptions.h"

#include "platform/HostPath.h"
#include "platform/LastError.h"

Exception::Exception(WideString message)
    : FMessage(std::move(message)), FWhat(Utf16ToUtf8Lossy(FMessage)) {}

EAbort::EAbort() : Exception(u"Operation aborted") {}

EOSError::EOSError(DWORD code, WideString message) : Exception(std::move(message)), FErrorCode(code) {}

namespace {
WideString DecimalText(DWORD value) {
  const std::string digits = std::to_string(value);
  return WideString(digits.begin(), digits.end());
}
}  // namespace

WideString SysErrorMessage(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return u"The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND: return u"The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return u"The system cannot find the path specified.";
    case ERROR_TOO_MANY_OPEN_FILES: return u"The system cannot open the file.";
    case ERROR_ACCESS_DENIED: return u"Access is denied.";
    case ERROR_INVALID_HANDLE: return u"The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return u"Not enough memory resources are available to process this command.";
    case ERROR_WRITE_PROTECT: return u"The media is write protected.";
    case ERROR_SHARING_VIOLATION:
      return u"The process cannot access the file because it is being used by another process.";
    case ERROR_FILE_EXISTS: return u"The file exists.";
    case ERROR_INVALID_PARAMETER: return u"The parameter is incorrect.";
    case ERROR_DISK_FULL: return u"There is not enough space on the disk.";
    case ERROR_INVALID_NAME: return u"The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_MOD_NOT_FOUND: return u"The specified module could not be found.";
    case ERROR_PROC_NOT_FOUND: return u"The specified procedure could not be found.";
    case ERROR_DIR_NOT_EMPTY: return u"The directory is not empty.";
    case ERROR_ALREADY_EXISTS: return u"Cannot create a file when that file already exists.";
    case ERROR_FILENAME_EXCED_RANGE: return u"The filename or extension is too long.";
    case ERROR_FILE_TOO_LARGE: return u"The file size exceeds the limit allowed and cannot be saved.";
    case ERROR_GEN_FAILURE: return u"A device attached to the system is not functioning.";
    default: return u"Unknown error " + DecimalText(code) + u".";
  }
}

void RaiseLastOSError() {
  const DWORD code = GetLastError();
  throw EOSError(code, u"System Error.  Code: " + DecimalText(code) + u".\r\n" +
                           SysErrorMessage(code));
}
