#include <gtest/gtest.h>

#include <cstdio>

#include "sevenzip/StreamReader.h"
#include "tests/ScriptedUserInterface.h"
#include "tests/TempDir.h"

namespace {

class TReader {
 public:
  TReader(TSevenZip* owner, const WideString& name, bool asArchive)
      : FReader(new TMyStreamReader(owner, name, asArchive)) {
    FReader->AddRef();
  }
  ~TReader() { FReader->Release(); }
  // Reads at a position; answers the data, or "<1>" when the read answered 1.
  std::string ReadAt(Int64 position, UInt32 size) {
    FReader->Seek(position, FILE_BEGIN, nullptr);
    std::string data(size, '\0');
    UInt32 processed = 0;
    if (FReader->Read(data.data(), size, &processed) != S_OK) return "<1>";
    return data.substr(0, processed);
  }
  TMyStreamReader* operator->() const { return FReader; }

 private:
  TMyStreamReader* FReader;
};

// Volumes of 100 bytes: volume k holds the letter 'a' + k - 1.
void WriteVolumes(const TTempDir& dir, const std::string& stem, int count) {
  for (int k = 1; k <= count; ++k) dir.Write(stem + ".00" + std::to_string(k), std::string(100, static_cast<char>('a' + k - 1)));
}

}  // namespace

TEST(StreamReader, FindsTheLastVolumeThenReadsAcrossVolumes) {
  TTempDir dir;
  TScriptedUserInterface ui;
  WriteVolumes(dir, "x.7z", 3);
  TReader reader(nullptr, dir.System("x.7z.001"), true);
  EXPECT_EQ(reader.ReadAt(95, 10), "aaaaabbbbb");
  EXPECT_EQ(reader.ReadAt(250, 50), std::string(50, 'c'));
  EXPECT_EQ(reader.ReadAt(0, 3), "aaa");
  EXPECT_EQ(reader.ReadAt(199, 2), "bc");
  UInt64 size = 0;
  EXPECT_EQ(reader->GetSize(&size), S_OK);
  EXPECT_EQ(size, 105u);
  EXPECT_TRUE(ui.Dialogs.empty());
}

TEST(StreamReader, ACutShortArchiveAsksForItsLastVolume) {
  TTempDir dir;
  TScriptedUserInterface ui;
  dir.Write("x.7z", std::string(100, 'a'));
  TReader reader(nullptr, dir.System("x.7z"), true);
  EXPECT_EQ(reader.ReadAt(90, 20), "<1>");
  ASSERT_EQ(ui.Dialogs.size(), 1u);
  EXPECT_EQ(ui.Dialogs[0].Title, u"Select last volume");
  EXPECT_EQ(ui.Dialogs[0].Filter, (std::vector<WideString>{u"-volumes", u".*"}));
}

TEST(StreamReader, OnlyAFirstVolumeEndsTheSearchWhenTheUserCancels) {
  TTempDir dir;
  TScriptedUserInterface ui;
  WriteVolumes(dir, "x.7z", 1);
  ui.DialogAnswers = {dir.System("x.7z.001"), dir.System("other.7z.005")};
  TReader reader(nullptr, dir.System("x.7z.001"), true);
  EXPECT_EQ(reader.ReadAt(90, 20), "<1>");
  EXPECT_EQ(ui.Dialogs.size(), 3u);
}

TEST(StreamReader, TheHandlersCancelClearsTheVolume) {
  TTempDir dir;
  WriteVolumes(dir, "x.7z", 3);
  TSevenZip owner;
  std::vector<WideString> asked;
  owner.OnOpenVolume = [&](WideString& name, bool removable, bool& cancel) {
    asked.push_back(name);
    EXPECT_FALSE(removable);
    cancel = true;
  };
  TReader reader(&owner, dir.System("x.7z.001"), true);
  EXPECT_EQ(reader.ReadAt(195, 10), "bbbbbccccc");
  std::remove(dir.Host("x.7z.002").c_str());
  EXPECT_EQ(reader.ReadAt(150, 10), "<1>");
  EXPECT_EQ(asked, std::vector<WideString>{dir.System("x.7z.002")});
  EXPECT_EQ(reader.ReadAt(250, 10), "<1>");
  EXPECT_EQ(asked.size(), 2u);
}

TEST(StreamReader, AnEmptyVolumeFails) {
  TTempDir dir;
  TScriptedUserInterface ui;
  WriteVolumes(dir, "x.7z", 1);
  dir.Write("x.7z.002", "");
  TReader reader(nullptr, dir.System("x.7z.001"), true);
  EXPECT_EQ(reader.ReadAt(90, 20), "<1>");
}

TEST(StreamReader, AReadAtTheEndOfTheLastVolumeAsksForTheNext) {
  TTempDir dir;
  TScriptedUserInterface ui;
  WriteVolumes(dir, "x.7z", 2);
  TReader reader(nullptr, dir.System("x.7z.001"), true);
  EXPECT_EQ(reader.ReadAt(200, 10), "<1>");
  ASSERT_EQ(ui.Dialogs.size(), 1u);
  EXPECT_EQ(ui.Dialogs[0].Title, u"Select volume");
  EXPECT_EQ(ui.Dialogs[0].Filter, (std::vector<WideString>{u"x.7z-volumes", u"x.7z.*"}));
}

TEST(StreamReader, TheSizeAskedForIsThatOfTheWholeSet) {
  TTempDir dir;
  TScriptedUserInterface ui;
  dir.Write("x.7z", std::string(100, 'a'));
  WriteVolumes(dir, "y.7z", 3);
  UInt64 size = 0, position = 0;
  TReader single(nullptr, dir.System("x.7z"), true);
  EXPECT_EQ(single->GetSize(&size), S_OK);
  EXPECT_EQ(size, 100u);
  TReader set(nullptr, dir.System("y.7z.001"), true);
  EXPECT_EQ(set->Seek(-10, FILE_END, &position), S_OK);
  EXPECT_EQ(position, 290u);
  EXPECT_EQ(set.ReadAt(position, 20), std::string(10, 'c'));
  TReader missing(nullptr, dir.System("none.7z"), true);
  EXPECT_EQ(missing->GetSize(&size), S_FALSE);
  EXPECT_EQ(missing->Seek(0, FILE_END, &position), S_FALSE);
  EXPECT_TRUE(ui.Dialogs.empty());
}

TEST(StreamReader, APlainFileReaderStartsAtZeroWhateverTheOwner) {
  TTempDir dir;
  dir.Write("input", "0123456789");
  TSevenZip owner;
  owner.SetIsSFX(true);
  owner.SetSFXOffset(5);
  TReader plain(&owner, dir.System("input"), false);
  EXPECT_EQ(plain.ReadAt(0, 3), "012");
  UInt64 size = 0;
  EXPECT_EQ(plain->GetSize(&size), S_OK);
  EXPECT_EQ(size, 10u);
  UInt32 processed = 0;
  char buffer[4];
  TReader archive(&owner, dir.System("input"), true);
  EXPECT_EQ(archive->Read(buffer, 4, &processed), S_OK);
  EXPECT_EQ(std::string(buffer, processed), "5678");
}

TEST(StreamReader, BrowseOffersTheVolumesOfTheName) {
  TScriptedUserInterface ui;
  TReader reader(nullptr, u"\\nonexistent\\x", true);
  WideString name = u"\\bak\\backup.7z.003";
  ui.DialogAnswers = {u"\\bak\\chosen.7z.003"};
  EXPECT_TRUE(reader->BrowseForFile(u"Select volume", name));
  EXPECT_EQ(name, u"\\bak\\chosen.7z.003");
  ASSERT_EQ(ui.Dialogs.size(), 1u);
  EXPECT_EQ(ui.Dialogs[0].InitialDirectory, u"\\bak\\");
  EXPECT_EQ(ui.Dialogs[0].Filter, (std::vector<WideString>{u"backup.7z-volumes", u"backup.7z.*"}));
  EXPECT_FALSE(reader->BrowseForFile(u"Select volume", name));
  EXPECT_EQ(name, u"\\bak\\chosen.7z.003");
}

TEST(StreamReader, LastVolumeNameFollowsTheUnbrokenRun) {
  TTempDir dir;
  WriteVolumes(dir, "x.7z", 3);
  dir.Write("x.7z.005", "e");
  EXPECT_EQ(LastVolumeName(dir.System("x.7z.001")), dir.System("x.7z.003"));
  EXPECT_EQ(LastVolumeName(dir.System("x.7z")), u"");
  EXPECT_EQ(LastVolumeName(dir.System("y.7z.001")), dir.System("y.7z.001"));
}

TEST(StreamReader, AnInputFileThatShrinksIsNotReadAsComplete) {
  TTempDir dir;
  dir.Write("input", std::string(1000, 'z'));
  TSevenZip owner;
  std::vector<Int32> codes;
  owner.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    codes.push_back(code);
    EXPECT_EQ(file, dir.System("input"));
  };
  TReader reader(&owner, dir.System("input"), false);
  EXPECT_EQ(reader.ReadAt(0, 100).size(), 100u);
  dir.Write("input", std::string(200, 'z'));
  EXPECT_EQ(reader.ReadAt(100, 200), "<1>");
  EXPECT_EQ(codes, std::vector<Int32>{CodeCouldNotReadFile});
}
