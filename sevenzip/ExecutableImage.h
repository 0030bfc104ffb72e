// Where the image of an executable ends in its file: data appended to a
// PE or ELF executable (a self-extracting archive) begins there.
#pragma once

#include "sevenzip/SevenZipIntf.h"

// The end of the image for a PE or ELF file, or fileSize when the headers
// say nothing. Reads at positions: the file position is left as it was.
Int64 ExecutableImageEnd(HANDLE file, Int64 fileSize);
// Reads up to size bytes at offset; answers the count read.
UInt32 ReadAt(HANDLE file, Int64 offset, void* buffer, UInt32 size);
