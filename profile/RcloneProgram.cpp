#include "profile/RcloneProgram.h"

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
#include "platform/ProcessApi.h"
#include "platform/ShellApi.h"
#include "platform/UserInterface.h"
#include "profile/ChildProgram.h"
#include "profile/JobLog.h"
#include "profile/TextFile.h"

const WideString RcloneMissing =
    u"Backups elsewhere go through rclone, which is not installed. Install it (sudo apt-get install rclone) and set "
    u"up the remote with rclone config.";

namespace {

constexpr DWORD PollInterval = 250;  // milliseconds

Int64 Number(const std::string& line, const std::string& name) {
  const std::string digits = JsonField(line, name);
  return digits.empty() ? -1 : std::strtoll(digits.c_str(), nullptr, 10);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The whole lines the log gained since offset; offset moves past them.
std::string NewLines(const WideString& name, LONG& offset) {
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string text(64 << 10, '\0');
  DWORD read = 0;
  if (SetFilePointer(file, offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
    read = 0;
  CloseHandle(file);
  text.resize(read);
  text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
  offset += static_cast<LONG>(text.size());
  return text;
}

// The latest statistics among log lines: bytes done and the total.
void ReportProgress(const std::string& log, const TTransferProgress& progress) {
  const auto at = log.rfind("\"stats\":{");
  if (at == std::string::npos) return;
  const std::string stats = log.substr(at, log.find('\n', at) - at);
  const Int64 total = Number(stats, "totalBytes");
  if (total >= 0) progress(Number(stats, "bytes"), total);
}

// The last error rclone logged; a line that is no JSON (it failed before its
// log began) counts as it stands.
WideString ReasonOf(const std::string& log) {
  std::string reason;
  for (const std::string& line : Lines(log)) {
    if (line.empty()) continue;
    if (line.front() != '{') reason = line.size() > 20 && line[4] == '/' ? line.substr(20) : line;
    else if (JsonField(line, "level") == "error" || JsonField(line, "level") == "critical") reason = JsonField(line, "msg");
  }
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  return Utf8ToUtf16Lossy(reason.empty() ? "it gave no reason" : reason);
}

// Removes a run's output files, and the work folder when the run made it.
void RemoveWork(const WideString& workFolder, bool made) {
  DeleteFileW((workFolder + u"\\rclone.out").c_str());
  DeleteFileW((workFolder + u"\\rclone.log").c_str());
  if (made) RemoveDirectoryW(workFolder.c_str());
}

HANDLE CreateOutputFile(const WideString& name) {
  return CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
}

}  // namespace

std::string JsonField(const std::string& text, const std::string& name) {
  const std::string key = "\"" + name + "\":";
  auto at = text.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  while (at < text.size() && text[at] == ' ') ++at;
  if (at >= text.size() || text[at] != '"') return text.substr(at, text.find_first_of(",} \n", at) - at);
  std::string value;
  for (++at; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] == '\\' && at + 1 < text.size()) ++at, value += text[at] == 'n' ? '\n' : text[at];
    else value += text[at];
  }
  return value;
}

bool MakeWorkFolder(const WideString& folder) {
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
  constexpr DWORD OwnerOnly = FILE_ATTRIBUTE_UNIX_EXTENSION | FILE_ATTRIBUTE_DIRECTORY | (0700u << 16);
  SetFileAttributesW(folder.c_str(), OwnerOnly);
  return true;
}

std::optional<std::vector<WideString>> RcloneRemotes(const WideString& workFolder) {
  const TRcloneResult listed = RunRclone(workFolder, {u"listremotes"});
  if (!listed.Succeeded && listed.Reason == RcloneMissing) return std::nullopt;
  std::vector<WideString> remotes;
  for (const std::string& line : Lines(listed.Output))
    if (!line.empty()) remotes.push_back(Utf8ToUtf16Lossy(line));
  return remotes;
}

TRcloneResult RunRclone(const WideString& workFolder, const std::vector<WideString>& arguments,
                        const std::function<bool()>& stopped, const TTransferProgress& progress) {
  const bool made = MakeWorkFolder(workFolder);
  const WideString outName = workFolder + u"\\rclone.out", logName = workFolder + u"\\rclone.log";
  WideString commandLine = u"rclone --use-json-log --stats 1s --stats-log-level NOTICE";
  for (const WideString& argument : arguments) commandLine += u" " + QuotedArgument(argument);
  const HANDLE out = CreateOutputFile(outName), log = CreateOutputFile(logName);
  STARTUPINFOW startup{sizeof startup, STARTF_USESTDHANDLES, nullptr, out, log};
  PROCESS_INFORMATION process{};
  const bool started = out != INVALID_HANDLE_VALUE && log != INVALID_HANDLE_VALUE &&
                       CreateProcessW(u"rclone", commandLine.c_str(), &startup, &process);
  const DWORD startError = GetLastError();
  for (const HANDLE file : {out, log})
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!started) {
    RemoveWork(workFolder, made);
    return {false, "",
            startError == ERROR_FILE_NOT_FOUND
                ? RcloneMissing
                : u"rclone could not be started: " + SystemErrorText(static_cast<Int32>(startError))};
  }
  bool stop = false;
  LONG logRead = 0;
  while (WaitForSingleObject(process.hProcess, PollInterval) != WAIT_OBJECT_0) {
    ProcessPendingMessages();
    if (progress) ReportProgress(NewLines(logName, logRead), progress);
    if (!stop && stopped && (stop = stopped())) TerminateProcess(process.hProcess, 1);
  }
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  TRcloneResult result{code == 0 && !stop, ReadTextFile(outName), u""};
  if (!result.Succeeded) result.Reason = stop ? StoppedJob : ReasonOf(ReadTextFile(logName));
  RemoveWork(workFolder, made);
  return result;
}
