// The Backup page's password: a check box that protects the backup, the
// password twice (hidden unless shown) and a note that a lost password
// cannot be recovered.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "platform/WinTypes.h"

class TPasswordPanel : public QWidget {
 public:
  explicit TPasswordPanel(QWidget* parent);

  // Why the backup cannot start with what the boxes hold (no password, or
  // two different ones); none when it can.
  std::optional<WideString> Refusal() const;
  // The password to encrypt with; empty when the backup is not protected.
  WideString Password() const;

  QCheckBox* ProtectBox;
  QLineEdit* PasswordEdit;
  QLineEdit* ConfirmEdit;
  QCheckBox* ShowBox;
  QLabel* NoteLabel;

 private:
  void ShowState();
};
