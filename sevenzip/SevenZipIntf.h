// The archive engine's object interfaces, in the method order of 7-Zip's
// published headers (IArchive.h, IStream.h, IProgress.h, IPassword.h), and
// the value types that cross with them on this host: a BSTR is a wchar_t
// string (4-byte units) with a length prefix, a PROPVARIANT is 16 bytes.
#pragma once

#include <cstdint>

#include "platform/ComTypes.h"

using UInt32 = std::uint32_t;
using Int32 = std::int32_t;
using UInt64 = std::uint64_t;
using Int64 = std::int64_t;
using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;
using BSTR = wchar_t*;
using VARIANT_BOOL = std::int16_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum : VARTYPE { VT_EMPTY = 0, VT_BSTR = 8, VT_BOOL = 11, VT_UI4 = 19, VT_UI8 = 21, VT_FILETIME = 64 };

struct PROPVARIANT {
  VARTYPE vt;
  std::uint16_t wReserved1;
  std::uint16_t wReserved2;
  std::uint16_t wReserved3;
  union {
    std::int32_t lVal;
    std::uint32_t ulVal;
    std::int64_t hVal;
    std::uint64_t uhVal;
    VARIANT_BOOL boolVal;
    FILETIME filetime;
    BSTR bstrVal;
  };
};
static_assert(sizeof(PROPVARIANT) == 16);

// Item properties (kpid).
enum : PROPID {
  kpidPath = 3,
  kpidIsDir = 6,
  kpidSize = 7,
  kpidPackSize = 8,
  kpidAttrib = 9,
  kpidCTime = 10,
  kpidATime = 11,
  kpidMTime = 12,
  kpidCRC = 19,
  kpidIsAnti = 21,
  kpidMethod = 22,
  kpidErrorFlags = 71,
  kpidWarningFlags = 72,
};

// The archive's error flag for a file that is no archive of the format.
constexpr UInt32 kpv_ErrorFlags_IsNotArc = 1;

// Extraction modes and operation results.
enum : Int32 { kExtract = 0, kTest = 1, kSkip = 2 };
enum : Int32 {
  kOK = 0,
  kUnsupportedMethod = 1,
  kDataError = 2,
  kCRCError = 3,
  kWrongPassword = 9,
};

// Module properties answered by GetModuleProp.
enum : PROPID { kModulePropInterfaceType = 0, kModulePropVersion = 1 };

// {23170F69-40C1-278A-0000-00GG00II0000}
constexpr GUID EngineInterfaceId(std::uint8_t group, std::uint8_t id) {
  return {0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, id, 0, 0}};
}

inline constexpr CLSID CLSID_CFormat7z = {0x23170F69, 0x40C1, 0x278A, {0x10, 0, 0, 0x01, 0x10, 0x07, 0, 0}};
inline constexpr IID IID_IProgress = EngineInterfaceId(0x00, 0x05);
inline constexpr IID IID_ISequentialInStream = EngineInterfaceId(0x03, 0x01);
inline constexpr IID IID_ISequentialOutStream = EngineInterfaceId(0x03, 0x02);
inline constexpr IID IID_IInStream = EngineInterfaceId(0x03, 0x03);
inline constexpr IID IID_IOutStream = EngineInterfaceId(0x03, 0x04);
inline constexpr IID IID_IStreamGetSize = EngineInterfaceId(0x03, 0x06);
inline constexpr IID IID_ICryptoGetTextPassword = EngineInterfaceId(0x05, 0x10);
inline constexpr IID IID_ICryptoGetTextPassword2 = EngineInterfaceId(0x05, 0x11);
inline constexpr IID IID_ISetProperties = EngineInterfaceId(0x06, 0x03);
inline constexpr IID IID_IArchiveOpenCallback = EngineInterfaceId(0x06, 0x10);
inline constexpr IID IID_IArchiveExtractCallback = EngineInterfaceId(0x06, 0x20);
inline constexpr IID IID_IInArchive = EngineInterfaceId(0x06, 0x60);
inline constexpr IID IID_IArchiveUpdateCallback = EngineInterfaceId(0x06, 0x80);
inline constexpr IID IID_IOutArchive = EngineInterfaceId(0x06, 0xA0);

struct ISequentialInStream : IUnknown {
  virtual HRESULT Read(void* data, UInt32 size, UInt32* processedSize) = 0;
};

struct ISequentialOutStream : IUnknown {
  virtual HRESULT Write(const void* data, UInt32 size, UInt32* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
  virtual HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) = 0;
};

struct IOutStream : ISequentialOutStream {
  virtual HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition) = 0;
  virtual HRESULT SetSize(UInt64 newSize) = 0;
};

struct IStreamGetSize : IUnknown {
  virtual HRESULT GetSize(UInt64* size) = 0;
};

struct IProgress : IUnknown {
  virtual HRESULT SetTotal(UInt64 total) = 0;
  virtual HRESULT SetCompleted(const UInt64* completeValue) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  virtual HRESULT CryptoGetTextPassword(BSTR* password) = 0;
};

struct ICryptoGetTextPassword2 : IUnknown {
  virtual HRESULT CryptoGetTextPassword2(Int32* passwordIsDefined, BSTR* password) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  virtual HRESULT SetTotal(const UInt64* files, const UInt64* bytes) = 0;
  virtual HRESULT SetCompleted(const UInt64* files, const UInt64* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  virtual HRESULT GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) = 0;
  virtual HRESULT PrepareOperation(Int32 askExtractMode) = 0;
  virtual HRESULT SetOperationResult(Int32 operationResult) = 0;
};

struct IArchiveUpdateCallback : IProgress {
  virtual HRESULT GetUpdateItemInfo(UInt32 index, Int32* newData, Int32* newProperties, UInt32* indexInArchive) = 0;
  virtual HRESULT GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(UInt32 index, ISequentialInStream** inStream) = 0;
  virtual HRESULT SetOperationResult(Int32 operationResult) = 0;
};

struct IInArchive : IUnknown {
  virtual HRESULT Open(IInStream* stream, const UInt64* maxCheckStartPosition, IArchiveOpenCallback* openCallback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(UInt32* numItems) = 0;
  virtual HRESULT GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const UInt32* indices, UInt32 numItems, Int32 testMode,
                          IArchiveExtractCallback* extractCallback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(UInt32* numProperties) = 0;
  virtual HRESULT GetPropertyInfo(UInt32 index, BSTR* name, PROPID* propID, VARTYPE* varType) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(UInt32* numProperties) = 0;
  virtual HRESULT GetArchivePropertyInfo(UInt32 index, BSTR* name, PROPID* propID, VARTYPE* varType) = 0;
};

struct IOutArchive : IUnknown {
  virtual HRESULT UpdateItems(ISequentialOutStream* outStream, UInt32 numItems,
                              IArchiveUpdateCallback* updateCallback) = 0;
  virtual HRESULT GetFileTimeType(UInt32* type) = 0;
};

struct ISetProperties : IUnknown {
  virtual HRESULT SetProperties(const wchar_t* const* names, const PROPVARIANT* values, UInt32 numProperties) = 0;
};

using TCreateObjectFunc = HRESULT (*)(const GUID* classId, const GUID* interfaceId, void** object);
