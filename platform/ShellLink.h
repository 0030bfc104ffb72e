// The shell link object: writes a shortcut file in the Shell Link Binary
// File Format, or, under a name ending in ".desktop", the Desktop Entry that
// Linux desktops run. Paths are stored in host form, also those in the
// arguments, as this host's programs read them.
#pragma once

#include "platform/ComTypes.h"

inline constexpr CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

constexpr DWORD CLSCTX_INPROC_SERVER = 1;

struct IShellLinkW : IUnknown {
  virtual HRESULT SetPath(LPCWSTR file) = 0;
  virtual HRESULT SetArguments(LPCWSTR arguments) = 0;
  virtual HRESULT SetWorkingDirectory(LPCWSTR directory) = 0;
};

struct IPersistFile : IUnknown {
  virtual HRESULT Save(LPCWSTR fileName, BOOL remember) = 0;
};

// Only CLSID_ShellLink is known.
HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid, void** object);
