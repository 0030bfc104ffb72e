// One profile job at a time, and closing the window while one runs.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>

#include "profile/ProfileLock.h"

#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"

namespace {

class OneJob : public FormFixture {
 protected:
  // A profile whose backup and restore report progress many times.
  void MakeBusyProfile(const std::string& root) {
    MakeSampleTree(Dir, root);
    for (int i = 0; i < 150; ++i)
      Dir.Write(root + "/Default/Cache/Cache_Data/f_" + std::to_string(i), CompressibleData(20000, i));
  }
  void StartBackup(const std::string& archive, int strength = 1) {
    Form->PageControl1->setCurrentWidget(Form->TabSheet2);
    Form->ComboBox1->setCurrentIndex(strength);
    Type(Form->BackupFileDir, Dir.Host(archive));
    Press(Form->BitBtn1);
  }
  void StartRestore(const std::string& archive) {
    Form->PageControl1->setCurrentWidget(Form->TabSheet5);
    UI.BoxAnswers.push_back(IDYES);
    Type(Form->RestoreFileName, Dir.Host(archive));
    Press(Form->BitBtn2);
  }
  // Runs action once, inside the first progress event of a component.
  void AtFirstProgress(TSevenZip& zip, std::function<void()> action) {
    const T7zProgressEvent window = zip.OnProgress;
    zip.OnProgress = [window, action, done = false](TSevenZip* sender, const WideString& file, Int64 arc,
                                                    Int64 pos) mutable {
      window(sender, file, arc, pos);
      if (std::exchange(done, true)) return;
      action();
    };
  }
  std::vector<WideString> BoxTexts() const {
    std::vector<WideString> texts;
    for (const TShownBox& box : UI.Boxes) texts.push_back(box.Text);
    return texts;
  }
  // Every button that touches the profile or starts the browser.
  std::vector<QPushButton*> ProfileButtons() const {
    return {Form->BitBtn1, Form->BitBtn2, Form->Button3, Form->Button5, Form->Button1, Form->DefaultBrowserButton};
  }
};

}  // namespace

TEST_F(OneJob, NoOtherProfileJobStartsInsideARestore) {
  MakeBusyProfile("Profile");
  const auto lone = DescribeTree(Dir.Host("Profile"));
  RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -mx=1 '" + Dir.Host("peer.7z") + "' .");
  std::filesystem::remove_all(Dir.Host("Profile/Default"));
  ShowForm();
  std::vector<bool> enabled;
  AtFirstProgress(*Form->SevenZip2, [&] {
    for (QPushButton* button : ProfileButtons()) enabled.push_back(button->isEnabled());
    Type(Form->BackupFileDir, Dir.Host("nested.7z"));
    UI.BoxAnswers.assign({IDYES, IDYES});
    for (QPushButton* button : {Form->BitBtn1, Form->Button3, Form->Button5}) Press(button);
  });
  StartRestore("peer.7z");
  EXPECT_EQ(enabled, std::vector<bool>(6, false));
  EXPECT_EQ(BoxTexts(), (std::vector<WideString>{u"Any existing profile data will be overwritten. Continue?",
                                                  u"Restore process is complete!"}));
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), lone);
  EXPECT_FALSE(Dir.Exists("nested.7z"));
  for (QPushButton* button : {Form->BitBtn1, Form->BitBtn2, Form->Button3, Form->Button5}) EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(Form->BitBtn2->text(), "Start Restore");
}

TEST_F(OneJob, NoRestoreStartsInsideABackup) {
  MakeBusyProfile("Profile");
  const auto lone = DescribeTree(Dir.Host("Profile"));
  RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -mx=1 '" + Dir.Host("peer.7z") + "' .");
  ShowForm();
  bool restoreEnabled = true;
  AtFirstProgress(*Form->SevenZip1, [&] {
    restoreEnabled = Form->BitBtn2->isEnabled();
    UI.BoxAnswers.push_back(IDYES);
    Type(Form->RestoreFileName, Dir.Host("peer.7z"));
    Press(Form->BitBtn2);
  });
  StartBackup("ours.7z");
  EXPECT_FALSE(restoreEnabled);
  EXPECT_EQ(BoxTexts(), std::vector<WideString>{u"Backup complete! (verified)"});
  EXPECT_EQ(Form->BitBtn1->text(), "Start Backup");
  RunCommand("7z x -o'" + Dir.Host("check") + "' '" + Dir.Host("ours.7z") + "'");
  EXPECT_EQ(DescribeTree(Dir.Host("check")), lone);
}

TEST_F(OneJob, ClosingDuringABackupAsksAndStopsWithTheOldArchiveKept) {
  MakeBusyProfile("Profile");
  Dir.Write("backup.7z", "the earlier backup");
  ShowForm();
  AtFirstProgress(*Form->SevenZip1, [&] {
    UI.BoxAnswers.push_back(IDYES);
    Form->close();
    EXPECT_TRUE(Form->isVisible());
  });
  StartBackup("backup.7z");
  ASSERT_EQ(UI.Boxes.size(), 2u);
  EXPECT_EQ(UI.Boxes[0].Type & 0x0F, MB_YESNO);
  EXPECT_NE(LastBoxText().find("stopped"), std::string::npos) << LastBoxText();
  EXPECT_EQ(Dir.Read("backup.7z"), "the earlier backup");
  EXPECT_FALSE(Dir.Exists("backup.7z.orvo-partial"));
  QApplication::processEvents();
  EXPECT_FALSE(Form->isVisible());
}

TEST_F(OneJob, ClosingDuringABackupAndGoingOnShowsItsBox) {
  MakeBusyProfile("Profile");
  ShowForm();
  AtFirstProgress(*Form->SevenZip1, [&] {
    UI.BoxAnswers.push_back(IDNO);
    Form->close();
  });
  StartBackup("backup.7z");
  EXPECT_EQ(UI.Boxes.size(), 2u);
  EXPECT_EQ(LastBoxText(), "Backup complete! (verified)");
  QApplication::processEvents();
  EXPECT_TRUE(Form->isVisible());
  EXPECT_TRUE(Dir.Exists("backup.7z"));
}

TEST_F(OneJob, ClosingDuringARestoreStopsWithTheProfileKeptOrGoesOn) {
  MakeBusyProfile("source");
  RunCommand("cd '" + Dir.Host("source") + "' && 7z a -mx=1 '" + Dir.Host("peer.7z") + "' .");
  Dir.Write("Profile/mine", "the profile in use");
  const auto before = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  AtFirstProgress(*Form->SevenZip2, [&] {
    UI.BoxAnswers.push_back(IDYES);
    Form->close();
  });
  StartRestore("peer.7z");
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("left as it was"), std::string::npos) << LastBoxText();
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  QApplication::processEvents();
  EXPECT_FALSE(Form->isVisible());

  UI.Boxes.clear();
  ShowForm();
  AtFirstProgress(*Form->SevenZip2, [&] {
    UI.BoxAnswers.push_back(IDNO);
    Form->close();
  });
  StartRestore("peer.7z");
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), DescribeTree(Dir.Host("source")));
  QApplication::processEvents();
  EXPECT_TRUE(Form->isVisible());
}

namespace {

// Runs the command line to its end: its exit status.
int RunCommandLine(const std::vector<std::string>& arguments) {
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv{const_cast<char*>(ORVO_TOOL)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    freopen("/dev/null", "w", stderr);
    execv(ORVO_TOOL, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_F(OneJob, ACommandLineJobDuringAWindowsRestoreIsRefusedAndTheRestoreIsWhole) {
  MakeBusyProfile("source");
  RunCommand("cd '" + Dir.Host("source") + "' && 7z a -mx=1 '" + Dir.Host("b.7z") + "' .");
  ShowForm();
  int commandLine = -1;
  AtFirstProgress(*Form->SevenZip2, [&] {
    commandLine = RunCommandLine({"--tool-dir", Dir.Host(""), "backup", "--to", Dir.Host("cli.7z")});
  });
  StartRestore("b.7z");
  EXPECT_EQ(commandLine, 4);
  EXPECT_FALSE(Dir.Exists("cli.7z"));
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), DescribeTree(Dir.Host("source")));
}

TEST_F(OneJob, AWindowsBackupDuringACommandLineRestoreIsRefusedAndTheRestoreIsWhole) {
  MakeBusyProfile("source");
  RunCommand("cd '" + Dir.Host("source") + "' && 7z a -mx=1 '" + Dir.Host("b.7z") + "' .");
  ShowForm();
  const pid_t restore = fork();
  if (restore == 0) {
    freopen("/dev/null", "w", stderr);
    execl(ORVO_TOOL, ORVO_TOOL, "--tool-dir", Dir.Host("").c_str(), "restore", Dir.Host("b.7z").c_str(), nullptr);
    _exit(127);
  }
  bool held = false;
  for (int i = 0; i < 500 && !(held = TProfileLock::HeldByAJob(ToolDirectory())); ++i) QTest::qWait(10);
  EXPECT_TRUE(held);
  // Held still while the window tries: the restore is mid-way, however fast.
  kill(restore, SIGSTOP);
  StartBackup("window.7z");
  kill(restore, SIGCONT);
  int status = 0;
  waitpid(restore, &status, 0);
  EXPECT_EQ(ToQString(UI.Boxes.back().Text).toStdString(), ToQString(AnotherJobRuns).toStdString());
  EXPECT_FALSE(Dir.Exists("window.7z"));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), DescribeTree(Dir.Host("source")));
}

TEST_F(OneJob, WhileAnotherProcessHoldsTheProfileTheWindowSaysSoAndStartsNothing) {
  MakeSampleTree(Dir, "Profile");
  ShowForm();
  {
    // Another process's job: flock(1) holds the lock as a job does.
    const pid_t other = fork();
    if (other == 0) {
      execlp("flock", "flock", "--close", Dir.Host(".orvo-job-lock").c_str(), "sleep", "30", nullptr);
      _exit(127);
    }
    for (int i = 0; i < 300 && !TProfileLock::HeldByAJob(ToolDirectory()); ++i) QTest::qWait(10);
    QTest::qWait(Form->OtherJobTimer->interval() + 200);
    EXPECT_TRUE(Form->OtherJobLabel->isVisible());
    for (QPushButton* button : ProfileButtons()) EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();
    Form->BitBtn1->setEnabled(true);
    StartBackup("x.7z");
    EXPECT_EQ(ToQString(UI.Boxes.back().Text).toStdString(), ToQString(AnotherJobRuns).toStdString());
    EXPECT_FALSE(Dir.Exists("x.7z"));
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
  }
  QTest::qWait(Form->OtherJobTimer->interval() + 200);
  EXPECT_FALSE(Form->OtherJobLabel->isVisible());
  EXPECT_TRUE(Form->BitBtn2->isEnabled());
}
