#include "tests/ScriptedUserInterface.h"

#include <algorithm>

TScriptedUserInterface::TScriptedUserInterface() { SetHostUserInterface(this); }

TScriptedUserInterface::~TScriptedUserInterface() { SetHostUserInterface(nullptr); }

int TScriptedUserInterface::MessageBox(const WideString& text, const WideString& caption, UINT type) {
  Boxes.push_back({text, caption, type});
  if (OnBox) OnBox(Boxes.back());
  if (BoxAnswers.empty()) return IDOK;
  const int answer = BoxAnswers.front();
  BoxAnswers.pop_front();
  return answer;
}

bool TScriptedUserInterface::OpenFileDialog(OPENFILENAMEW& dialog) {
  TShownDialog shown{dialog.lpstrTitle ? dialog.lpstrTitle : u"",
                     dialog.lpstrInitialDir ? dialog.lpstrInitialDir : u"", {}};
  for (LPCWSTR text = dialog.lpstrFilter; text && *text; text += WideString(text).size() + 1)
    shown.Filter.emplace_back(text);
  Dialogs.push_back(shown);
  if (DialogAnswers.empty() || !DialogAnswers.front()) {
    if (!DialogAnswers.empty()) DialogAnswers.pop_front();
    return false;
  }
  const WideString answer = *DialogAnswers.front();
  DialogAnswers.pop_front();
  const auto length = std::min<std::size_t>(answer.size(), dialog.nMaxFile - 1);
  std::copy_n(answer.begin(), length, dialog.lpstrFile);
  dialog.lpstrFile[length] = u'\0';
  return true;
}
