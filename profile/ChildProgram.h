// Starting a helper program (the service manager, the notifier) with its
// output hidden, and waiting a bounded time for it.
#pragma once

#include <optional>
#include <vector>

#include "platform/WinTypes.h"

// One argument of a parameters text, quoted by the Windows rules so that it
// arrives whole, blanks and quotes included.
WideString QuotedArgument(const WideString& argument);
// Runs the program with these arguments; its exit code, or none when it
// could not be started or did not end within the time (it is then ended).
std::optional<DWORD> RunProgram(const WideString& program, const std::vector<WideString>& arguments,
                                DWORD milliseconds);
