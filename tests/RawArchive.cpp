#include "tests/RawArchive.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/LibraryApi.h"
#include "sevenzip/EngineLibrary.h"
#include "sevenzip/PathUtils.h"

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


class TUpdateCallback : public TRefCounted<IArchiveUpdateCallback> {
 public:
  explicit TUpdateCallback(std::vector<TRawItem> items) : FItems(std::move(items)) {}
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
    const TRawItem& item = FItems[index];
    *value = {};
    switch (propID) {
      case kpidPath:
        value->vt = VT_BSTR;
        value->bstrVal = ItemNameToEngine(item.Name);
        break;
      case kpidIsDir:
        value->vt = VT_BOOL;
        value->boolVal = item.Directory || (item.Attributes & 0x10) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case kpidIsAnti:
        value->vt = VT_BOOL;
        value->boolVal = item.Anti ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case kpidSize:
        value->vt = VT_UI8;
        value->uhVal = item.Data.size();
        break;
      case kpidAttrib:
        if (item.Attributes == 0) break;
        value->vt = VT_UI4;
        value->ulVal = item.Attributes;
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
  std::vector<TRawItem> FItems;
};

}  // namespace

void WriteRawArchive(const std::string& hostPath, const std::vector<TRawItem>& items) {
  HMODULE library = nullptr;
  TCreateObjectFunc createObject = nullptr;
  if (!BindEngine(u"7za.dll", library, createObject)) throw std::runtime_error("no engine");
  IOutArchive* archive = nullptr;
  createObject(&CLSID_CFormat7z, &IID_IOutArchive, reinterpret_cast<void**>(&archive));
  const HANDLE file = CreateFileW(ToSystemPath(hostPath)->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
  auto* stream = new TFileOutStream(file);
  stream->AddRef();
  auto* callback = new TUpdateCallback(items);
  callback->AddRef();
  const HRESULT result = archive->UpdateItems(stream, static_cast<UInt32>(items.size()), callback);
  callback->Release();
  stream->Release();
  archive->Release();
  FreeLibrary(library);
  if (result != S_OK) throw std::runtime_error("the engine refused the archive");
}
