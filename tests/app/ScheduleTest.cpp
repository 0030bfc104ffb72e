// The Backup page's schedule: saved as the user's systemd units, shown again
// when the window opens, and a failed scheduled backup shown until a backup
// succeeds.
#include <QTest>
#include <filesystem>

#include "profile/BackupLog.h"
#include "profile/BackupSchedule.h"
#include "tests/ArchiveFixtures.h"
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
