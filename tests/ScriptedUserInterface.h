// A user interface for tests: message boxes and open-file dialogs are
// answered from scripts, and what they showed is recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/UserInterface.h"

struct TShownBox {
  WideString Text;
  WideString Caption;
  UINT Type;
};

struct TShownDialog {
  WideString Title;
  WideString InitialDirectory;
  std::vector<WideString> Filter;
};

class TScriptedUserInterface : public THostUserInterface {
 public:
  TScriptedUserInterface();
  ~TScriptedUserInterface() override;

  int MessageBox(const WideString& text, const WideString& caption, UINT type) override;
  void ProcessMessages() override { ++MessagesProcessed; }
  bool OpenFileDialog(OPENFILENAMEW& dialog) override;
  bool SaveFileDialog(OPENFILENAMEW& dialog) override { return OpenFileDialog(dialog); }

  // Answers for the coming boxes (IDOK when the script is empty).
  std::deque<int> BoxAnswers;
  // Answers for the coming dialogs: a file name, or nothing to cancel
  // (cancel when the script is empty).
  std::deque<std::optional<WideString>> DialogAnswers;

  // Called as each box is shown, before it is answered.
  std::function<void(const TShownBox&)> OnBox;

  std::vector<TShownBox> Boxes;
  std::vector<TShownDialog> Dialogs;
  int MessagesProcessed = 0;
};
