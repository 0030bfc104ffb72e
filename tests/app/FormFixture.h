// A portable layout in a temporary directory with the real main window on
// it, and a user interface whose boxes and dialogs the test answers.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "app/QtStrings.h"
#include "tests/ScriptedUserInterface.h"
#include "tests/TempDir.h"

// Processes Qt's pending events where the system processes its messages.
class TQtScriptedUserInterface : public TScriptedUserInterface {
 public:
  void ProcessMessages() override {
    TScriptedUserInterface::ProcessMessages();
    QApplication::processEvents();
  }
};

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  // Creates and shows the window.
  TForm1& ShowForm();
  // Types a host path into a file-name box and presses a button.
  void Press(QAbstractButton* button);
  void Type(TFileNameEdit* box, const std::string& hostText);
  WideString ToolDirectory() const { return Dir.System() + u"\\"; }
  std::string LastBoxText() const;
  // Runs the action, answering the password questions it asks in turn (none:
  // Cancel); gives the questions' prompts.
  std::vector<std::string> AnsweringPasswords(std::vector<std::optional<std::string>> answers,
                                              const std::function<void()>& action);

  TTempDir Dir;
  TQtScriptedUserInterface UI;
  std::unique_ptr<TForm1> Form;
};
