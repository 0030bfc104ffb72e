#include "sevenzip/StartHeader.h"

#include <cstring>

namespace {

UInt32 Crc32(const unsigned char* data, std::size_t size) {
  UInt32 crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

UInt64 LittleEndian(const unsigned char* bytes, int count) {
  UInt64 value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

Int64 ArchiveLengthFromStartHeader(const unsigned char (&header)[StartHeaderSize]) {
  if (std::memcmp(header, SevenZipSignature, sizeof SevenZipSignature) != 0) return 0;
  if (Crc32(header + 12, 20) != LittleEndian(header + 8, 4)) return 0;
  const UInt64 offset = LittleEndian(header + 12, 8), size = LittleEndian(header + 20, 8);
  constexpr UInt64 Limit = UInt64{1} << 62;
  if (offset > Limit || size > Limit) return 0;
  return static_cast<Int64>(StartHeaderSize + offset + size);
}
