// The window's backups to, and restores from, a real rclone WebDAV server on
// 127.0.0.1; and the window where rclone is not installed.
#include <QListWidget>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "tests/ArchiveFixtures.h"
#include "tests/RcloneServer.h"
#include "tests/app/FormFixture.h"

namespace {

namespace fs = std::filesystem;

class RemoteWindow : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    MakeSampleTree(Dir, "Profile");
    Dir.MakeDirectory("served");
    Dir.MakeDirectory("scratch");
  }
};

}  // namespace

TEST_F(RemoteWindow, ABackupGoesToTheRemoteAndTheRestorePageBringsItBack) {
  const auto before = DescribeTree(Dir.Host("Profile"));
  TRcloneServer server("webdav", "orvowindow", Dir.Host("served"), Dir.Host("scratch"));
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  EXPECT_TRUE(Form->RemotePanel->isVisible());
  ASSERT_EQ(Form->RemotePanel->RemotesBox->count(), 2);
  EXPECT_EQ(Form->RemotePanel->RemotesBox->itemText(1), "orvowindow:");
  Form->RemotePanel->RemotesBox->activated(1);
  EXPECT_EQ(Form->BackupFileDir->Text(), u"orvowindow:Orvo-Backups");
  Form->RemotePanel->KeepHereBox->setChecked(true);
  Press(Form->BitBtn1);
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified, uploaded)");
  std::vector<std::string> sent;
  for (const auto& entry : fs::directory_iterator(Dir.Host("served/Orvo-Backups"))) sent.push_back(entry.path().filename());
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(Dir.Read("served/Orvo-Backups/" + sent[0]), Dir.Read("Remote.orvo-work/" + sent[0]));
  EXPECT_EQ(Form->ProgressBar1->value(), Form->ProgressBar1->maximum());

  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  ASSERT_GE(Form->BackupsList->count(), 1);
  QListWidgetItem* listed = Form->BackupsList->item(0);
  EXPECT_TRUE(listed->text().endsWith("(remote)")) << listed->text().toStdString();
  Form->BackupsList->itemClicked(listed);
  EXPECT_EQ(Form->RestoreFileName->Text(), ToWide(QString::fromStdString("orvowindow:Orvo-Backups/" + sent[0])));
  Dir.Write("Profile/Local State", "changed since");
  UI.BoxAnswers.push_back(IDYES);
  Press(Form->BitBtn2);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  EXPECT_EQ(RunCommand("ls '" + Dir.Host("Remote.orvo-work") + "'"), sent[0] + "\n");
}

TEST_F(RemoteWindow, WithoutRcloneNoRemoteIsOfferedAndARemoteNameSaysHowToInstallIt) {
  const std::string path = std::getenv("PATH");
  setenv("PATH", Dir.Host("scratch").c_str(), 1);
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  EXPECT_FALSE(Form->RemotePanel->isVisible());
  Type(Form->BackupFileDir, "nas:orvo");
  Press(Form->BitBtn1);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("not installed. Install it (sudo apt-get install rclone)"), std::string::npos)
      << LastBoxText();
  EXPECT_NE(LastBoxText().find("Nothing was written."), std::string::npos) << LastBoxText();
  EXPECT_FALSE(Dir.Exists("Remote.orvo-work"));
  setenv("PATH", path.c_str(), 1);
}

// The close question stops an upload as it stops the engine: nothing of the
// final name on the remote, the local copy kept and named.
TEST_F(RemoteWindow, ClosingDuringAnUploadStopsIt) {
  Dir.Write("Profile/Default/Media", IncompressibleData(12 << 20, 5));
  setenv("RCLONE_BWLIMIT", "4M", 1);
  TRcloneServer server("webdav", "orvoclose", Dir.Host("served"), Dir.Host("scratch"));
  ShowForm();
  QTimer closing;
  QObject::connect(&closing, &QTimer::timeout, [&] {
    if (RunCommand("find '" + Dir.Host("served") + "' -name '*.partial' -size +2M").empty()) return;
    closing.stop();
    UI.BoxAnswers.push_back(IDYES);
    Form->close();
  });
  closing.start(50);
  Type(Form->BackupFileDir, "orvoclose:b");
  Press(Form->BitBtn1);
  unsetenv("RCLONE_BWLIMIT");
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("The upload to orvoclose:b failed: The job was stopped before it ended."), std::string::npos)
      << LastBoxText();
  EXPECT_NE(LastBoxText().find("The backup is kept here: "), std::string::npos) << LastBoxText();
  EXPECT_EQ(RunCommand("ls '" + Dir.Host("served/b") + "' | grep -c -e '7z$' -e partial"), "0\n");
  EXPECT_EQ(RunCommand("ls '" + Dir.Host("Remote.orvo-work") + "' | grep -c '7z$'"), "1\n");
}
