#include "app/CommandLineTool.h"

#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConsoleInterface.h"
#include "app/ConsoleProgress.h"
#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/HostPath.h"
#include "profile/ArchiveCheck.h"
#include "profile/BackupLog.h"
#include "profile/BackupRotation.h"
#include "profile/DesktopNotice.h"
#include "profile/HostServices.h"
#include "profile/Keyring.h"
#include "profile/LocalTime.h"
#include "profile/ProfileBackup.h"
#include "profile/ProfileLock.h"
#include "profile/ProfileRestore.h"
#include "profile/ProfileSwap.h"
#include "profile/RemoteBackups.h"
#include "profile/RestoreUndo.h"
#include "sevenzip/DateTimeUtils.h"
#include "sevenzip/PathUtils.h"

namespace {

const char* const Usage =
    "Usage: OrvoTool [--tool-dir DIR] COMMAND [OPTIONS] [ARCHIVE]\n"
    "Backs up and restores the browser profile of a portable Orvo folder.\n"
    "\n"
    "Commands:\n"
    "  backup [--to FOLDER|FILE|REMOTE:PATH] [--keep N] [--keep-local]\n"
    "         [--strength SAVE|FAST|NORMAL|MAXIMUM]\n"
    "         [--even-if-running] [--with-caches] [--scheduled] [PASSWORD]\n"
    "                     back the profile up; into a FOLDER as Orvo-Profile-DATE.7z\n"
    "                     (default: the current folder), keeping the newest N there;\n"
    "                     the backup is read back and checked before it is kept;\n"
    "                     the browser's caches are left out unless --with-caches;\n"
    "                     --scheduled, as the schedule runs it, notifies the desktop\n"
    "                     of a failure; to an rclone REMOTE:PATH the backup is\n"
    "                     uploaded and checked there, its local copy removed\n"
    "                     unless --keep-local\n"
    "  restore [PASSWORD] [--into FOLDER] ARCHIVE\n"
    "                     replace the profile by the backup's, keeping the profile\n"
    "                     it replaced beside it; with --into, unpack it into an\n"
    "                     empty FOLDER instead, the profile untouched\n"
    "  undo-restore       put back the profile the last restore replaced, keeping\n"
    "                     the one it replaces (so an undo can be undone too)\n"
    "  test [PASSWORD] ARCHIVE     read every item of the backup and check it\n"
    "  list [PASSWORD] ARCHIVE     list the backup's items on standard output\n"
    "  list-backups FOLDER|REMOTE:PATH  list the dated backups there\n"
    "ARCHIVE may be an rclone REMOTE:PATH/NAME.7z: it is downloaded first.\n"
    "\n"
    "PASSWORD, to encrypt a backup (AES-256, names too) or to read one:\n"
    "  --password-stdin        the first line of standard input\n"
    "  --password-from-keyring the password the Backup page kept in the desktop's\n"
    "                          keyring for this folder's automatic backups\n"
    "\n"
    "Options:\n"
    "  --tool-dir DIR     the portable folder (default: the folder of this program)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 done; 1 the job failed; 2 wrong usage; 3 a browser holds the\n"
    "profile (nothing changed); 4 another backup or restore of this profile runs;\n"
    "5 an interrupted restore left copies that need your choice.\n";

const char* const Version = "OrvoTool (Orvo Config & Backup Tool) " ORVO_VERSION "\n";

struct TOption {
  const char* Name;
  bool TakesValue;
};

struct TVerb {
  const char* Name;
  std::size_t Operands;
  std::vector<TOption> Options;
};

const TOption PasswordFromStdin = {"--password-stdin", false};
const TOption PasswordFromKeyring = {"--password-from-keyring", false};

const std::vector<TVerb> Verbs = {
    {"backup",
     0,
     {{"--to", true}, {"--keep", true}, {"--strength", true}, {"--even-if-running", false}, {"--with-caches", false},
      {"--keep-local", false}, {"--scheduled", false}, PasswordFromStdin, PasswordFromKeyring}},
    {"restore", 1, {{"--into", true}, PasswordFromStdin, PasswordFromKeyring}},
    {"test", 1, {PasswordFromStdin, PasswordFromKeyring}},
    {"list", 1, {PasswordFromStdin, PasswordFromKeyring}},
    {"undo-restore", 0, {}},
    {"list-backups", 1, {}},
};

struct TUsageError {
  std::string Text;
};

// What the command line asks for, its options by name.
struct TRequest {
  std::string ToolDirectory;
  const TVerb* Verb = nullptr;
  std::map<std::string, std::string> Options;
  std::vector<std::string> Operands;
  bool Has(const std::string& name) const { return Options.count(name) > 0; }
};

const TOption* FindOption(const TVerb& verb, const std::string& name) {
  for (const TOption& option : verb.Options)
    if (name == option.Name) return &option;
  return nullptr;
}

// A verb's own options may stand before or after its operands; "--" ends them.
void ParseVerbArguments(TRequest& request, const std::vector<std::string>& arguments, std::size_t at) {
  bool options = true;
  for (; at < arguments.size(); ++at) {
    std::string argument = arguments[at];
    if (options && argument == "--") {
      options = false;
      continue;
    }
    if (!options || argument.size() < 2 || argument[0] != '-') {
      request.Operands.push_back(argument);
      continue;
    }
    std::optional<std::string> value;
    if (const auto equals = argument.find('='); equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
    }
    const TOption* option = FindOption(*request.Verb, argument);
    if (!option) throw TUsageError{"unknown option '" + argument + "' for " + request.Verb->Name};
    if (option->TakesValue && !value) {
      if (++at == arguments.size()) throw TUsageError{"option '" + argument + "' needs a value"};
      value = arguments[at];
    }
    if (!option->TakesValue && value) throw TUsageError{"option '" + argument + "' takes no value"};
    request.Options[argument] = value.value_or("");
  }
  if (request.Operands.size() != request.Verb->Operands)
    throw TUsageError{std::string(request.Verb->Name) +
                      (request.Verb->Operands ? " needs one ARCHIVE" : " takes no operand, only options")};
}

TRequest Parse(const std::vector<std::string>& arguments) {
  TRequest request;
  std::size_t at = 0;
  for (; at < arguments.size() && arguments[at].starts_with("--tool-dir"); ++at) {
    if (arguments[at].starts_with("--tool-dir=")) {
      request.ToolDirectory = arguments[at].substr(11);
    } else if (arguments[at] == "--tool-dir" && at + 1 < arguments.size()) {
      request.ToolDirectory = arguments[++at];
    } else {
      throw TUsageError{"option '--tool-dir' needs a folder"};
    }
  }
  if (at == arguments.size()) throw TUsageError{"no command given"};
  for (const TVerb& verb : Verbs)
    if (arguments[at] == verb.Name) request.Verb = &verb;
  if (!request.Verb) throw TUsageError{"unknown command '" + arguments[at] + "'"};
  ParseVerbArguments(request, arguments, at + 1);
  return request;
}

WideString SystemPath(const std::string& hostPath) {
  const auto path = ToSystemPath(hostPath);
  if (!path) throw TUsageError{"'" + hostPath + "' is not a valid path here"};
  return *path;
}

// A relative path is taken from the current folder.
WideString AbsoluteSystemPath(const std::string& hostPath) {
  if (hostPath.starts_with('/')) return SystemPath(hostPath);
  char folder[4096];
  if (!getcwd(folder, sizeof folder)) throw TUsageError{"the current folder cannot be found"};
  return SystemPath(std::string(folder) + "/" + hostPath);
}

// A password the request names a source for, or why it could not be had.
struct TGivenPassword {
  std::optional<WideString> Password;
  WideString Problem;
  ~TGivenPassword() {
    if (Password) ForgetPassword(*Password);
  }
};

// Never from the command line or the environment, which other users see.
std::unique_ptr<TGivenPassword> GivenPassword(const TRequest& request, const WideString& toolDirectory) {
  auto given = std::make_unique<TGivenPassword>();
  if (request.Has(PasswordFromStdin.Name) && request.Has(PasswordFromKeyring.Name))
    throw TUsageError{"give the password one way: --password-stdin or --password-from-keyring"};
  if (request.Has(PasswordFromKeyring.Name)) {
    TKeyringAnswer answer = RememberedPassword(toolDirectory);
    given->Password = std::move(answer.Password);
    given->Problem = answer.Problem;
  } else if (request.Has(PasswordFromStdin.Name)) {
    std::string line;
    if (std::getline(std::cin, line) && line.ends_with('\r')) line.pop_back();
    if (!line.empty()) given->Password = Utf8ToUtf16Lossy(line);
    std::fill(line.begin(), line.end(), '\0');
    if (!given->Password) given->Problem = u"No password was read from standard input.";
  }
  return given;
}

// Answers the archive's password question once with the password given.
TPasswordQuestion AnswerWith(const TGivenPassword& given) {
  return [&given](const WideString&, bool wrongBefore, WideString& password) {
    if (wrongBefore || !given.Password) return false;
    password = *given.Password;
    return true;
  };
}

// Why a job did not start, and the exit status that says so.
struct TRefusal {
  int Code;
  WideString Message;
};

// The job a signal stops: the component's cancel flag is an atomic store.
TSevenZip* StoppableComponent = nullptr;
volatile sig_atomic_t StopAsked = 0;

void StopJob(int) {
  StopAsked = 1;
  if (StoppableComponent) StoppableComponent->Cancel();
}

Int64 FileSize(const WideString& path) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return -1;
  FindClose(search);
  return (static_cast<Int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class TCommandLineTool {
 public:
  explicit TCommandLineTool(TRequest request);
  int Run();

 private:
  int Backup();
  int Restore();
  int Test();
  int List();
  int UndoRestore();
  int ListBackups();
  // A backup to a remote: written here, then uploaded.
  int BackupToRemote(const WideString& remote, TCompressStrength strength, std::size_t keep);
  // Checks that the backup may start and runs the job that writes, verifies
  // (and sends) it; the exit code when it failed.
  using TBackupJob = std::function<TJobResult(TSevenZip& zip, const TBackupOptions& options)>;
  std::optional<int> WriteBackup(const WideString& archive, TCompressStrength strength, bool& encrypted,
                                 const TBackupJob& job);
  int BackupDone(const WideString& archive, const WideString& how, const WideString& rotated);
  // What a completed restore says: where the backup went and, for the
  // profile, where the profile it replaced is kept.
  WideString RestoredText() const;
  // Shows rclone's transfers as a step of the job's progress.
  TTransferProgress TransferProgress(const std::string& step);
  // Takes the lock and settles an interrupted restore; why the job must not
  // go on, if it must not.
  std::optional<TRefusal> PrepareProfileJob();
  std::optional<TRefusal> RefuseWhileBrowserHolds();
  TSevenZip& Component(const std::string& job);
  WideString ArchiveOperand() const { return AbsoluteSystemPath(FRequest.Operands[0]); }
  int BackupFailed(const WideString& archive, const WideString& message, int code);
  int Refused(const TRefusal& refusal);
  // Says why the job failed.
  int Failed(const WideString& message);

  TRequest FRequest;
  WideString FToolDirectory;
  WideString FProfileDirectory;
  TConsoleInterface FConsole;
  std::unique_ptr<TSevenZip> FZip;
  std::unique_ptr<TConsoleProgress> FProgress;
  std::unique_ptr<TProfileLock> FLock;
};

TCommandLineTool::TCommandLineTool(TRequest request) : FRequest(std::move(request)) {
  FToolDirectory = FRequest.ToolDirectory.empty() ? GetToolDirectory()
                                                  : FolderPrefix(AbsoluteSystemPath(FRequest.ToolDirectory));
  FProfileDirectory = FToolDirectory + u"Profile";
}

int TCommandLineTool::Run() {
  const std::string verb = FRequest.Verb->Name;
  if (verb == "backup") return Backup();
  if (verb == "restore") return Restore();
  if (verb == "test") return Test();
  if (verb == "undo-restore") return UndoRestore();
  if (verb == "list-backups") return ListBackups();
  return List();
}

TSevenZip& TCommandLineTool::Component(const std::string& job) {
  FZip = std::make_unique<TSevenZip>();
  FProgress = std::make_unique<TConsoleProgress>(job, isatty(STDERR_FILENO) != 0);
  FProgress->Attach(*FZip);
  StoppableComponent = FZip.get();
  signal(SIGINT, StopJob);
  signal(SIGTERM, StopJob);
  return *FZip;
}

std::optional<TRefusal> TCommandLineTool::PrepareProfileJob() {
  if (!WideDirectoryExists(FToolDirectory))
    return TRefusal{ExitFailed, u"The folder " + FToolDirectory + u" does not exist. Nothing was changed."};
  FLock = std::make_unique<TProfileLock>(FToolDirectory);
  if (!FLock->Held()) return TRefusal{FLock->HeldByAnother() ? ExitAnotherJob : ExitFailed, FLock->Refusal()};
  const TRecovery recovery = RecoverInterruptedSwap(FProfileDirectory);
  if (recovery.Settled) return std::nullopt;
  return TRefusal{ExitRecoveryKeptCopies, recovery.Report};
}

std::optional<TRefusal> TCommandLineTool::RefuseWhileBrowserHolds() {
  const WideString holder = BrowserHoldingFolder(FProfileDirectory);
  if (holder.empty()) return std::nullopt;
  return TRefusal{ExitBrowserHolds, holder + u" is using " + FProfileDirectory +
                                        u". Close the browser, then start again. Nothing was changed."};
}

int TCommandLineTool::Refused(const TRefusal& refusal) {
  SayError(refusal.Message);
  return refusal.Code;
}

int TCommandLineTool::BackupFailed(const WideString& archive, const WideString& message, int code) {
  SayError(message);
  const bool scheduled = FRequest.Has("--scheduled");
  RecordBackup(FToolDirectory, {RecordTimeNow(), false, scheduled, archive, message});
  if (scheduled) NotifyDesktop(u"Automatic backup failed", Utf8ToUtf16Lossy(ConsoleText(message)));
  return code;
}

TCompressStrength StrengthOption(const TRequest& request) {
  const char* const names[] = {"SAVE", "FAST", "NORMAL", "MAXIMUM"};
  if (!request.Has("--strength")) return TCompressStrength::SAVE;
  for (int strength = 0; strength < 4; ++strength)
    if (request.Options.at("--strength") == names[strength]) return static_cast<TCompressStrength>(strength);
  throw TUsageError{"--strength takes SAVE, FAST, NORMAL or MAXIMUM"};
}

std::size_t KeepOption(const TRequest& request) {
  if (!request.Has("--keep")) return 0;
  const std::string& text = request.Options.at("--keep");
  char* end = nullptr;
  const long keep = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || keep < 1 || keep > 100000) throw TUsageError{"--keep takes a number from 1 up"};
  return static_cast<std::size_t>(keep);
}

int TCommandLineTool::Backup() {
  const TCompressStrength strength = StrengthOption(FRequest);
  const std::size_t keep = KeepOption(FRequest);
  const std::string to = FRequest.Has("--to") ? FRequest.Options.at("--to") : ".";
  const WideString remote = Utf8ToUtf16Lossy(to);
  if (IsRemoteLocation(remote)) return BackupToRemote(remote, strength, keep);
  const WideString target = AbsoluteSystemPath(to);
  const bool intoFolder = WideDirectoryExists(target);
  if (keep > 0 && !intoFolder) throw TUsageError{"--keep needs --to to name an existing folder or a remote"};
  const WideString archive = intoFolder ? FolderPrefix(target) + DatedArchiveName(LocalTimeNow()) : target;
  if (!WideDirectoryExists(WideExtractFilePath(archive)))
    return BackupFailed(archive, u"The folder " + WideExtractFilePath(archive) + u" does not exist. Nothing was written.",
                        ExitFailed);
  bool encrypted = false;
  const auto failed = WriteBackup(archive, strength, encrypted, [&](TSevenZip& zip, const TBackupOptions& options) {
    return BackupProfile(zip, FProfileDirectory, archive, [] { return StopAsked != 0; }, options);
  });
  if (failed) return *failed;
  WideString rotated;
  if (keep > 0) {
    const TRotation rotation = RotateBackups(target, keep, WideExtractFileName(archive));
    if (!rotation.Failed.empty()) rotated = u"These older backups could not be deleted:" + ListOfFiles(rotation.Failed);
  }
  return BackupDone(archive, encrypted ? u"verified, encrypted" : u"verified", rotated);
}

int TCommandLineTool::BackupToRemote(const WideString& remote, TCompressStrength strength, std::size_t keep) {
  const WideString name = DatedArchiveName(LocalTimeNow()), uploaded = RemoteFolderPrefix(remote) + name;
  bool encrypted = false;
  const auto failed = WriteBackup(uploaded, strength, encrypted, [&](TSevenZip& zip, const TBackupOptions& options) {
    return BackupProfileToRemote(zip, FToolDirectory, FProfileDirectory, uploaded, [] { return StopAsked != 0; }, options,
                                 FRequest.Has("--keep-local"), TransferProgress("Uploading"));
  });
  if (failed) return *failed;
  WideString rotated;
  if (keep > 0) {
    const TRotation rotation = RotateRemoteBackups(FToolDirectory, remote, keep, name);
    if (!rotation.Failed.empty()) rotated = u"These older backups could not be deleted:" + ListOfFiles(rotation.Failed);
  }
  return BackupDone(uploaded, encrypted ? u"verified, encrypted, uploaded" : u"verified, uploaded", rotated);
}

std::optional<int> TCommandLineTool::WriteBackup(const WideString& archive, TCompressStrength strength, bool& encrypted,
                                                 const TBackupJob& job) {
  // A password that cannot be had fails the backup: it is never written unencrypted instead.
  const auto given = GivenPassword(FRequest, FToolDirectory);
  if (!given->Problem.empty()) return BackupFailed(archive, given->Problem + u" Nothing was written.", ExitFailed);
  if (const auto refused = PrepareProfileJob()) return BackupFailed(archive, refused->Message, refused->Code);
  if (!FRequest.Has("--even-if-running"))
    if (const auto refused = RefuseWhileBrowserHolds()) return BackupFailed(archive, refused->Message, refused->Code);
  TSevenZip& zip = Component("Backing up");
  zip.SetLZMACompressStrength(strength);
  const auto named = [this](TBackupStep step) {
    FProgress->NameStep(step == TBackupStep::Writing     ? "Backing up"
                        : step == TBackupStep::Verifying ? "Verifying"
                                                         : "Checking databases");
  };
  TBackupOptions options{.WithCaches = FRequest.Has("--with-caches"), .Password = given->Password.value_or(u""),
                         .OnStep = named};
  const TJobResult result = job(zip, options);
  ForgetPassword(options.Password);
  FProgress->Finish();
  if (!result.Completed || !result.Warning.empty()) return BackupFailed(archive, result.Warning, ExitFailed);
  encrypted = given->Password.has_value();
  return std::nullopt;
}

int TCommandLineTool::BackupDone(const WideString& archive, const WideString& how, const WideString& rotated) {
  SayError(u"Backup complete (" + how + u"): " + archive);
  if (!rotated.empty()) SayError(rotated);
  RecordBackup(FToolDirectory, {RecordTimeNow(), true, FRequest.Has("--scheduled"), archive, rotated});
  return ExitDone;
}

TTransferProgress TCommandLineTool::TransferProgress(const std::string& step) {
  return [this, step, total = Int64(-1)](Int64 done, Int64 all) mutable {
    if (total < 0) FProgress->NameStep(step);
    if (all != total) FProgress->Start(total = all);
    FProgress->Show(done);
  };
}

int TCommandLineTool::Restore() {
  const auto given = GivenPassword(FRequest, FToolDirectory);
  if (!given->Problem.empty()) return Failed(given->Problem + u" Nothing was changed.");
  if (!FRequest.Has("--into")) {
    if (const auto refused = PrepareProfileJob()) return Refused(*refused);
    if (const auto refused = RefuseWhileBrowserHolds()) return Refused(*refused);
  }
  TSevenZip& zip = Component("Restoring");
  const auto stopped = [] { return StopAsked != 0; };
  const auto restore = [&](const WideString& archive) {
    FProgress->NameStep("Restoring");
    return FRequest.Has("--into") ? RestoreIntoFolder(zip, archive, AbsoluteSystemPath(FRequest.Options.at("--into")),
                                                      stopped, AnswerWith(*given))
                                  : RestoreProfile(zip, FProfileDirectory, archive, stopped, AnswerWith(*given));
  };
  const WideString operand = Utf8ToUtf16Lossy(FRequest.Operands[0]);
  const TJobResult result = IsRemoteLocation(operand) ? WithDownloadedBackup(FToolDirectory, operand, stopped,
                                                                             TransferProgress("Downloading"), restore)
                                                      : restore(ArchiveOperand());
  FProgress->Finish();
  if (!result.Completed) return Failed(result.Warning);
  SayError(RestoredText());
  return ExitDone;
}

WideString TCommandLineTool::RestoredText() const {
  if (FRequest.Has("--into")) return u"Restore complete: " + AbsoluteSystemPath(FRequest.Options.at("--into"));
  WideString text = u"Restore complete: " + FProfileDirectory;
  if (const auto kept = KeptProfile(FProfileDirectory))
    text += u". The profile it replaced is kept as " + kept->Path + u"; OrvoTool undo-restore puts it back.";
  return text;
}

int TCommandLineTool::ListBackups() {
  const WideString operand = Utf8ToUtf16Lossy(FRequest.Operands[0]);
  std::vector<TRemoteBackup> backups;
  if (IsRemoteLocation(operand)) {
    const TJobResult listed = ListRemoteBackups(FToolDirectory, operand, backups);
    if (!listed.Completed) return Failed(listed.Warning);
  } else {
    const WideString folder = FolderPrefix(ArchiveOperand());
    for (const WideString& name : DatedArchives(folder)) backups.push_back({name, FileSize(folder + name), ""});
  }
  for (const TRemoteBackup& backup : backups)
    std::printf("%s %14lld  %s\n", StampText(backup.Name.substr(13, 17)).c_str(), static_cast<long long>(backup.Size),
                ConsoleText(backup.Name).c_str());
  return std::fflush(stdout) == 0 ? ExitDone : ExitFailed;
}

int TCommandLineTool::Test() {
  const WideString archive = ArchiveOperand();
  const auto given = GivenPassword(FRequest, FToolDirectory);
  if (!given->Problem.empty()) return Failed(given->Problem);
  TSevenZip& zip = Component("Testing");
  std::optional<std::vector<TArchiveItem>> items;
  TJobResult result = ObtainPassword(zip, archive, AnswerWith(*given), items);
  if (result.Completed) result = TestArchive(zip, archive);
  zip.SetPassword(u"");
  FProgress->Finish();
  return result.Completed ? ExitDone : Failed(result.Warning);
}

int TCommandLineTool::UndoRestore() {
  if (const auto refused = PrepareProfileJob()) return Refused(*refused);
  if (const auto refused = RefuseWhileBrowserHolds()) return Refused(*refused);
  const TJobResult result = UndoLastRestore(FProfileDirectory);
  if (!result.Completed) return Failed(result.Warning);
  SayError(UndoneText(FProfileDirectory));
  return ExitDone;
}

int TCommandLineTool::Failed(const WideString& message) {
  SayError(message);
  return ExitFailed;
}

// "2026-12-10 05:04:39" of a date-time value (days since 1899-12-30).
std::string DateTimeText(double value) {
  constexpr double UnixEpochDays = 25569;
  return TimeText(CalendarOf(std::llround((value - UnixEpochDays) * 86400)));
}

int TCommandLineTool::List() {
  const WideString archive = ArchiveOperand();
  const auto given = GivenPassword(FRequest, FToolDirectory);
  if (!given->Problem.empty()) return Failed(given->Problem);
  TSevenZip zip;
  std::optional<std::vector<TArchiveItem>> items;
  TJobResult result = ObtainPassword(zip, archive, AnswerWith(*given), items);
  if (result.Completed && !items) result = ListArchive(zip, archive, items.emplace());
  zip.SetPassword(u"");
  if (!result.Completed) return Failed(result.Warning);
  for (const TArchiveItem& item : *items)
    std::printf("%s %14lld  %s%s\n", DateTimeText(item.Modified).c_str(), static_cast<long long>(item.Size),
                ConsoleText(item.Name).c_str(), item.Directory ? "/" : "");
  return std::fflush(stdout) == 0 ? ExitDone : ExitFailed;
}

}  // namespace

bool WantsCommandLine(int argc, char*[]) { return argc > 1; }

int RunCommandLine(int argc, char* argv[]) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) return std::fputs(Usage, stdout), ExitDone;
  if (arguments.size() == 1 && arguments[0] == "--version") return std::fputs(Version, stdout), ExitDone;
  try {
    return TCommandLineTool(Parse(arguments)).Run();
  } catch (const TUsageError& error) {
    std::fprintf(stderr, "OrvoTool: %s\nTry 'OrvoTool --help'.\n", error.Text.c_str());
    return ExitUsage;
  } catch (const Exception& failure) {
    SayError(failure.Message());
    return ExitFailed;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "OrvoTool: %s\n", failure.what());
    return ExitFailed;
  }
}
