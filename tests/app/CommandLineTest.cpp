// The command line as a user runs it: the real program on a portable layout
// in a temporary folder, with the 7z command as the peer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <thread>

#include "profile/BackupRotation.h"
#include "profile/BackupSchedule.h"
#include "profile/Keyring.h"
#include "profile/ProfileLock.h"
#include "tests/ArchiveFixtures.h"
#include "tests/KeyringSession.h"
#include "tests/RcloneServer.h"
#include "tests/TempDir.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
  int Status;
  std::string Out, Err;
};

std::string ReadFile(const std::string& path) {
  std::string text;
  if (FILE* file = fopen(path.c_str(), "rb")) {
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, file)) text.append(buffer, n);
    fclose(file);
  }
  return text;
}

pid_t Start(const std::vector<std::string>& arguments, const std::string& out, const std::string& err,
            const std::string& in = "/dev/null") {
  const pid_t child = fork();
  if (child == 0) {
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    dup2(open(in.c_str(), O_RDONLY), STDIN_FILENO);
    std::vector<char*> argv{const_cast<char*>(ORVO_TOOL)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(ORVO_TOOL, argv.data());
    _exit(127);
  }
  return child;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir.MakeDirectory("tool");
    Dir.MakeDirectory("tool/Orvo");
    MakeSampleTree(Dir, "tool/Profile");
    Dir.MakeDirectory("backups");
  }

  // Runs the tool on the test's folder; input, when given, is its standard input.
  TRun Run(std::vector<std::string> arguments, const std::optional<std::string>& input = std::nullopt) {
    arguments.insert(arguments.begin(), {"--tool-dir", Dir.Host("tool")});
    if (input) Dir.Write("in", *input);
    return RunBare(arguments, input ? Dir.Host("in") : "/dev/null");
  }

  TRun RunBare(const std::vector<std::string>& arguments, const std::string& in = "/dev/null") {
    const pid_t child = Start(arguments, Dir.Host("out"), Dir.Host("err"), in);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(Dir.Host("out")), ReadFile(Dir.Host("err"))};
  }

  std::vector<std::string> Backups() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir.Host("backups"))) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TTempDir Dir;
};

}  // namespace

TEST_F(CommandLine, ABackupIntoAFolderHasADatedNameAndPasses7zTest) {
  const TRun run = Run({"backup", "--to", Dir.Host("backups")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "");
  const auto names = Backups();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(Orvo-Profile-\d{4}-\d\d-\d\d-\d{6}\.7z)"))) << names[0];
  EXPECT_NE(RunCommand("7z t '" + Dir.Host("backups/" + names[0]) + "'").find("Everything is Ok"), std::string::npos);
  EXPECT_EQ(Run({"test", Dir.Host("backups/" + names[0])}).Status, 0);
  const TRun list = Run({"list", Dir.Host("backups/" + names[0])});
  EXPECT_EQ(list.Status, 0);
  EXPECT_NE(list.Out.find("  Default/Bookmarks\n"), std::string::npos) << list.Out;
  EXPECT_EQ(list.Out.find("Default/Cache"), std::string::npos) << list.Out;
  EXPECT_TRUE(run.Err.ends_with("OrvoTool: Backup complete (verified): " + Dir.Host("backups/" + names[0]) + "\n"));
  const TRun whole = Run({"backup", "--with-caches", "--to", Dir.Host("whole.7z")});
  EXPECT_EQ(whole.Status, 0) << whole.Err;
  EXPECT_NE(Run({"list", Dir.Host("whole.7z")}).Out.find("  Default/Cache/Cache_Data/f_000001\n"), std::string::npos);
}

TEST_F(CommandLine, KeepDeletesOnlyTheOldestArchivesOfTheDatedName) {
  for (const char* name : {"Orvo-Profile-2020-01-01-000000.7z", "Orvo-Profile-2020-01-02-000000.7z",
                           "Orvo-Profile-2020-01-03-000000.7z", "Orvo-Profile-2020-01-04-000000.7z",
                           "Other-Profile-2019-01-01-000000.7z", "Orvo-Profile-2019-01-01-000000.7z.partial",
                           "Orvo-Profile-2019-1-01-000000.7z", "target"})
    Dir.Write(std::string("backups/") + name, name);
  Dir.MakeDirectory("backups/Orvo-Profile-2018-01-01-000000.7z");
  fs::create_symlink(Dir.Host("backups/target"), Dir.Host("backups/Orvo-Profile-2017-01-01-000000.7z"));
  const TRun run = Run({"backup", "--to", Dir.Host("backups"), "--keep", "3", "--strength", "FAST"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  auto names = Backups();
  ASSERT_EQ(names.size(), 9u);
  const auto written = std::find_if(names.begin(), names.end(), [](const std::string& name) {
    return IsDatedArchiveName(W(name)) && name > "Orvo-Profile-2021";
  });
  ASSERT_NE(written, names.end());
  names.erase(written);
  EXPECT_EQ(names, (std::vector<std::string>{"Orvo-Profile-2017-01-01-000000.7z", "Orvo-Profile-2018-01-01-000000.7z",
                                             "Orvo-Profile-2019-01-01-000000.7z.partial",
                                             "Orvo-Profile-2019-1-01-000000.7z", "Orvo-Profile-2020-01-03-000000.7z",
                                             "Orvo-Profile-2020-01-04-000000.7z", "Other-Profile-2019-01-01-000000.7z",
                                             "target"}));
}

TEST_F(CommandLine, AFailedBackupDeletesNothing) {
  Dir.Write("backups/Orvo-Profile-2020-01-01-000000.7z", "old");
  Dir.Write("backups/Orvo-Profile-2020-01-02-000000.7z", "old");
  fs::remove_all(Dir.Host("tool/Profile"));
  Dir.MakeDirectory("tool/Profile");
  const TRun run = Run({"backup", "--to", Dir.Host("backups"), "--keep", "1"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(Backups(), (std::vector<std::string>{"Orvo-Profile-2020-01-01-000000.7z", "Orvo-Profile-2020-01-02-000000.7z"}));
}

TEST_F(CommandLine, ARestoreOfAn7zArchiveGivesWhat7zExtractGives) {
  RunCommand("cd '" + Dir.Host("tool/Profile") + "' && 7z a -m0=lzma2 -mx=9 '" + Dir.Host("peer.7z") + "' .");
  RunCommand("7z x -o'" + Dir.Host("peer") + "' '" + Dir.Host("peer.7z") + "'");
  fs::remove_all(Dir.Host("tool/Profile"));
  Dir.MakeDirectory("tool/Profile");
  Dir.Write("tool/Profile/stale", "goes");
  // Options may follow the operand as well as precede it.
  const TRun run = Run({"restore", Dir.Host("peer.7z")});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile")), DescribeTree(Dir.Host("peer")));
}

TEST_F(CommandLine, ADamagedArchiveFailsTestAndListWithTheWindowsWords) {
  ASSERT_EQ(Run({"backup", "--to", Dir.Host("whole.7z")}).Status, 0);
  const std::string whole = Dir.Read("whole.7z");
  Dir.Write("cut.7z", whole.substr(0, whole.size() / 2));
  const TRun test = Run({"test", Dir.Host("cut.7z")});
  EXPECT_EQ(test.Status, 1);
  EXPECT_NE(test.Err.find("OrvoTool: "), std::string::npos);
  EXPECT_NE(test.Err.find(Dir.Host("cut.7z")), std::string::npos) << test.Err;
  const TRun list = Run({"list", Dir.Host("cut.7z")});
  EXPECT_EQ(list.Status, 1);
  EXPECT_NE(list.Err.find(Dir.Host("cut.7z")), std::string::npos) << list.Err;
  EXPECT_EQ(Run({"restore", Dir.Host("missing.7z")}).Err,
            "OrvoTool: The backup file " + Dir.Host("missing.7z") + " was not found.\nThe profile was left as it was.\n");
}

TEST_F(CommandLine, WrongUsageExitsTwoAndChangesNothing) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"bogus"}, {"restore"}, {"restore", "a.7z", "b.7z"}, {"backup", "--keep", "0"},
        {"backup", "--strength", "ULTRA"}, {"backup", "--to", Dir.Host("x.7z"), "--keep", "2"}, {"list", "--to", "x"}}) {
    const TRun run = Run(arguments);
    EXPECT_EQ(run.Status, 2) << arguments[0];
    EXPECT_NE(run.Err.find("Try 'OrvoTool --help'."), std::string::npos);
  }
  const TRun help = RunBare({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out.rfind("Usage: OrvoTool", 0), 0u);
  EXPECT_EQ(RunBare({"--version"}).Out.rfind("OrvoTool (Orvo Config & Backup Tool) ", 0), 0u);
  EXPECT_FALSE(fs::exists(Dir.Host("tool/.orvo-job-lock")));
}

TEST_F(CommandLine, AJobOfAnotherProcessIsRefusedAndAKilledJobReleasesTheLock) {
  {
    const TProfileLock held(Dir.System("tool") + u"\\");
    ASSERT_TRUE(held.Held());
    const TRun run = Run({"restore", Dir.Host("x.7z")});
    EXPECT_EQ(run.Status, 4);
    EXPECT_EQ(run.Err, "OrvoTool: Another backup or restore of this profile is running. Nothing was changed.\n");
  }
  Dir.Write("tool/Profile/big", IncompressibleData(64 << 20, 1));
  const pid_t job = Start({"--tool-dir", Dir.Host("tool"), "backup", "--to", Dir.Host("backups"), "--strength", "NORMAL"},
                          Dir.Host("out"), Dir.Host("err"));
  bool held = false;
  for (int i = 0; i < 500 && !(held = TProfileLock::HeldByAJob(Dir.System("tool") + u"\\")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(job, SIGKILL);
  waitpid(job, nullptr, 0);
  EXPECT_TRUE(held);
  EXPECT_FALSE(TProfileLock::HeldByAJob(Dir.System("tool") + u"\\"));
}

TEST_F(CommandLine, RecoveryThatKeepsCopiesExitsFive) {
  Dir.MakeDirectory("tool/Profile.orvo-old");
  Dir.Write("tool/Profile.orvo-old/Bookmarks", "old");
  const TRun run = Run({"backup", "--to", Dir.Host("backups")});
  EXPECT_EQ(run.Status, 5) << run.Err;
  EXPECT_NE(run.Err.find("Profile.orvo-old"), std::string::npos) << run.Err;
  EXPECT_TRUE(Backups().empty());
}

TEST_F(CommandLine, ProgressIsALineRedrawnOnATerminalAndTenStepsThroughAPipe) {
  Dir.Write("tool/Profile/big", IncompressibleData(8 << 20, 2));
  const TRun piped = Run({"backup", "--to", Dir.Host("backups")});
  std::string steps;
  for (const std::string step : {"Backing up", "Verifying"})
    for (int tenth = 1; tenth <= 10; ++tenth) steps += step + ": " + std::to_string(tenth * 10) + "%\n";
  EXPECT_EQ(piped.Err, steps + "OrvoTool: Backup complete (verified): " + Dir.Host("backups/") + Backups().at(0) + "\n");
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    const std::string tool = Dir.Host("tool"), to = Dir.Host("backups");
    execl(ORVO_TOOL, ORVO_TOOL, "--tool-dir", tool.c_str(), "backup", "--to", to.c_str(), nullptr);
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<std::size_t>(n));
  int status = 0;
  waitpid(child, &status, 0);
  close(terminal);
  EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
  EXPECT_EQ(shown.rfind("\rBacking up: ", 0), 0u) << shown;
  EXPECT_NE(shown.find("Backing up: 100%  "), std::string::npos) << shown;
  EXPECT_NE(shown.find(" of "), std::string::npos);
  EXPECT_EQ(shown.find("Backing up: 10%\r\n"), std::string::npos);
  EXPECT_EQ(shown.back(), '\n');
}

TEST_F(CommandLine, TheScheduleIsAUserTimerWhoseServiceMakesADatedBackup) {
  setenv("XDG_CONFIG_HOME", Dir.Host("config").c_str(), 1);
  Dir.MakeDirectory("run");
  chmod(Dir.Host("run").c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", Dir.Host("run").c_str(), 1);
  fs::copy_file(ORVO_TOOL, Dir.Host("tool/OrvoTool"));
  fs::create_symlink(fs::read_symlink(fs::path(ORVO_TOOL).parent_path() / "7za.dll"), Dir.Host("tool/7za.dll"));
  const WideString tool = Dir.System("tool") + u"\\";
  const WideString unit = ScheduleUnitName(tool);
  const std::string units = Dir.Host("config/systemd/user/") + std::string(unit.begin(), unit.end());
  for (const TScheduleFrequency frequency : {TScheduleFrequency::Weekly, TScheduleFrequency::Daily}) {
    const TScheduleOutcome outcome = SaveSchedule(tool, {frequency, Dir.System("backups"), 2, TCompressStrength::FAST});
    EXPECT_TRUE(outcome.Saved) << std::string(outcome.Message.begin(), outcome.Message.end());
    EXPECT_EQ(RunCommand("systemd-analyze --user verify '" + units + ".timer' '" + units + ".service'"), "");
    const TBackupSchedule read = ReadSchedule(tool);
    EXPECT_EQ(read.Frequency, frequency);
    EXPECT_EQ(read.Folder, Dir.System("backups"));
    EXPECT_EQ(read.Keep, 2);
    EXPECT_EQ(read.Strength, TCompressStrength::FAST);
  }
  EXPECT_NE(ReadFile(units + ".timer").find("OnCalendar=daily\nPersistent=true\n"), std::string::npos);
  const std::string service = ReadFile(units + ".service");
  const std::size_t start = service.find("ExecStart=") + 10;
  const std::string command = service.substr(start, service.find('\n', start) - start);
  const std::string said = RunCommand("sh -c '" + std::regex_replace(command, std::regex("'"), "'\\''") + "'; echo $?");
  EXPECT_TRUE(said.ends_with("\n0\n") || said == "0\n") << said;
  ASSERT_EQ(Backups().size(), 1u);
  EXPECT_TRUE(IsDatedArchiveName(W(Backups()[0])));
  EXPECT_TRUE(SaveSchedule(tool, {}).Saved);
  EXPECT_FALSE(fs::exists(units + ".timer"));
  EXPECT_FALSE(fs::exists(units + ".service"));
  EXPECT_EQ(ReadSchedule(tool).Frequency, TScheduleFrequency::Off);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(CommandLine, AFailedScheduledBackupIsRecordedAndNotifiedOnTheDesktop) {
  // A session bus of the test's own, with a notification server on it.
  const std::string script = std::string("'") + NOTIFICATION_SERVER + "' '" + Dir.Host("shown") + "' 10 & sleep 0.5; '" +
                             ORVO_TOOL + "' --tool-dir '" + Dir.Host("tool") + "' backup --to '" +
                             Dir.Host("nowhere/x.7z") + "' --scheduled; echo $? > '" + Dir.Host("status") + "'; kill $!";
  RunCommand("dbus-run-session -- sh -c \"" + std::regex_replace(script, std::regex("[\"$\\\\]"), "\\$&") + "\"");
  EXPECT_EQ(Dir.Read("status"), "1\n");
  EXPECT_EQ(Dir.Read("shown"),
            "Automatic backup failed\nThe folder " + Dir.Host("nowhere") + "/ does not exist. Nothing was written.\n");
  const std::string log = Dir.Read("tool/orvo-backups.log");
  EXPECT_NE(log.find("\tfailed\tscheduled\t" + Dir.Host("nowhere") + "/x.7z\tThe folder "), std::string::npos) << log;
}

TEST_F(CommandLine, APasswordFromStandardInputEncryptsAndOpensABackup) {
  const auto tree = DescribeTree(Dir.Host("tool/Profile"));
  const mode_t mask = umask(022);
  const TRun backup = Run({"backup", "--password-stdin", "--with-caches", "--to", Dir.Host("backups/p.7z"), "--strength", "FAST"},
                          "tr\u00e4ume s\u00fc\u00df\n");
  umask(mask);
  ASSERT_EQ(backup.Status, 0) << backup.Err;
  EXPECT_TRUE(backup.Err.ends_with("OrvoTool: Backup complete (verified, encrypted): " + Dir.Host("backups/p.7z") + "\n"));
  struct stat st {};
  stat(Dir.Host("backups/p.7z").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(RunCommand("7z l -p '" + Dir.Host("backups/p.7z") + "' | grep -c Bookmarks"), "0\n");
  EXPECT_EQ(Run({"list", Dir.Host("backups/p.7z")}).Err,
            "OrvoTool: The backup " + Dir.Host("backups/p.7z") + " is protected by a password. Nothing was changed.\n");
  const TRun wrong = Run({"test", "--password-stdin", Dir.Host("backups/p.7z")}, "traume\n");
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_EQ(wrong.Err, "OrvoTool: The password is wrong. Nothing was changed.\n");
  EXPECT_EQ(Run({"test", "--password-stdin", Dir.Host("backups/p.7z")}, "").Err,
            "OrvoTool: No password was read from standard input.\n");
  EXPECT_EQ(Run({"test", "--password-stdin", Dir.Host("backups/p.7z")}, "tr\u00e4ume s\u00fc\u00df\r\n").Status, 0);
  fs::remove_all(Dir.Host("tool/Profile"));
  const TRun restore = Run({"restore", Dir.Host("backups/p.7z"), "--password-stdin"}, "tr\u00e4ume s\u00fc\u00df\n");
  EXPECT_EQ(restore.Status, 0) << restore.Err;
  EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile")), tree);
  EXPECT_EQ(Run({"backup", "--password-stdin", "--password-from-keyring"}).Status, 2);
}

TEST_F(CommandLine, APasswordFromTheKeyringOrNoneWhenNoKeyringAnswers) {
  // No session bus, not even the user's own at its usual place.
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  Dir.MakeDirectory("no-bus");
  setenv("XDG_RUNTIME_DIR", Dir.Host("no-bus").c_str(), 1);
  const TRun none = Run({"backup", "--password-from-keyring", "--to", Dir.Host("backups/k.7z")});
  EXPECT_EQ(none.Status, 1);
  EXPECT_NE(none.Err.find("keyring"), std::string::npos) << none.Err;
  EXPECT_TRUE(none.Err.ends_with(" Nothing was written.\n")) << none.Err;
  EXPECT_FALSE(fs::exists(Dir.Host("backups/k.7z")));

  const TKeyringSession keyring(Dir.Host("keyring"));
  ASSERT_TRUE(keyring.Answers());
  const TRun empty = Run({"backup", "--password-from-keyring", "--to", Dir.Host("backups/k.7z")});
  EXPECT_EQ(empty.Status, 1);
  EXPECT_NE(empty.Err.find("holds no password"), std::string::npos) << empty.Err;
  WideString problem;
  ASSERT_TRUE(RememberPassword(Dir.System("tool") + u"\\", u"kept in the keyring", problem));
  const TRun kept = Run({"backup", "--password-from-keyring", "--to", Dir.Host("backups/k.7z")});
  EXPECT_EQ(kept.Status, 0) << kept.Err;
  EXPECT_EQ(RunCommand("7z t -p'kept in the keyring' '" + Dir.Host("backups/k.7z") + "' | grep -c 'Everything is Ok'"), "1\n");
  EXPECT_EQ(Run({"list", "--password-from-keyring", Dir.Host("backups/k.7z")}).Status, 0);
  EXPECT_EQ(RunCommand("grep -rl 'kept in the keyring' '" + Dir.Host("tool") + "' '" + Dir.Host("backups") + "'"), "");
}

TEST_F(CommandLine, RestoreIntoAFolderLeavesTheProfile) {
  ASSERT_EQ(Run({"backup", "--with-caches", "--to", Dir.Host("backups/b.7z")}).Status, 0);
  const auto profile = DescribeTree(Dir.Host("tool/Profile"));
  Dir.MakeDirectory("into");
  const TRun into = Run({"restore", "--into", Dir.Host("into"), Dir.Host("backups/b.7z")});
  EXPECT_EQ(into.Status, 0) << into.Err;
  EXPECT_NE(into.Err.find("OrvoTool: Restore complete: " + Dir.Host("into") + "\n"), std::string::npos) << into.Err;
  EXPECT_EQ(DescribeTree(Dir.Host("into")), profile);
  const TRun again = Run({"restore", Dir.Host("backups/b.7z"), "--into", Dir.Host("into")});
  EXPECT_EQ(again.Status, 1);
  EXPECT_NE(again.Err.find("is not empty"), std::string::npos) << again.Err;
  EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile")), profile);
}

TEST_F(CommandLine, UndoRestorePutsBackTheProfileTheRestoreReplaced) {
  const auto before = DescribeTree(Dir.Host("tool/Profile"), true);
  const TRun none = Run({"undo-restore"});
  EXPECT_EQ(none.Status, 1);
  EXPECT_EQ(none.Err, "OrvoTool: No profile is kept from before a restore. Nothing was changed.\n");
  Dir.MakeDirectory("other");
  Dir.Write("other/Local State", "{}");
  RunCommand("cd '" + Dir.Host("other") + "' && 7z a '" + Dir.Host("other.7z") + "' .");
  const TRun restore = Run({"restore", Dir.Host("other.7z")});
  ASSERT_EQ(restore.Status, 0) << restore.Err;
  EXPECT_EQ(Dir.Read("tool/Profile/Local State"), "{}");
  // The user is told the restore is done and where the replaced profile went.
  EXPECT_NE(restore.Err.find("OrvoTool: Restore complete: " + Dir.Host("tool/Profile") +
                             ". The profile it replaced is kept as " + Dir.Host("tool/Profile.before-restore-")),
            std::string::npos)
      << restore.Err;
  EXPECT_NE(restore.Err.find("OrvoTool undo-restore puts it back."), std::string::npos) << restore.Err;
  const TRun undo = Run({"undo-restore"});
  EXPECT_EQ(undo.Status, 0) << undo.Err;
  EXPECT_NE(undo.Err.find("is back. The one it replaced is kept as "), std::string::npos) << undo.Err;
  EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile"), true), before);
  EXPECT_EQ(Run({"undo-restore", "x"}).Status, 2);
}

// Backups to real rclone servers on 127.0.0.1 and back.
TEST_F(CommandLine, BackupsGoToWebdavAndSftpRemotesRotateThereAndComeBack) {
  for (const std::string kind : {"webdav", "sftp"}) {
    SCOPED_TRACE(kind);
    const std::string served = "served-" + kind, remote = "orvo" + kind + ":backups";
    Dir.MakeDirectory(served);
    Dir.MakeDirectory(served + "/backups");
    // In place before the server starts, which caches its listing.
    for (const char* other : {"Orvo-Profile-2020-01-01-000000.7z", "Orvo-Profile-2020-01-02-000000.7z",
                              "Orvo-Profile-mine.7z", "notes.txt"})
      Dir.Write(served + "/backups/" + other, "older");
    TRcloneServer server(kind, "orvo" + kind, Dir.Host(served), Dir.Host(""));
    const TRun first = Run({"backup", "--to", remote, "--keep-local"});
    ASSERT_EQ(first.Status, 0) << first.Err;
    const std::string name = first.Err.substr(first.Err.rfind('/') + 1, 33);
    ASSERT_TRUE(IsDatedArchiveName(std::u16string(name.begin(), name.end()))) << first.Err;
    EXPECT_EQ(Dir.Read(served + "/backups/" + name), Dir.Read("tool/Remote.orvo-work/" + name));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const TRun second = Run({"backup", "--to", remote, "--keep", "2"});
    ASSERT_EQ(second.Status, 0) << second.Err;
    EXPECT_EQ(RunCommand("ls '" + Dir.Host(served + "/backups") + "' | grep -c 2020-; ls '" + Dir.Host(served + "/backups") +
                         "' | wc -l"),
              "0\n4\n");
    EXPECT_EQ(RunCommand("ls '" + Dir.Host("tool/Remote.orvo-work") + "' | grep -c -e download- -e " + name), "1\n");
    const TRun listed = Run({"list-backups", remote});
    EXPECT_EQ(std::count(listed.Out.begin(), listed.Out.end(), '\n'), 2) << listed.Out;
    RunCommand("7z x -o'" + Dir.Host("by7z-" + kind) + "' '" + Dir.Host(served + "/backups/" + name) + "'");
    Dir.Write("tool/Profile/Local State", "changed");
    const TRun restore = Run({"restore", remote + "/" + name});
    EXPECT_EQ(restore.Status, 0) << restore.Err;
    EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile")), DescribeTree(Dir.Host("by7z-" + kind)));
    EXPECT_EQ(RunCommand("ls '" + Dir.Host("tool/Remote.orvo-work") + "' | grep -c -e download- -e " + name), "1\n");
  }
}

TEST_F(CommandLine, ACutOrRefusedTransferLeavesNoFinalNameAndLosesNothing) {
  Dir.Write("tool/Profile/Default/Media", IncompressibleData(12 << 20, 3));
  // Slow enough to be cut half-way; one try, so that a dead server fails at once.
  setenv("RCLONE_BWLIMIT", "4M", 1);
  setenv("RCLONE_RETRIES", "1", 1);
  setenv("RCLONE_LOW_LEVEL_RETRIES", "1", 1);
  Dir.MakeDirectory("served");
  const auto finals = [&] { return RunCommand("ls '" + Dir.Host("served/b") + "' 2>/dev/null | grep -c '7z$'"); };
  const auto waitFor = [&](const std::string& command) {
    for (int tries = 0; tries < 200 && RunCommand(command).empty(); ++tries)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  };
  {
    TRcloneServer server("webdav", "orvocut", Dir.Host("served"), Dir.Host(""));
    const pid_t tool = Start({"--tool-dir", Dir.Host("tool"), "backup", "--to", "orvocut:b"}, Dir.Host("out"), Dir.Host("err"));
    waitFor("find '" + Dir.Host("served") + "' -name '*partial' -size +5M");
    server.Stop();
    int status = 0;
    waitpid(tool, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = Dir.Read("err");
    EXPECT_NE(err.find("The upload to orvocut:b failed: "), std::string::npos) << err;
    EXPECT_NE(err.find("The backup is kept here: "), std::string::npos) << err;
    // The upload's progress comes from rclone's statistics.
    EXPECT_NE(err.find("Uploading: 10%"), std::string::npos) << err;
    EXPECT_EQ(finals(), "0\n");
    EXPECT_EQ(RunCommand("ls '" + Dir.Host("tool/Remote.orvo-work") + "' | grep -c '7z$'"), "1\n");
  }
  {
    TRcloneServer refusing("webdav", "orvoro", Dir.Host("served"), Dir.Host(""), true);
    const TRun refused = Run({"backup", "--to", "orvoro:b"});
    EXPECT_EQ(refused.Status, 1);
    EXPECT_NE(refused.Err.find("orvoro:b"), std::string::npos) << refused.Err;
    EXPECT_EQ(finals(), "0\n");
  }
  RunCommand("mv '" + Dir.Host("tool/Remote.orvo-work") + "'/*.7z '" + Dir.Host("served/b/Orvo-Profile-2026-01-01-000000.7z") + "'");
  const auto profile = DescribeTree(Dir.Host("tool/Profile"));
  TRcloneServer server("webdav", "orvocut", Dir.Host("served"), Dir.Host(""));
  const pid_t tool = Start({"--tool-dir", Dir.Host("tool"), "restore", "orvocut:b/Orvo-Profile-2026-01-01-000000.7z"},
                           Dir.Host("out"), Dir.Host("err"));
  waitFor("find '" + Dir.Host("tool/Remote.orvo-work") + "' -name '*.7z*' -size +1k");
  server.Stop();
  int status = 0;
  waitpid(tool, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(Dir.Read("err").find("The download of orvocut:b/"), std::string::npos) << Dir.Read("err");
  EXPECT_EQ(DescribeTree(Dir.Host("tool/Profile")), profile);
  for (const char* variable : {"RCLONE_BWLIMIT", "RCLONE_RETRIES", "RCLONE_LOW_LEVEL_RETRIES"}) unsetenv(variable);
}
