// Binding of the engine library, and the strings and values that cross into
// it. Strings the engine frees, and strings it hands out, belong to its own
// allocator: they are made and freed with the engine's exported
// SysAllocString and SysFreeString, taken when the engine is bound.
#pragma once

#include <string>

#include "sevenzip/SevenZipIntf.h"

// Loads the library (a plain name is looked for beside the executable
// first) and takes its CreateObject entry. Refuses an engine whose interface
// type is not the plain-vtable one or that lacks the string functions; on
// any failure nothing stays loaded and the outputs are null.
bool BindEngine(const WideString& libraryName, HMODULE& library, TCreateObjectFunc& createObject);

// A string for the engine to own.
BSTR EngineAllocString(const WideString& text);
void EngineFreeString(BSTR text);
// Clears a value the engine filled, freeing what it holds.
void EngineClearValue(PROPVARIANT& value);

// UTF-16 to the engine's 4-byte characters and back. The engine on this host
// takes one UTF-16 unit per character (an astral character as its surrogate
// pair), as the 7z format stores names and as its key derivation reads
// passwords; what it hands back may hold either form, and both are read.
std::wstring ToEngineChars(const WideString& text);
WideString FromEngineChars(const wchar_t* text);

// Item names: '\' travels as the 7z format's '/', and comes back as '\'.
BSTR ItemNameToEngine(const WideString& name);
WideString ItemNameFromEngine(const wchar_t* name);
