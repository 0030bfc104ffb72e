#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/FileApi.h"
#include "platform/LibraryApi.h"
#include "sevenzip/EngineLibrary.h"
#include "sevenzip/PathUtils.h"
#include "tests/RawArchive.h"
#include "tests/TempDir.h"

namespace {

class EngineLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BindEngine(u"7za.dll", FLibrary, FCreateObject)); }
  void TearDown() override {
    if (FLibrary) FreeLibrary(FLibrary);
  }
  template <typename T>
  T* Create(const IID& iid) {
    void* object = nullptr;
    FCreateObject(&CLSID_CFormat7z, &iid, &object);
    return static_cast<T*>(object);
  }
  HMODULE FLibrary = nullptr;
  TCreateObjectFunc FCreateObject = nullptr;
};

}  // namespace

TEST_F(EngineLibrary, BindsBesideTheExecutableAndCreatesItsObjects) {
  auto* inA = Create<IInArchive>(IID_IInArchive);
  auto* outA = Create<IOutArchive>(IID_IOutArchive);
  auto* sp = Create<ISetProperties>(IID_ISetProperties);
  ASSERT_NE(inA, nullptr);
  ASSERT_NE(outA, nullptr);
  ISetProperties* setProperties = nullptr;
  EXPECT_EQ(outA->QueryInterface(IID_ISetProperties, reinterpret_cast<void**>(&setProperties)), S_OK);
  ASSERT_NE(setProperties, nullptr);
  setProperties->Release();
  UInt32 items = 99;
  EXPECT_EQ(inA->GetNumberOfItems(&items), S_OK);
  EXPECT_EQ(items, 0u);
  // The 7z class offers ISetProperties only through the writing object.
  EXPECT_EQ(sp, nullptr);
  outA->Release();
  inA->Release();
}

TEST_F(EngineLibrary, WritesAnArchiveThatTheCommandAccepts) {
  TTempDir dir;
  WriteRawArchive(dir.Host("t.7z"), {{u"dir", "", 0x10},
                                     {u"dir\\f.txt", "hello engine", 0x20},
                                     {u"dir\\\u00FCnic\u00F6de \U0001F600.txt", "", 0x20}});

  EXPECT_NE(RunCommand("7z t '" + dir.Host("t.7z") + "'").find("Everything is Ok"), std::string::npos);
  const std::string listing = RunCommand("7z l -slt '" + dir.Host("t.7z") + "'");
  EXPECT_NE(listing.find("Path = dir/f.txt\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("Path = dir/\xC3\xBCnic\xC3\xB6" "de \xF0\x9F\x98\x80.txt\n"), std::string::npos) << listing;
  EXPECT_EQ(listing.find('\\'), std::string::npos);
}

TEST(EngineBinding, MissingLibraryOrEntryLeavesNothingLoaded) {
  HMODULE library = reinterpret_cast<HMODULE>(1);
  TCreateObjectFunc createObject = reinterpret_cast<TCreateObjectFunc>(1);
  EXPECT_FALSE(BindEngine(u"\\nonexistent\\7za.dll", library, createObject));
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(createObject, nullptr);

  ASSERT_FALSE(IsMapped("libNoCreateObject"));
  EXPECT_FALSE(BindEngine(StubLibrary(), library, createObject));
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(createObject, nullptr);
  EXPECT_FALSE(IsMapped("libNoCreateObject"));
}

TEST(EngineBinding, ItemNamesCrossWithTheFormatSeparator) {
  HMODULE library = nullptr;
  TCreateObjectFunc createObject = nullptr;
  ASSERT_TRUE(BindEngine(u"7za.dll", library, createObject));
  BSTR name = ItemNameToEngine(u"a\\b\\\U0001F600");
  EXPECT_EQ(std::wstring(name), (std::wstring{L'a', L'/', L'b', L'/', 0xD83D, 0xDE00}));
  EXPECT_EQ(ItemNameFromEngine(name), u"a\\b\\\U0001F600");
  EngineFreeString(name);
  EXPECT_EQ(FromEngineChars(L"\U0001F600"), u"\U0001F600");
  FreeLibrary(library);
}
