// The folders a Chromium-family browser rebuilds by itself (its caches),
// which a backup may leave out.
#pragma once

#include <vector>

#include "platform/WinTypes.h"

// The rebuilt folders, relative to the profile tree's top folder or to a
// profile folder in it ("Default", "Profile 1").
extern const std::vector<WideString> RebuiltFolders;

// Whether a path relative to the top folder names a rebuilt folder or a
// runtime file of the browser (Singleton*), which no backup needs.
bool IsRebuilt(const WideString& relative);

// What the component is given to back the tree up: the top folder as a
// whole, or, leaving the rebuilt folders out, the folders and files around
// them (a folder without one below it stays a single mask).
std::vector<WideString> BackupEntries(const WideString& profileDirectory, bool withCaches);

// Empties every rebuilt folder of the tree; false when something stayed.
bool DeleteBrowserCaches(const WideString& profileDirectory);
