// What the layers below show in boxes, written to stderr for the command
// line, where nobody answers: a question is answered No, which changes nothing.
#pragma once

#include <string>

#include "platform/UserInterface.h"

class TConsoleInterface : public THostUserInterface {
 public:
  TConsoleInterface();
  ~TConsoleInterface() override;

  int MessageBox(const WideString& text, const WideString& caption, UINT type) override;
  void ProcessMessages() override {}
  bool OpenFileDialog(OPENFILENAMEW&) override { return false; }
  bool SaveFileDialog(OPENFILENAMEW&) override { return false; }
};

// A message for the terminal: UTF-8, host paths, one kind of line break.
std::string ConsoleText(const WideString& text);
// Writes "OrvoTool: " and the message to stderr.
void SayError(const WideString& text);
