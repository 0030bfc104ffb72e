// The 7z format's start header: the signature and the place of the archive's
// end header, the first 32 bytes of every archive (behind the stub of a
// self-extracting one).
#pragma once

#include "sevenzip/SevenZipIntf.h"

inline constexpr unsigned char SevenZipSignature[6] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C};
inline constexpr UInt32 StartHeaderSize = 32;

// The length of the whole archive as its start header gives it (the header,
// the data and the end header), or 0 when the bytes hold no sound start
// header: the signature must match and the header's checksum agree.
Int64 ArchiveLengthFromStartHeader(const unsigned char (&header)[StartHeaderSize]);
