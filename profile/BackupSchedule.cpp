#include "profile/BackupSchedule.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
#include "platform/UserFolders.h"
#include "profile/RemoteBackups.h"
#include "profile/ChildProgram.h"
#include "profile/JobLog.h"
#include "profile/TextFile.h"
#include "sevenzip/PathUtils.h"

namespace {

const char* const StrengthNames[] = {"SAVE", "FAST", "NORMAL", "MAXIMUM"};
constexpr DWORD ManagerWait = 30000;  // milliseconds

std::string Host(const WideString& path) { return ToHostPath(path).value_or(Utf16ToUtf8Lossy(path)); }

// An argument as systemd reads it: quoted, with its specifiers and variables
// left literal.
std::string UnitArgument(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    if (c == '%' || c == '$') quoted += c;
    quoted += c;
  }
  return quoted + "\"";
}

// The arguments of an ExecStart line written by UnitArgument.
std::vector<std::string> UnitArguments(const std::string& line) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '\\' && i + 1 < line.size()) {
      current += line[++i];
    } else if (c == '"') {
      quoted = !quoted, any = true;
    } else if ((c == '%' || c == '$') && i + 1 < line.size() && line[i + 1] == c) {
      current += c, ++i;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (any || !current.empty()) arguments.push_back(current);
      current.clear(), any = false;
    } else {
      current += c;
    }
  }
  if (any || !current.empty()) arguments.push_back(current);
  return arguments;
}

std::vector<std::string> CommandArguments(const WideString& toolDirectory, const TBackupSchedule& schedule) {
  std::vector<std::string> arguments = {Host(toolDirectory + u"OrvoTool"),
          "--tool-dir",
          Host(toolDirectory),
          "backup",
          "--to",
          Host(schedule.Folder),
          "--keep",
          std::to_string(schedule.Keep),
          "--strength",
          StrengthNames[static_cast<int>(schedule.Strength)],
          "--even-if-running",
          "--scheduled"};
  if (schedule.Encrypted) arguments.push_back("--password-from-keyring");
  return arguments;
}

std::string UnitCommand(const WideString& toolDirectory, const TBackupSchedule& schedule) {
  std::string command;
  for (const std::string& argument : CommandArguments(toolDirectory, schedule))
    command += (command.empty() ? "" : " ") + UnitArgument(argument);
  return command;
}

std::string ServiceText(const WideString& toolDirectory, const TBackupSchedule& schedule) {
  const std::string command = UnitCommand(toolDirectory, schedule);
  return "[Unit]\nDescription=Backup of the Orvo profile in " + Host(toolDirectory) +
         "\n\n[Service]\nType=oneshot\nExecStart=" + command + "\n";
}

std::string TimerText(const WideString& toolDirectory, const TBackupSchedule& schedule) {
  const bool daily = schedule.Frequency == TScheduleFrequency::Daily;
  return "[Unit]\nDescription=" + std::string(daily ? "Daily" : "Weekly") + " backup of the Orvo profile in " +
         Host(toolDirectory) + "\n\n[Timer]\nOnCalendar=" + (daily ? "daily" : "weekly") +
         "\nPersistent=true\n\n[Install]\nWantedBy=timers.target\n";
}

// The value of the first line of a unit that starts with key.
std::string UnitValue(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\n" + key);
  if (at == std::string::npos) return "";
  const std::size_t start = at + 1 + key.size(), end = text.find('\n', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

WideString UnitFile(const WideString& toolDirectory, const char16_t* extension) {
  return UserUnitFolder() + u"\\" + ScheduleUnitName(toolDirectory) + extension;
}

bool TellManager(const std::vector<WideString>& arguments) {
  std::vector<WideString> call{u"--user"};
  call.insert(call.end(), arguments.begin(), arguments.end());
  const auto code = RunProgram(u"systemctl", call, ManagerWait);
  return code && *code == 0;
}

WideString EnableCommand(const WideString& timer) {
  return u"systemctl --user daemon-reload && systemctl --user enable --now " + timer;
}

TScheduleOutcome RemoveSchedule(const WideString& toolDirectory) {
  const WideString timer = ScheduleUnitName(toolDirectory) + u".timer";
  if (WideFileExists(UnitFile(toolDirectory, u".timer"))) TellManager({u"disable", u"--now", timer});
  for (const char16_t* extension : {u".timer", u".service"}) {
    const WideString file = UnitFile(toolDirectory, extension);
    if (WideFileExists(file) && !DeleteFileW(file.c_str()))
      return {false, u"The file " + file + u" could not be deleted: " +
                         SystemErrorText(static_cast<Int32>(GetLastError()))};
  }
  TellManager({u"daemon-reload"});
  return {true, u""};
}

}  // namespace

WideString ScheduleUnitName(const WideString& toolDirectory) {
  std::uint32_t hash = 2166136261u;
  for (const unsigned char c : Host(toolDirectory)) hash = (hash ^ c) * 16777619u;
  char text[16];
  std::snprintf(text, sizeof text, "%08x", hash);
  return u"orvo-backup-" + WideString(text, text + 8);
}

WideString UserUnitFolder() {
  return ToSystemPath(ConfigFolder() + "/systemd/user").value_or(u"");
}

TBackupSchedule ReadSchedule(const WideString& toolDirectory) {
  TBackupSchedule schedule;
  const std::string timer = ReadTextFile(UnitFile(toolDirectory, u".timer"));
  const std::string service = ReadTextFile(UnitFile(toolDirectory, u".service"));
  const std::string calendar = UnitValue(timer, "OnCalendar=");
  if (service.empty() || (calendar != "daily" && calendar != "weekly")) return schedule;
  schedule.Frequency = calendar == "daily" ? TScheduleFrequency::Daily : TScheduleFrequency::Weekly;
  const std::vector<std::string> arguments = UnitArguments(UnitValue(service, "ExecStart="));
  schedule.Encrypted = std::find(arguments.begin(), arguments.end(), "--password-from-keyring") != arguments.end();
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    const std::string& value = arguments[i + 1];
    if (arguments[i] == "--to") schedule.Folder = LocationFromText(value);
    if (arguments[i] == "--keep") schedule.Keep = std::atoi(value.c_str());
    for (int s = 0; s < 4; ++s)
      if (arguments[i] == "--strength" && value == StrengthNames[s]) schedule.Strength = static_cast<TCompressStrength>(s);
  }
  return schedule;
}

TScheduleOutcome SaveSchedule(const WideString& toolDirectory, const TBackupSchedule& schedule) {
  if (schedule.Frequency == TScheduleFrequency::Off) return RemoveSchedule(toolDirectory);
  const WideString folder = UserUnitFolder();
  if (folder.empty() || !WideForceDirectories(folder, 0))
    return {false, u"The folder " + folder + u" could not be created: " +
                       SystemErrorText(static_cast<Int32>(GetLastError()))};
  const WideString service = UnitFile(toolDirectory, u".service"), timer = UnitFile(toolDirectory, u".timer");
  if (!WriteTextFile(service, ServiceText(toolDirectory, schedule)) ||
      !WriteTextFile(timer, TimerText(toolDirectory, schedule)))
    return {false, u"The schedule could not be written to " + folder + u": " +
                       SystemErrorText(static_cast<Int32>(GetLastError()))};
  const WideString timerName = ScheduleUnitName(toolDirectory) + u".timer";
  if (TellManager({u"daemon-reload"}) && TellManager({u"enable", u"--now", timerName})) return {true, u""};
  return {true, u"The schedule was saved in " + folder +
                    u", but no service manager of yours answered. Start it with:\r\n" + EnableCommand(timerName)};
}
