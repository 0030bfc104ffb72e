// The Backup page's schedule: saved as the user's systemd units, shown again
// when the window opens, and a failed scheduled backup shown until a backup
// succeeds.
#include <sys/stat.h>

#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "profile/BackupLog.h"
#include "profile/BackupSchedule.h"
#include "tests/ArchiveFixtures.h"
#include "tests/KeyringSession.h"
#include "tests/app/FormFixture.h"

namespace {

class Schedule : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    // No service manager of the user's is reached: the units stay in the test's folder.
    Dir.MakeDirectory("config");
    Dir.MakeDirectory("run");
    setenv("XDG_CONFIG_HOME", Dir.Host("config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", Dir.Host("run").c_str(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    Dir.MakeDirectory("backups");
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_RUNTIME_DIR");
  }
  // Saves a schedule into backups/ with a password on the Backup page.
  void SaveProtected(const char* password, int frequency) {
    Form->PasswordPanel->ProtectBox->setChecked(true);
    Form->PasswordPanel->PasswordEdit->setText(password);
    Form->PasswordPanel->ConfirmEdit->setText(password);
    Form->SchedulePanel->FrequencyBox->setCurrentIndex(frequency);
    Form->SchedulePanel->FolderEdit->setText(QString::fromStdString(Dir.Host("backups")));
    Press(Form->SchedulePanel->SaveButton);
  }
  std::string Units() const {
    const WideString name = ScheduleUnitName(ToolDirectory());
    return Dir.Host("config/systemd/user/") + std::string(name.begin(), name.end());
  }
};

}  // namespace

TEST_F(Schedule, SavedDailyItIsShownAgainAndOffRemovesIt) {
  ShowForm();
  TSchedulePanel& panel = *Form->SchedulePanel;
  EXPECT_EQ(panel.FrequencyBox->currentText(), "Off");
  EXPECT_EQ(panel.KeepBox->value(), 7);
  panel.FrequencyBox->setCurrentIndex(1);
  panel.FolderEdit->setText(QString::fromStdString(Dir.Host("backups")));
  panel.KeepBox->setValue(3);
  Form->ComboBox1->setCurrentIndex(1);
  Press(panel.SaveButton);
  ASSERT_EQ(UI.Boxes.size(), 1u);
  // Without a service manager the box says how to start the timer.
  EXPECT_NE(LastBoxText().find("systemctl --user enable --now orvo-backup-"), std::string::npos) << LastBoxText();
  EXPECT_TRUE(std::filesystem::exists(Units() + ".timer"));

  Form.reset();
  ShowForm();
  EXPECT_EQ(Form->SchedulePanel->FrequencyBox->currentText(), "Daily");
  EXPECT_EQ(Form->SchedulePanel->FolderEdit->text().toStdString(), Dir.Host("backups"));
  EXPECT_EQ(Form->SchedulePanel->KeepBox->value(), 3);
  EXPECT_EQ(Form->ComboBox1->currentText(), "FAST");
  EXPECT_EQ(Form->SchedulePanel->LastLabel->text(), "No automatic backup has run yet.");

  Form->SchedulePanel->FrequencyBox->setCurrentIndex(0);
  Press(Form->SchedulePanel->SaveButton);
  EXPECT_EQ(LastBoxText(), "Automatic backups are off.");
  EXPECT_FALSE(std::filesystem::exists(Units() + ".timer"));
  EXPECT_FALSE(std::filesystem::exists(Units() + ".service"));
}

TEST_F(Schedule, AMissingFolderIsRefused) {
  ShowForm();
  Form->SchedulePanel->FrequencyBox->setCurrentIndex(2);
  Form->SchedulePanel->FolderEdit->setText(QString::fromStdString(Dir.Host("nowhere")));
  Press(Form->SchedulePanel->SaveButton);
  EXPECT_EQ(UI.Boxes.back().Text, u"The folder " + Dir.System("nowhere") + u" does not exist. Nothing was saved.");
  EXPECT_FALSE(std::filesystem::exists(Units() + ".timer"));
}

// An rclone remote is taken as it stands: the unit backs up to it and the window shows it again.
TEST_F(Schedule, ARemoteFolderIsSavedAsItStands) {
  ShowForm();
  Form->SchedulePanel->FrequencyBox->setCurrentIndex(1);
  Form->SchedulePanel->FolderEdit->setText("nas:orvo/daily");
  Press(Form->SchedulePanel->SaveButton);
  EXPECT_NE(Dir.Read("config/systemd/user/" + Units().substr(Units().rfind('/') + 1) + ".service").find("nas:orvo/daily"),
            std::string::npos);
  Form.reset();
  ShowForm();
  EXPECT_EQ(Form->SchedulePanel->FolderEdit->text(), "nas:orvo/daily");
}

TEST_F(Schedule, AFailedScheduledBackupIsShownUntilABackupSucceeds) {
  MakeSampleTree(Dir, "Profile");
  RecordBackup(ToolDirectory(), {u"2026-12-01 03:00:00", false, true, Dir.System("backups/x.7z"), u"The disk is full."});
  ShowForm();
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(LastBoxText(), "The automatic backup of 2026-12-01 03:00:00 failed:\r\nThe disk is full.");
  EXPECT_EQ(Form->SchedulePanel->LastLabel->text().toStdString(),
            "Last automatic backup: 2026-12-01 03:00:00, x.7z, failed: The disk is full.");
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Type(Form->BackupFileDir, Dir.Host("backups/hand.7z"));
  Press(Form->BitBtn1);
  EXPECT_EQ(LastBoxText(), "Backup complete! (verified)");
  Form.reset();
  UI.Boxes.clear();
  ShowForm();
  EXPECT_TRUE(UI.Boxes.empty());
}

TEST_F(Schedule, AnEncryptedScheduleKeepsItsPasswordInTheKeyringAndNowhereElse) {
  MakeSampleTree(Dir, "Profile");
  const TKeyringSession keyring(Dir.Host("keyring"));
  ASSERT_TRUE(keyring.Answers());
  // The service manager's command lines are recorded on their way.
  Dir.Write("called", "");
  Dir.MakeDirectory("bin");
  Dir.Write("bin/systemctl", "#!/bin/sh\necho \"$@\" >> '" + Dir.Host("called") + "'\nexec /usr/bin/systemctl \"$@\"\n");
  chmod(Dir.Host("bin/systemctl").c_str(), 0755);
  const std::string path = std::getenv("PATH");
  setenv("PATH", (Dir.Host("bin") + ":" + path).c_str(), 1);
  ShowForm();
  UI.BoxAnswers = {IDYES, IDOK};
  SaveProtected("only in the keyring", 1);
  setenv("PATH", path.c_str(), 1);
  ASSERT_GE(UI.Boxes.size(), 2u) << LastBoxText();
  EXPECT_EQ(UI.Boxes[0].Text, u"Remember it in the keyring for automatic backups? They are then encrypted with it.");
  EXPECT_TRUE(ReadSchedule(ToolDirectory()).Encrypted) << LastBoxText();
  EXPECT_NE(RunCommand("cat '" + Units() + ".service'").find(" \"--scheduled\" \"--password-from-keyring\"\n"),
            std::string::npos);
  // The service's command, as the manager runs it.
  const std::string ran = RunCommand(std::string("'") + ORVO_TOOL + "' --tool-dir '" + Dir.Host("") + "' backup --to '" +
                                     Dir.Host("backups") + "' --scheduled --password-from-keyring 2>&1; echo $?");
  ASSERT_TRUE(ran.ends_with("\n0\n")) << ran;
  EXPECT_EQ(RunCommand("7z t -p'only in the keyring' '" + Dir.Host("backups") + "'/*.7z | grep -c 'Everything is Ok'"),
            "1\n");
  EXPECT_EQ(RunCommand("grep -rl 'only in the keyring' '" + Dir.Host("config") + "' '" + Dir.Host("Profile") + "' '" +
                       Dir.Host("backups") + "' '" + Dir.Host("orvo-backups.log") + "' '" + Dir.Host("called") + "'"),
            "");
}

TEST_F(Schedule, WithoutAKeyringAnEncryptedScheduleIsNotSaved) {
  ShowForm();
  UI.BoxAnswers = {IDYES};
  SaveProtected("nowhere to keep it", 2);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("cannot be encrypted: the password is kept nowhere else. The schedule was not saved."),
            std::string::npos) << LastBoxText();
  EXPECT_FALSE(std::filesystem::exists(Units() + ".service"));
  Form->PasswordPanel->ConfirmEdit->setText("nowhere to keep");
  Press(Form->SchedulePanel->SaveButton);
  EXPECT_EQ(LastBoxText(), "The two passwords differ. Nothing was written.");
}
