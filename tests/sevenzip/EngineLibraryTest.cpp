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
#include "tests/TempDir.h"

namespace {

// Minimal reference counting for the objects this test hands to the engine.
template <typename Interface>
class TRefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++FCount; }
  ULONG Release() override {
    const ULONG count = --FCount;
    if (count == 0) delete this;
    return count;
  }

 protected:
  virtual ~TRefCounted() = default;
  HRESULT Answer(REFIID iid, const IID& own, void** object) {
    if (iid == IID_IUnknown || iid == own) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

 private:
  std::atomic<ULONG> FCount{0};
};

class TFileOutStream : public TRefCounted<IOutStream> {
 public:
  explicit TFileOutStream(HANDLE file) : FFile(file) {}
  ~TFileOutStream() override { CloseHandle(FFile); }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_ISequentialOutStream) return Answer(IID_ISequentialOutStream, iid, object);
    return Answer(iid, IID_IOutStream, object);
  }
  HRESULT Write(const void* data, UInt32 size, UInt32* processed) override {
    DWORD written = 0;
    const BOOL ok = WriteFile(FFile, data, size, &written, nullptr);
    if (processed) *processed = written;
    return ok ? S_OK : E_FAIL;
  }
  HRESULT Seek(Int64 offset, UInt32 origin, UInt64* position) override {
    const std::int64_t at = FileSeek64(FFile, static_cast<int>(origin), offset);
    if (position) *position = static_cast<UInt64>(at);
    return S_OK;
  }
  HRESULT SetSize(UInt64) override { return S_OK; }

 private:
  HANDLE FFile;
};

class TMemoryInStream : public TRefCounted<ISequentialInStream> {
 public:
  explicit TMemoryInStream(std::string data) : FData(std::move(data)) {}
  HRESULT QueryInterface(REFIID iid, void** object) override { return Answer(iid, IID_ISequentialInStream, object); }
  HRESULT Read(void* data, UInt32 size, UInt32* processed) override {
    const std::size_t n = std::min<std::size_t>(size, FData.size() - FAt);
    FData.copy(static_cast<char*>(data), n, FAt);
    FAt += n;
    if (processed) *processed = static_cast<UInt32>(n);
    return S_OK;
  }

 private:
  std::string FData;
  std::size_t FAt = 0;
};

struct TItem {
  WideString Name;
  bool IsDir;
  std::string Data;
};

class TUpdateCallback : public TRefCounted<IArchiveUpdateCallback> {
 public:
  explicit TUpdateCallback(std::vector<TItem> items) : FItems(std::move(items)) {}
  HRESULT QueryInterface(REFIID iid, void** object) override { return Answer(iid, IID_IArchiveUpdateCallback, object); }
  HRESULT SetTotal(UInt64) override { return S_OK; }
  HRESULT SetCompleted(const UInt64*) override { return S_OK; }
  HRESULT GetUpdateItemInfo(UInt32, Int32* newData, Int32* newProperties, UInt32* indexInArchive) override {
    if (newData) *newData = 1;
    if (newProperties) *newProperties = 1;
    if (indexInArchive) *indexInArchive = static_cast<UInt32>(-1);
    return S_OK;
  }
  HRESULT GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value) override {
    const TItem& item = FItems[index];
    *value = {};
    switch (propID) {
      case kpidPath:
        value->vt = VT_BSTR;
        value->bstrVal = ItemNameToEngine(item.Name);
        break;
      case kpidIsDir:
      case kpidIsAnti:
        value->vt = VT_BOOL;
        value->boolVal = propID == kpidIsDir && item.IsDir ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case kpidSize:
        value->vt = VT_UI8;
        value->uhVal = item.Data.size();
        break;
      case kpidAttrib:
        value->vt = VT_UI4;
        value->ulVal = item.IsDir ? 0x10 : 0x20;
        break;
      case kpidMTime:
        value->vt = VT_FILETIME;
        value->filetime = {0xD53E8000, 0x01D9B0A1};
        break;
      default:
        break;
    }
    return S_OK;
  }
  HRESULT GetStream(UInt32 index, ISequentialInStream** stream) override {
    *stream = new TMemoryInStream(FItems[index].Data);
    (*stream)->AddRef();
    return S_OK;
  }
  HRESULT SetOperationResult(Int32) override { return S_OK; }

 private:
  std::vector<TItem> FItems;
};

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
  auto* outA = Create<IOutArchive>(IID_IOutArchive);
  ASSERT_NE(outA, nullptr);
  const HANDLE file = CreateFileW(dir.System("t.7z").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
  auto* stream = new TFileOutStream(file);
  stream->AddRef();
  auto* callback = new TUpdateCallback({{u"dir", true, ""},
                                        {u"dir\\f.txt", false, "hello engine"},
                                        {u"dir\\\u00FCnic\u00F6de \U0001F600.txt", false, ""}});
  callback->AddRef();
  EXPECT_EQ(outA->UpdateItems(stream, 3, callback), S_OK);
  callback->Release();
  stream->Release();
  outA->Release();

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
