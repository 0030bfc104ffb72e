#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "profile/BackupLog.h"
#include "profile/DiskRoom.h"
#include "profile/ProfileBackup.h"
#include "tests/ArchiveFixtures.h"
#include "tests/RawArchive.h"
#include "tests/app/FormFixture.h"

namespace {

class Jobs : public FormFixture {
 protected:
  // Backs the profile up through the window into an archive of the temporary directory.
  void Backup(const std::string& archive, int strength = 0) {
    Form->PageControl1->setCurrentWidget(Form->TabSheet2);
    Form->ComboBox1->setCurrentIndex(strength);
    Type(Form->BackupFileDir, Dir.Host(archive));
    Press(Form->BitBtn1);
  }
  void Restore(const std::string& archive, int answer = IDYES) {
    Form->PageControl1->setCurrentWidget(Form->TabSheet5);
    UI.BoxAnswers.push_back(answer);
    Type(Form->RestoreFileName, Dir.Host(archive));
    Press(Form->BitBtn2);
  }
  void ExpectButtonsFree() {
    EXPECT_TRUE(Form->BitBtn1->isEnabled());
    EXPECT_EQ(Form->BitBtn1->text(), "Start Backup");
    EXPECT_TRUE(Form->BitBtn2->isEnabled());
    EXPECT_EQ(Form->BitBtn2->text(), "Start Restore");
  }
  // The restore failed, said so in a warning, and left the profile as it was.
  void ExpectProfileKept(const std::vector<std::string>& before, const std::string& said) {
    ASSERT_FALSE(UI.Boxes.empty());
    EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
    EXPECT_NE(LastBoxText().find(said), std::string::npos) << LastBoxText();
    EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
    EXPECT_FALSE(Dir.Exists("Profile.orvo-restore"));
    ExpectButtonsFree();
  }
  void PeerArchive(const std::string& archive, const std::string& switches) {
    RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -t7z " + switches + " '" + Dir.Host(archive) + "' .");
  }
};

void MakeLargeProfile(const TTempDir& dir) {
  MakeSampleTree(dir, "Profile");
  for (int folder = 0; folder < 40; ++folder) {
    const std::string path = "Profile/Default/Cache/Cache_Data/" + std::to_string(folder);
    dir.MakeDirectory(path);
    for (int file = 0; file < 50; ++file)
      dir.Write(path + "/f_" + std::to_string(file), CompressibleData(static_cast<std::size_t>(file * 37), folder));
  }
  dir.MakeDirectory("Profile/Default/IndexedDB/empty");
  dir.Write("Profile/Default/big.bin", std::string(24 << 20, 'z'));
}

}  // namespace

TEST_F(Jobs, EmptyBoxesAndNoAnswersChangeNothing) {
  Dir.Write("Profile/keep", "k");
  ShowForm();
  Press(Form->BitBtn1);
  Press(Form->BitBtn2);
  EXPECT_TRUE(UI.Boxes.empty());
  Restore("whatever.7z", IDNO);
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Text, u"Any existing profile data will be overwritten. Continue?");
  EXPECT_EQ(UI.Boxes[0].Type & 0x0F, MB_YESNO);
  EXPECT_EQ(Dir.Read("Profile/keep"), "k");
  ExpectButtonsFree();
}

TEST_F(Jobs, BackupThenRestoreGivesTheSameTree) {
  MakeLargeProfile(Dir);
  const auto before = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  Backup("backup.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_EQ(UI.Boxes.back().Caption, u"Info");
  EXPECT_EQ(Form->ProgressBar1->value(), Form->ProgressBar1->maximum());
  EXPECT_GT(UI.MessagesProcessed, 0);
  EXPECT_TRUE(Dir.Exists("backup.7z"));
  EXPECT_FALSE(Dir.Exists("backup.7z.orvo-partial"));
  std::filesystem::remove_all(Dir.Host("Profile/Default"));
  Dir.Write("Profile/stray", "not in the backup");
  Restore("backup.7z");
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  ExpectButtonsFree();
}

TEST_F(Jobs, AnArchiveOfTheCommandRestores) {
  MakeSampleTree(Dir, "Profile");
  const auto before = DescribeTree(Dir.Host("Profile"));
  PeerArchive("peer.7z", "");
  std::filesystem::remove_all(Dir.Host("Profile/Default"));
  ShowForm();
  Restore("peer.7z");
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
}

TEST_F(Jobs, EveryStrengthReachesTheArchive) {
  Dir.Write("Profile/History", CompressibleData(400000, 3));
  ShowForm();
  std::vector<std::string> packed;
  for (int strength = 0; strength < 4; ++strength) {
    Backup("s" + std::to_string(strength) + ".7z", strength);
    ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
    const auto entries = ListArchive(Dir.Host("s" + std::to_string(strength) + ".7z"));
    ASSERT_EQ(entries.size(), 1u);
    packed.push_back(entries[0]["Method"] + " " + entries[0]["Packed Size"]);
    EXPECT_EQ(Form->SevenZip1->LZMACompressStrength(), static_cast<TCompressStrength>(strength));
  }
  EXPECT_EQ(packed[0], "Copy 400000");
  const auto peer = [&](int level) {
    RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -t7z -ms=off -mx=" + std::to_string(level) + " '" +
               Dir.Host("peer" + std::to_string(level) + ".7z") + "' History");
    const auto entries = ListArchive(Dir.Host("peer" + std::to_string(level) + ".7z"));
    return entries[0]["Method"] + " " + entries[0]["Packed Size"];
  };
  EXPECT_EQ(packed[1], peer(3));
  EXPECT_EQ(packed[2], peer(5));
  EXPECT_EQ(packed[3], peer(7));
}

TEST_F(Jobs, TimesComeBackExactlyAtEveryStrengthAsTheCommandStoresThem) {
  // Seconds since 1970 and nanoseconds: before 1970 and 1980, past 2038 and 2107, odd seconds, a fraction.
  const std::vector<std::pair<std::string, timespec>> dated = {
      {"Default/1960", {-315619200, 0}},        {"Default/1975", {171849601, 0}},
      {"Default/2038", {2147483648, 0}},         {"Default/2200", {7258118400, 0}},
      {"Default/odd", {1750000001, 0}},          {"Default/fraction", {1750000002, 123456789}},
      {"Default/Folder/inner", {1750000003, 0}}, {"Default/Folder", {-1, 999999900}},
      {"Default", {1000000001, 500000000}}};
  Dir.MakeDirectory("Profile/Default/Folder");
  for (const auto& [path, time] : dated)
    if (!Dir.Exists("Profile/" + path)) Dir.Write("Profile/" + path, path);
  const auto stamp = [&](const std::string& root) {
    for (const auto& [path, time] : dated) {
      const timespec times[2] = {time, time};
      ASSERT_EQ(utimensat(AT_FDCWD, Dir.Host(root + "/" + path).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
    }
  };
  stamp("Profile");
  PeerArchive("peer.7z", "-mx=0");
  std::map<std::string, std::string> peerTimes;
  for (const TListedEntry& entry : ListArchive(Dir.Host("peer.7z"))) peerTimes[entry["Path"]] = entry["Modified"];
  ShowForm();
  for (const int strength : {0, 1}) {
    const std::string archive = "s" + std::to_string(strength) + ".7z";
    Backup(archive, strength);
    ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
    for (const TListedEntry& entry : ListArchive(Dir.Host(archive)))
      EXPECT_EQ(entry["Modified"], peerTimes[entry["Path"]]) << entry["Path"];
    std::filesystem::remove_all(Dir.Host("Profile/Default"));
    Restore(archive);
    ASSERT_EQ(LastBoxText(), "Restore process is complete!");
    for (const auto& [path, time] : dated) {
      struct stat st {};
      ASSERT_EQ(stat(Dir.Host("Profile/" + path).c_str(), &st), 0) << path;
      EXPECT_EQ(st.st_mtim.tv_sec, time.tv_sec) << path;
      EXPECT_EQ(st.st_mtim.tv_nsec, time.tv_nsec / 100 * 100) << path;
    }
  }
}

TEST_F(Jobs, ThePickedNameIsCleaned) {
  Dir.MakeDirectory("My Backups");
  Dir.Write("Profile/f", "data");
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Form->BackupFileDir->TakePath(QString::fromStdString(Dir.Host("My Backups/my profile.7z")));
  EXPECT_TRUE(Form->BackupFileDir->Edit()->text().startsWith('"'));
  Press(Form->BitBtn1);
  EXPECT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_TRUE(Dir.Exists("My Backups/myprofile.7z"));
  Form->RestoreFileName->TakePath(QString::fromStdString(Dir.Host("My Backups/my profile.7z")));
  UI.BoxAnswers.push_back(IDYES);
  Press(Form->BitBtn2);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
}

TEST_F(Jobs, ABackupIntoAMissingFolderWritesNothing) {
  Dir.Write("Profile/f", "data");
  ShowForm();
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Host());
  Backup("missing/profile.7z");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("does not exist"), std::string::npos);
  EXPECT_FALSE(Dir.Exists("profile.7z"));
  ExpectButtonsFree();
}

TEST_F(Jobs, AFailingBackupKeepsTheOldArchive) {
  Dir.Write("Profile/big", std::string(4 << 20, 'q'));
  Dir.Write("old.7z", "the old backup");
  Dir.Write("other.7z.orvo-partial", "left by a crash");
  ShowForm();
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit saved = limit;
  limit.rlim_cur = 1 << 20;
  setrlimit(RLIMIT_FSIZE, &limit);
  Backup("old.7z");
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("could not be written"), std::string::npos) << LastBoxText();
  EXPECT_EQ(Dir.Read("old.7z"), "the old backup");
  EXPECT_FALSE(Dir.Exists("old.7z.orvo-partial"));
  EXPECT_FALSE(Dir.Exists("other.7z.orvo-partial"));
  ExpectButtonsFree();
}

TEST_F(Jobs, AnOutputThatCannotBeCreatedFreesTheButton) {
  Dir.Write("Profile/f", "data");
  Dir.MakeDirectory("x.7z.orvo-partial/blocked");
  ShowForm();
  Backup("x.7z");
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_FALSE(Dir.Exists("x.7z"));
  ExpectButtonsFree();
}

TEST_F(Jobs, AnEmptyProfileIsNoBackup) {
  ShowForm();
  Backup("empty.7z");
  EXPECT_NE(LastBoxText().find("no files"), std::string::npos) << LastBoxText();
  EXPECT_FALSE(Dir.Exists("empty.7z"));
}

TEST_F(Jobs, FailedRestoresLeaveTheProfileAsItWas) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("secret.7z", "-psecret -mhe=on");
  PeerArchive("sound.7z", "-mx=1");
  std::string bytes = Dir.Read("sound.7z");
  bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5A);
  Dir.Write("damaged.7z", bytes);
  Dir.Write("cut.7z", Dir.Read("sound.7z").substr(0, 3000));
  Dir.Write("text.7z", "no archive at all");
  const auto before = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  Restore("missing.7z");
  ExpectProfileKept(before, "was not found");
  EXPECT_EQ(AnsweringPasswords({std::nullopt}, [&] { Restore("secret.7z"); }).size(), 1u);
  ExpectProfileKept(before, "password");
  Restore("damaged.7z");
  ExpectProfileKept(before, "damaged");
  Restore("cut.7z");
  ExpectProfileKept(before, "damaged");
  Restore("text.7z");
  ExpectProfileKept(before, "not a 7z archive");
}

TEST_F(Jobs, ARestoreIntoAFullFileSystemLeavesTheProfile) {
  Dir.MakeDirectory("small");
  if (mount("tmpfs", Dir.Host("small").c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no tmpfs mount here";
  TTempDir archives;
  archives.MakeDirectory("Profile");
  archives.Write("Profile/big", CompressibleData(3 << 20, 8));
  RunCommand("cd '" + archives.Host("Profile") + "' && 7z a '" + archives.Host("big.7z") + "' .");
  Dir.MakeDirectory("small/Profile/Default");
  Dir.Write("small/Profile/Default/History", "the old history");
  Dir.MakeDirectory("small/Profile.before-restore-2026-01-01-000000");
  Dir.Write("small/Profile.before-restore-2026-01-01-000000/History", "history of before the last restore");
  const auto before = DescribeTree(Dir.Host("small/Profile"));
  Form = std::make_unique<TForm1>(Dir.System("small") + u"\\");
  Form->show();
  UI.BoxAnswers.push_back(IDYES);
  Type(Form->RestoreFileName, archives.Host("big.7z"));
  Press(Form->BitBtn2);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  // Refused before anything was written: the listing tells what the restore needs.
  EXPECT_NE(LastBoxText().find("not enough space on the disk. Restoring needs 3.2 MB on the disk of"), std::string::npos)
      << LastBoxText();
  EXPECT_NE(LastBoxText().find(" are free. Nothing was changed.\r\nThe profile kept from before the restore of "
                               "2026-01-01 00:00:00 ("),
            std::string::npos)
      << LastBoxText();
  EXPECT_FALSE(Dir.Exists("small/Profile.orvo-restore"));
  EXPECT_EQ(DescribeTree(Dir.Host("small/Profile")), before);
  // A backup onto that disk is refused before it starts too; with room it runs.
  archives.Write("Profile/big", IncompressibleData(2 << 20, 8));
  Form = std::make_unique<TForm1>(archives.System() + u"\\");
  Form->show();
  Form->LeaveOutCachesBox->setChecked(false);
  Type(Form->BackupFileDir, Dir.Host("small/backup.7z"));
  Press(Form->BitBtn1);
  EXPECT_NE(LastBoxText().find("not enough space on the disk. The backup needs 2.1 MB"), std::string::npos)
      << LastBoxText();
  EXPECT_FALSE(Dir.Exists("small/backup.7z.orvo-partial"));
  archives.Write("Profile/big", IncompressibleData(200 << 10, 8));
  Press(Form->BitBtn1);
  EXPECT_EQ(LastBoxText(), "Backup complete! (verified)");
  Form.reset();
  umount(Dir.Host("small").c_str());
}

TEST_F(Jobs, ARestoreIntoAFolderIsWhat7zMakesAndLeavesTheProfile) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("peer.7z", "-mx=1");
  RunCommand("7z x -o'" + Dir.Host("by7z") + "' '" + Dir.Host("peer.7z") + "'");
  Dir.Write("Profile/Local State", "changed since");
  const auto profile = DescribeTree(Dir.Host("Profile"));
  Dir.MakeDirectory("into");
  Dir.MakeDirectory("full");
  Dir.Write("full/something", "there");
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  Type(Form->RestoreFileName, Dir.Host("peer.7z"));
  const auto choose = [&](const std::string& folder) {
    QTimer choosing;
    QObject::connect(&choosing, &QTimer::timeout, [&] {
      auto* dialog = dynamic_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      dialog->setDirectory(QString::fromStdString(Dir.Host(folder)));
      dialog->findChild<QLineEdit*>("fileNameEdit")->clear();
      QMetaObject::invokeMethod(dialog, "accept");
    });
    choosing.start(10);
    Press(Form->RestoreIntoButton);
  };
  choose("full");
  EXPECT_NE(LastBoxText().find("is not empty"), std::string::npos) << LastBoxText();
  EXPECT_EQ(Dir.Read("full/something"), "there");
  choose("into");
  EXPECT_EQ(UI.Boxes.back().Text, u"The backup was restored into " + Dir.System("into") + u".");
  EXPECT_EQ(DescribeTree(Dir.Host("into")), DescribeTree(Dir.Host("by7z")));
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), profile);
}

// Restore A over B, undo (B back, A kept), undo that (A back): the trees
// exact at each step, one copy kept at a time, a backup leaving it alone.
TEST_F(Jobs, TheLastRestoreCanBeUndoneAndTheUndoToo) {
  MakeSampleTree(Dir, "Profile");
  Dir.Write("Profile/Default/only-b", "b");
  const auto b = DescribeTree(Dir.Host("Profile"), true);
  MakeSampleTree(Dir, "a");
  Dir.Write("a/Default/only-a", "a");
  RunCommand("cd '" + Dir.Host("a") + "' && 7z a -mx=1 '" + Dir.Host("a.7z") + "' . && 7z x -o'" + Dir.Host("by7z") +
             "' '" + Dir.Host("a.7z") + "'");
  const auto a = DescribeTree(Dir.Host("by7z"), true);
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  EXPECT_FALSE(Form->UndoPanel->isVisible());
  Restore("a.7z");
  ASSERT_EQ(LastBoxText(), "Restore process is complete!");
  const auto kept = [&] {
    const auto copies = KeptCopies(Dir.Host(""));
    return copies.size() == 1 ? DescribeTree(copies[0], true) : std::vector<std::string>{"copies: " + std::to_string(copies.size())};
  };
  EXPECT_EQ(DescribeTree(Dir.Host("Profile"), true), a);
  EXPECT_EQ(kept(), b);
  EXPECT_TRUE(Form->UndoPanel->isVisible());
  EXPECT_TRUE(Form->UndoPanel->KeptLabel->text().startsWith("Kept from before the restore of 20"));
  UI.BoxAnswers.push_back(IDYES);
  Press(Form->UndoPanel->UndoButton);
  EXPECT_EQ(LastBoxText().find("The profile from before the last restore is back. The one it replaced is kept as "), 0u)
      << LastBoxText();
  EXPECT_EQ(DescribeTree(Dir.Host("Profile"), true), b);
  EXPECT_EQ(kept(), a);
  UI.BoxAnswers.push_back(IDYES);
  Press(Form->UndoPanel->UndoButton);
  EXPECT_EQ(DescribeTree(Dir.Host("Profile"), true), a);
  EXPECT_EQ(kept(), b);
  Backup("after.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_EQ(kept(), b);
  // Deleting asks first; No keeps it.
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  UI.BoxAnswers.push_back(IDNO);
  Press(Form->UndoPanel->DeleteButton);
  EXPECT_EQ(kept(), b);
  UI.BoxAnswers.push_back(IDYES);
  Press(Form->UndoPanel->DeleteButton);
  EXPECT_TRUE(KeptCopies(Dir.Host("")).empty());
  EXPECT_FALSE(Form->UndoPanel->isVisible());
  EXPECT_EQ(DescribeTree(Dir.Host("Profile"), true), a);
  ExpectButtonsFree();
}

TEST_F(Jobs, TheBarScalesTotalsBeyondItsRange) {
  ShowForm();
  Form->SevenZip1PreProgress(1000);
  EXPECT_EQ(Form->ProgressBar1->maximum(), 1000);
  EXPECT_EQ(Form->ProgressBar1->value(), 0);
  Form->SevenZip1PreProgress(5LL << 30);
  EXPECT_GT(Form->ProgressBar1->maximum(), 1 << 30);
  Form->SevenZip1Progress(5LL << 29);
  EXPECT_EQ(Form->ProgressBar1->value(), Form->ProgressBar1->maximum() / 2);
  Form->SevenZip1Progress(5LL << 30);
  EXPECT_EQ(Form->ProgressBar1->value(), Form->ProgressBar1->maximum());
}

TEST_F(Jobs, ARestoreNamesWhatItCouldNotRestoreAndKeepsTheProfile) {
  Dir.Write("Profile/keep", "k");
  const auto before = DescribeTree(Dir.Host("Profile"));
  WriteRawArchive(Dir.Host("twice.7z"), {{u"Default", "", 0x10},
                                         {u"Default\\History", "first", 0x20},
                                         {u"Default\\History", "second", 0x20},
                                         {u"gone", "", 0, false, true}});
  ShowForm();
  Restore("twice.7z");
  ExpectProfileKept(before, "cannot be restored");
  EXPECT_NE(LastBoxText().find("\r\nDefault\\History\r\n"), std::string::npos) << LastBoxText();
  EXPECT_NE(LastBoxText().find("gone"), std::string::npos) << LastBoxText();
}

TEST_F(Jobs, ARestoreFromAMissingFolderRestoresNothing) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("profile.7z", "");
  Dir.Write("Profile/only-now", "kept");
  const auto before = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(Dir.Host());
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  Type(Form->RestoreFileName, Dir.Host("missing/profile.7z"));
  Press(Form->BitBtn2);
  std::filesystem::current_path(cwd);
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("missing"), std::string::npos) << LastBoxText();
  EXPECT_NE(LastBoxText().find("does not exist"), std::string::npos) << LastBoxText();
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  ExpectButtonsFree();
}

TEST_F(Jobs, ABackupInsideTheProfileIsNeverRestoredOverItself) {
  MakeSampleTree(Dir, "Profile");
  ShowForm();
  Backup("inside.7z");
  std::filesystem::rename(Dir.Host("inside.7z"), Dir.Host("Profile/Default/inside.7z"));
  std::filesystem::create_directory_symlink(Dir.Host("Profile/Default"), Dir.Host("through"));
  const auto before = DescribeTree(Dir.Host("Profile"));
  for (const char* name : {"Profile/Default/inside.7z", "through/inside.7z"}) {
    Restore(name);
    ExpectProfileKept(before, "inside the profile");
  }
}

TEST_F(Jobs, TheRestorePageListsTheBackupsNewestFirstWithWhatCanBeToldOfThem) {
  MakeSampleTree(Dir, "Profile");
  Dir.MakeDirectory("backups");
  PeerArchive("backups/Orvo-Profile-2026-12-05-060000.7z", "-mx=0");
  PeerArchive("backups/Orvo-Profile-2026-12-01-060000.7z", "-psecret");
  Dir.Write("backups/Orvo-Profile-2026-12-03-060000.7z", Dir.Read("backups/Orvo-Profile-2026-12-05-060000.7z").substr(0, 3000));
  Dir.Write("backups/notes.7z", "not an archive at all");
  RunCommand("touch -d '2026-11-20 10:00' '" + Dir.Host("backups/notes.7z") + "'");
  RecordBackup(ToolDirectory(), {u"2026-12-05 06:00:00", true, false, Dir.System("backups/by-hand.7z"), u""});
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  std::vector<std::string> shown;
  for (int row = 0; row < Form->BackupsList->count(); ++row) shown.push_back(Form->BackupsList->item(row)->text().toStdString());
  const std::string plain = HumanSize(static_cast<double>(Dir.Read("backups/Orvo-Profile-2026-12-05-060000.7z").size()));
  const std::string locked = HumanSize(static_cast<double>(Dir.Read("backups/Orvo-Profile-2026-12-01-060000.7z").size()));
  EXPECT_EQ(shown, (std::vector<std::string>{"2026-12-05 06:00  " + plain, "2026-12-03 06:00  3.0 KB  (damaged)",
                                             "2026-12-01 06:00  " + locked + "  (password)",
                                             "2026-11-20 10:00  21 B  (not 7z)"}));
  QTest::mouseClick(Form->BackupsList->viewport(), Qt::LeftButton, {},
                    Form->BackupsList->visualItemRect(Form->BackupsList->item(0)).center());
  EXPECT_EQ(Form->RestoreFileName->Text(), Dir.System("backups/Orvo-Profile-2026-12-05-060000.7z"));
}
