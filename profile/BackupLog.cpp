#include "profile/BackupLog.h"

#include <algorithm>
#include <sstream>

#include "platform/HostPath.h"
#include "profile/LocalTime.h"
#include "profile/RemoteBackups.h"
#include "profile/TextFile.h"

namespace {

constexpr std::size_t KeptRecords = 100;
const char Separator = '\t';

// Paths in a message as a reader of the log knows them.
WideString HostForm(WideString text) {
  std::replace(text.begin(), text.end(), u'\\', u'/');
  return text;
}

// Tabs and line breaks would end a field or a record early.
WideString OneLine(WideString text) {
  for (auto& c : text)
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  return text;
}

std::string Line(const TBackupRecord& record) {
  std::string line = Utf16ToUtf8Lossy(OneLine(record.When));
  line += Separator + std::string(record.Succeeded ? "ok" : "failed");
  line += Separator + std::string(record.Scheduled ? "scheduled" : "by hand");
  line += Separator + ToHostPath(OneLine(record.Archive)).value_or("");
  line += Separator + Utf16ToUtf8Lossy(HostForm(OneLine(record.Message)));
  return line + "\n";
}

std::optional<TBackupRecord> Parse(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  for (std::string field; std::getline(stream, field, Separator);) fields.push_back(field);
  if (fields.size() == 4) fields.emplace_back();
  if (fields.size() != 5) return std::nullopt;
  return TBackupRecord{Utf8ToUtf16Lossy(fields[0]), fields[1] == "ok", fields[2] == "scheduled",
                       LocationFromText(fields[3]), Utf8ToUtf16Lossy(fields[4])};
}

}  // namespace

WideString BackupLogName(const WideString& toolDirectory) { return toolDirectory + u"orvo-backups.log"; }

bool RecordBackup(const WideString& toolDirectory, const TBackupRecord& record) {
  std::vector<std::string> lines;
  std::istringstream stream(ReadTextFile(BackupLogName(toolDirectory)));
  for (std::string line; std::getline(stream, line);) lines.push_back(line + "\n");
  lines.push_back(Line(record));
  std::string text;
  for (std::size_t i = lines.size() > KeptRecords ? lines.size() - KeptRecords : 0; i < lines.size(); ++i)
    text += lines[i];
  return WriteTextFile(BackupLogName(toolDirectory), text);
}

std::vector<TBackupRecord> BackupRecords(const WideString& toolDirectory) {
  std::vector<TBackupRecord> records;
  std::istringstream stream(ReadTextFile(BackupLogName(toolDirectory)));
  for (std::string line; std::getline(stream, line);)
    if (const auto record = Parse(line)) records.push_back(*record);
  return records;
}

std::optional<TBackupRecord> LastScheduledBackup(const WideString& toolDirectory) {
  const auto records = BackupRecords(toolDirectory);
  for (auto record = records.rbegin(); record != records.rend(); ++record)
    if (record->Scheduled) return *record;
  return std::nullopt;
}

std::optional<TBackupRecord> UnresolvedFailure(const WideString& toolDirectory) {
  const auto records = BackupRecords(toolDirectory);
  for (auto record = records.rbegin(); record != records.rend(); ++record) {
    if (record->Succeeded) return std::nullopt;
    if (record->Scheduled) return *record;
  }
  return std::nullopt;
}

WideString RecordTimeNow() { return Utf8ToUtf16Lossy(TimeText(LocalTimeNow())); }
