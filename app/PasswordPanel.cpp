#include "app/PasswordPanel.h"

#include "app/Layout.h"
#include "app/QtStrings.h"

TPasswordPanel::TPasswordPanel(QWidget* parent) : QWidget(parent) {
  ProtectBox = new QCheckBox("Protect the backup with a password", this);
  Place(ProtectBox, 13, 0);
  NoteLabel = new QLabel("A lost password cannot be recovered.", this);
  Place(NoteLabel, 349, 2);
  PasswordEdit = new QLineEdit(this);
  PasswordEdit->setPlaceholderText("password");
  Place(PasswordEdit, 13, 22, 150, 21);
  ConfirmEdit = new QLineEdit(this);
  ConfirmEdit->setPlaceholderText("the same again");
  Place(ConfirmEdit, 173, 22, 150, 21);
  ShowBox = new QCheckBox("Show", this);
  Place(ShowBox, 333, 24);
  connect(ProtectBox, &QCheckBox::toggled, this, [this] { ShowState(); });
  connect(ShowBox, &QCheckBox::toggled, this, [this] { ShowState(); });
  ShowState();
}

void TPasswordPanel::ShowState() {
  const bool on = ProtectBox->isChecked();
  const auto echo = ShowBox->isChecked() ? QLineEdit::Normal : QLineEdit::Password;
  for (QLineEdit* edit : {PasswordEdit, ConfirmEdit}) {
    edit->setEnabled(on);
    edit->setEchoMode(echo);
  }
  ShowBox->setEnabled(on);
}

std::optional<WideString> TPasswordPanel::Refusal() const {
  if (!ProtectBox->isChecked()) return std::nullopt;
  if (PasswordEdit->text().isEmpty())
    return WideString(u"Enter a password, or turn the protection off. Nothing was written.");
  if (PasswordEdit->text() != ConfirmEdit->text())
    return WideString(u"The two passwords differ. Nothing was written.");
  return std::nullopt;
}

WideString TPasswordPanel::Password() const {
  return ProtectBox->isChecked() ? ToWide(PasswordEdit->text()) : WideString();
}
