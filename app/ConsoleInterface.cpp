#include "app/ConsoleInterface.h"

#include <cstdio>

#include "platform/HostPath.h"

TConsoleInterface::TConsoleInterface() { SetHostUserInterface(this); }

TConsoleInterface::~TConsoleInterface() { SetHostUserInterface(nullptr); }

int TConsoleInterface::MessageBox(const WideString& text, const WideString& caption, UINT type) {
  std::fprintf(stderr, "OrvoTool: %s: %s\n", ConsoleText(caption).c_str(), ConsoleText(text).c_str());
  return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

std::string ConsoleText(const WideString& text) {
  std::string console;
  for (const char c : Utf16ToUtf8Lossy(text)) {
    if (c == '\r') continue;
    console += c == '\\' ? '/' : c;
  }
  return console;
}

void SayError(const WideString& text) { std::fprintf(stderr, "OrvoTool: %s\n", ConsoleText(text).c_str()); }
