// The Info dialog: program name, version, notice; modeless, hidden by OK.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent);

  QLabel* ProductName;
  QLabel* Version;
  QPushButton* OKButton;

 private:
  void OKButtonClick();
};
