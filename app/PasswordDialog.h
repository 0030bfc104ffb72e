// The question for the password of an archive, before a restore.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include "platform/WinTypes.h"

class TPasswordDialog : public QDialog {
 public:
  TPasswordDialog(const WideString& archiveName, bool wrongBefore, QWidget* parent);

  QLabel* PromptLabel;
  QLineEdit* PasswordEdit;
  QCheckBox* ShowBox;
};

// Asks for the archive's password; false when the user cancels.
bool AskArchivePassword(QWidget* parent, const WideString& archiveName, bool wrongBefore, WideString& password);
