// What a folder holds, in words for a message box: how many files, their
// size in all and when the newest of them was last changed (local time).
#pragma once

#include "platform/WinTypes.h"

WideString DescribeFolder(const WideString& path);
