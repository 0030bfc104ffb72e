#include "sevenzip/ExecutableImage.h"

#include <algorithm>
#include <cstring>

#include "platform/FileApi.h"
#include "sevenzip/PathUtils.h"

namespace {

template <typename T>
bool ReadValue(HANDLE file, Int64 offset, T& value) {
  return ReadAt(file, offset, &value, sizeof value) == sizeof value;
}

// PE: the raw data of the last section ends the image.
Int64 PortableImageEnd(HANDLE file) {
  UInt32 header = 0, signature = 0;
  std::uint16_t sections = 0, optionalSize = 0;
  if (!ReadValue(file, 60, header) || !ReadValue(file, header, signature) || signature != 0x00004550 ||
      !ReadValue(file, header + 6, sections) || !ReadValue(file, header + 20, optionalSize))
    return -1;
  const Int64 table = Int64{header} + 24 + optionalSize;
  Int64 end = -1;
  for (std::uint16_t i = 0; i < sections; ++i) {
    UInt32 rawSize = 0, rawOffset = 0;
    if (!ReadValue(file, table + i * 40 + 16, rawSize) || !ReadValue(file, table + i * 40 + 20, rawOffset)) return -1;
    end = std::max<Int64>(end, Int64{rawOffset} + rawSize);
  }
  return end;
}

// ELF: the section header table comes last in the image.
Int64 ElfImageEnd(HANDLE file) {
  unsigned char ident[6] = {};
  if (ReadAt(file, 0, ident, sizeof ident) != sizeof ident || ident[5] != 1) return -1;
  std::uint16_t entrySize = 0, entries = 0;
  if (ident[4] == 2) {
    UInt64 table = 0;
    if (!ReadValue(file, 0x28, table) || !ReadValue(file, 0x3A, entrySize) || !ReadValue(file, 0x3C, entries)) return -1;
    return static_cast<Int64>(table) + Int64{entrySize} * entries;
  }
  UInt32 table = 0;
  if (!ReadValue(file, 0x20, table) || !ReadValue(file, 0x2E, entrySize) || !ReadValue(file, 0x30, entries)) return -1;
  return Int64{table} + Int64{entrySize} * entries;
}

}  // namespace

UInt32 ReadAt(HANDLE file, Int64 offset, void* buffer, UInt32 size) {
  DWORD count = 0;
  return FileReadAt(file, offset, buffer, size, count) ? count : 0;
}

Int64 ExecutableImageEnd(HANDLE file, Int64 fileSize) {
  char magic[4] = {};
  ReadAt(file, 0, magic, sizeof magic);
  Int64 end = -1;
  if (std::memcmp(magic, "MZ", 2) == 0) end = PortableImageEnd(file);
  if (std::memcmp(magic, "\x7F" "ELF", 4) == 0) end = ElfImageEnd(file);
  return end > 0 && end <= fileSize ? end : fileSize;
}
