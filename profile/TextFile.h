// Small text files the tool keeps (its log, the schedule's units), read whole
// and written whole: a file is replaced by a complete new one or left as it
// was; and the first bytes of any file, which tell its kind.
#pragma once

#include <string>

#include "platform/WinTypes.h"

// The file's bytes; empty when it cannot be read.
std::string ReadTextFile(const WideString& name);
// Writes beside the file and renames over it; false when it could not.
bool WriteTextFile(const WideString& name, const std::string& text);
// Whether the file begins with these bytes (a signature).
bool FileBeginsWith(const WideString& name, const std::string& bytes);
