// The Windows command-line rules for splitting a parameters text.
#pragma once

#include <vector>

#include "platform/WinTypes.h"

// Blanks and tabs separate arguments outside double quotes; a quote inside
// a quoted group is written doubled or escaped with a backslash; 2n
// backslashes before a quote stand for n, 2n+1 for n and a literal quote;
// backslashes elsewhere are literal.
std::vector<WideString> SplitCommandLine(const WideString& parameters);

// The parameters text with every system path in it in host form: a path
// that starts an argument or follows "=" (also inside double quotes) runs to
// its closing quote or to the next blank. The rest of the text is unchanged.
WideString HostFormPaths(const WideString& parameters);

// A program started through ShellExecute finds its parameters text unsplit in
// this environment variable (UTF-8), as a Windows program finds its command
// line whole.
inline constexpr const char* CommandLineVariable = "WINDOWS_COMMAND_LINE";
