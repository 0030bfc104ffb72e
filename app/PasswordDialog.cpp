#include "app/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "app/QtStrings.h"
#include "profile/ArchivePassword.h"

TPasswordDialog::TPasswordDialog(const WideString& archiveName, bool wrongBefore, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Password");
  auto* layout = new QVBoxLayout(this);
  PromptLabel = new QLabel(ToQString((wrongBefore ? WrongPassword + u" " : WideString()) +
                                     u"The backup " + archiveName + u" is protected by a password. Enter it:"),
                           this);
  PromptLabel->setWordWrap(true);
  PasswordEdit = new QLineEdit(this);
  PasswordEdit->setEchoMode(QLineEdit::Password);
  ShowBox = new QCheckBox("Show", this);
  connect(ShowBox, &QCheckBox::toggled, this,
          [this](bool shown) { PasswordEdit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  for (QWidget* widget : std::initializer_list<QWidget*>{PromptLabel, PasswordEdit, ShowBox, buttons})
    layout->addWidget(widget);
  resize(420, sizeHint().height());
}

bool AskArchivePassword(QWidget* parent, const WideString& archiveName, bool wrongBefore, WideString& password) {
  TPasswordDialog dialog(archiveName, wrongBefore, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  password = ToWide(dialog.PasswordEdit->text());
  dialog.PasswordEdit->clear();
  return true;
}
