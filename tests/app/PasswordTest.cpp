// Backups protected by a password: made on the Backup page, private on disk,
// and asked for before a restore, until it fits or the user gives up.
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"

namespace {

class Password : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    FSavedMask = umask(022);
  }
  void TearDown() override { umask(FSavedMask); }

  void Protect(const std::string& password, const std::string& again) {
    Form->PageControl1->setCurrentWidget(Form->TabSheet2);
    Form->PasswordPanel->ProtectBox->setChecked(true);
    Form->PasswordPanel->PasswordEdit->setText(QString::fromStdString(password));
    Form->PasswordPanel->ConfirmEdit->setText(QString::fromStdString(again));
  }
  void Backup(const std::string& archive, int strength) {
    Form->ComboBox1->setCurrentIndex(strength);
    Type(Form->BackupFileDir, Dir.Host(archive));
    Press(Form->BitBtn1);
  }
  // Restores, answering the password questions in turn (none: Cancel).
  std::vector<std::string> Restore(const std::string& archive, std::vector<std::optional<std::string>> answers) {
    return AnsweringPasswords(std::move(answers), [&] {
      Form->PageControl1->setCurrentWidget(Form->TabSheet5);
      UI.BoxAnswers.push_back(IDYES);
      Type(Form->RestoreFileName, Dir.Host(archive));
      Press(Form->BitBtn2);
    });
  }
  int Mode(const std::string& relative) const {
    struct stat st {};
    stat(Dir.Host(relative).c_str(), &st);
    return st.st_mode & 07777;
  }

 private:
  mode_t FSavedMask = 0;
};

}  // namespace

TEST_F(Password, AProtectedBackupHidesItsNamesOpensWithThePasswordAndIsPrivate) {
  MakeSampleTree(Dir, "Profile");
  const auto tree = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  Protect("", "");
  Backup("none.7z", 0);
  EXPECT_EQ(LastBoxText(), "Enter a password, or turn the protection off. Nothing was written.");
  Protect("correct horse", "correct hose");
  Backup("none.7z", 0);
  EXPECT_EQ(LastBoxText(), "The two passwords differ. Nothing was written.");
  EXPECT_FALSE(Dir.Exists("none.7z"));
  Protect("correct horse", "correct horse");
  for (const int strength : {0, 1}) {
    const std::string archive = "s" + std::to_string(strength) + ".7z";
    Backup(archive, strength);
    ASSERT_EQ(LastBoxText(), "Backup complete! (verified, encrypted)");
    EXPECT_EQ(Mode(archive), 0600);
    const std::string listed = RunCommand("7z l -p '" + Dir.Host(archive) + "' </dev/null; echo $?");
    EXPECT_EQ(listed.find("Bookmarks"), std::string::npos) << listed;
    EXPECT_FALSE(listed.ends_with("\n0\n")) << listed;
    const std::string out = "out" + std::to_string(strength);
    RunCommand("7z x -p'correct horse' -o'" + Dir.Host(out) + "' '" + Dir.Host(archive) + "'");
    EXPECT_EQ(DescribeTree(Dir.Host(out)), tree);
  }
  std::filesystem::remove_all(Dir.Host("Profile"));
  EXPECT_EQ(Restore("s1.7z", {"correct horse"}).size(), 1u);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), tree);
  EXPECT_EQ(Mode("Profile"), 0700);
}

TEST_F(Password, ArchivesOfTheCommandAskUntilThePasswordFitsAndChangeNothingOtherwise) {
  MakeSampleTree(Dir, "Profile");
  const auto tree = DescribeTree(Dir.Host("Profile"));
  RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -t7z -p'X y' '" + Dir.Host("data.7z") + "' . && 7z a -t7z -mx=9 "
             "-mhe=on -p'X y' '" + Dir.Host("names.7z") + "' .");
  Dir.Write("Profile/Local State", "changed since");
  const auto changed = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  for (const std::string archive : {"data.7z", "names.7z"}) {
    const auto prompts = Restore(archive, {"wrong", "Wrong", "x y"});
    ASSERT_EQ(prompts.size(), 3u) << archive;
    EXPECT_EQ(prompts[0].find("The password is wrong."), std::string::npos);
    EXPECT_EQ(prompts[1].find("The password is wrong."), 0u) << prompts[1];
    EXPECT_EQ(LastBoxText(), "The password is wrong. Nothing was changed.");
    EXPECT_EQ(DescribeTree(Dir.Host("Profile")), changed);
    EXPECT_EQ(Restore(archive, {std::nullopt}).size(), 1u);
    EXPECT_NE(LastBoxText().find("is protected by a password. Nothing was changed."), std::string::npos);
    EXPECT_EQ(DescribeTree(Dir.Host("Profile")), changed);
    EXPECT_FALSE(Dir.Exists("Profile.orvo-restore"));
  }
  EXPECT_EQ(Restore("names.7z", {"X y"}).size(), 1u);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), tree);
  Dir.Write("Profile/Local State", "changed since");
  EXPECT_EQ(Restore("data.7z", {"x", "X y"}).size(), 2u);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), tree);
}
