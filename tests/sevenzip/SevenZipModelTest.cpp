#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/Exceptions.h"
#include "platform/LibraryApi.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/UpdateCallback.h"
#include "tests/TempDir.h"

namespace {

void ExpectConstructionFails(const WideString& library) {
  try {
    TSevenZip component(library);
    FAIL() << "constructed without an engine";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found");
  }
}

}  // namespace

TEST(SevenZipModel, ANewComponentHasItsDefaults) {
  TSevenZip component;
  EXPECT_EQ(component.NumberOfFiles(), -1);
  EXPECT_EQ(component.SFXModule(), u"7z.sfx");
  EXPECT_EQ(component.LPPMDsize(), 10);
  EXPECT_EQ(component.LPPMDmem(), 30);
  EXPECT_EQ(component.LZMACompressType(), TCompressType::LZMA);
  EXPECT_EQ(component.LZMACompressStrength(), TCompressStrength::SAVE);
  EXPECT_EQ(component.AddOptions().Bits(), 0);
  EXPECT_EQ(component.ExtractOptions().Bits(), 0);
  EXPECT_EQ(component.ErrCode(), 0);
  EXPECT_EQ(component.LastError(), 0);
  EXPECT_EQ(component.LZMAStrength(), 0);
  EXPECT_FALSE(component.SFXCreate());
  EXPECT_EQ(AddOpts({AddRecurseDirs, AddEncryptFilename}).Bits(), 0x11);
}

TEST(SevenZipModel, WithoutAnEngineConstructionFailsAndUnloads) {
  ExpectConstructionFails(u"\\nonexistent\\7za.dll");
  ExpectConstructionFails(StubLibrary());
  EXPECT_FALSE(IsMapped("libNoCreateObject"));
}

TEST(SevenZipModel, DestructionUnloadsTheEngine) {
  { TSevenZip component; EXPECT_TRUE(IsMapped("7z.so")); }
  EXPECT_FALSE(IsMapped("7z.so"));
}

TEST(SevenZipModel, VolumeSizeKeepsRoomForTheModule) {
  TSevenZip component;
  component.SetVolumeSize(100);
  EXPECT_EQ(component.VolumeSize(), 100);
  component.SetSFXModule(u"\\usr\\lib\\p7zip\\7zCon.sfx");
  component.SetSFXCreate(true);
  ASSERT_TRUE(component.SFXCreate());
  EXPECT_EQ(component.SFXOffset(), WideFileSize(component.SFXModule()));
  EXPECT_EQ(component.VolumeSize(), component.SFXOffset() + 7);
  component.SetSFXOffset(500);
  component.SetVolumeSize(100);
  EXPECT_EQ(component.VolumeSize(), 507);
  component.SetVolumeSize(0);
  EXPECT_EQ(component.VolumeSize(), 0);
  component.SetVolumeSize(-5);
  EXPECT_EQ(component.VolumeSize(), -5);
  component.SetSFXCreate(false);
  component.SetVolumeSize(100);
  EXPECT_EQ(component.VolumeSize(), 100);
}

TEST(SevenZipModel, SFXCreateStaysOffWithoutItsModule) {
  TSevenZip component;
  component.SetSFXOffset(42);
  component.SetSFXCreate(true);
  EXPECT_FALSE(component.SFXCreate());
  EXPECT_EQ(component.SFXOffset(), 42);
}

TEST(SevenZipModel, StringListRules) {
  TWideStringList_ list;
  list.RemoveString(u"a");
  EXPECT_EQ(list.Count, 0u);
  list.AddString(u"a.txt");
  list.AddString(u"B.TXT");
  list.AddString(u"c.txt");
  list.RemoveString(u"x");
  EXPECT_EQ(list.Count, 3u);
  list.RemoveString(u"b.txt");
  EXPECT_EQ(list.WStrings, (std::vector<WideString>{u"a.txt", u"c.txt"}));
  EXPECT_EQ(list.Count, 2u);
  list.AddString(u"a.txt");
  EXPECT_EQ(list.Count, 3u);
  list.Clear();
  EXPECT_EQ(list.Count, 0u);
  EXPECT_TRUE(list.WStrings.empty());
}

TEST(SevenZipModel, OnMessageSeesTheCodeAlreadySet) {
  TSevenZip component;
  Int32 seen = -1;
  component.OnMessage = [&](TSevenZip* sender, Int32 code, const WideString& message, const WideString& file) {
    seen = sender->ErrCode();
    EXPECT_EQ(code, 10);
    EXPECT_EQ(message, u"No files to add");
    EXPECT_EQ(file, u"f");
  };
  component.ReportError(CodeNoFilesToAdd, u"f");
  EXPECT_EQ(seen, 10);
  EXPECT_EQ(ErrorMessage(CodeCouldNotReadFile), u"Could not read file");
}

TEST(SevenZipModel, UnknownPropertiesAreAnsweredEmpty) {
  TSevenZip component;
  auto* callback = new TMyArchiveUpdateCallback(&component);
  callback->AddRef();
  callback->AddFileEntry(u"x", {1, 2}, 0x20, 5);
  PROPVARIANT value{};
  EXPECT_EQ(callback->GetProperty(0, 99, &value), S_OK);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(callback->GetProperty(0, kpidSize, &value), S_OK);
  EXPECT_EQ(value.vt, VT_UI8);
  EXPECT_EQ(value.uhVal, 5u);
  Int32 defined = 7;
  EXPECT_EQ(callback->CryptoGetTextPassword2(&defined, nullptr), S_OK);
  EXPECT_EQ(defined, 0);
  callback->Release();
}
