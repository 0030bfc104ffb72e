#include "tests/app/FormFixture.h"

#include <QTest>
#include <QTimer>

#include "app/PasswordDialog.h"

#include "app/QtStrings.h"

void FormFixture::SetUp() {
  Dir.MakeDirectory("Profile");
  Dir.MakeDirectory("Orvo");
}

TForm1& FormFixture::ShowForm() {
  Form = std::make_unique<TForm1>(ToolDirectory());
  Form->show();
  QApplication::processEvents();
  // The tests compare whole trees: they back the caches up too unless they say otherwise.
  Form->LeaveOutCachesBox->setChecked(false);
  return *Form;
}

void FormFixture::Press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

void FormFixture::Type(TFileNameEdit* box, const std::string& hostText) {
  box->Edit()->clear();
  QTest::keyClicks(box->Edit(), QString::fromStdString(hostText));
}

std::vector<std::string> FormFixture::AnsweringPasswords(std::vector<std::optional<std::string>> answers,
                                                         const std::function<void()>& action) {
  std::vector<std::string> prompts;
  QTimer answering;
  QObject::connect(&answering, &QTimer::timeout, [&] {
    auto* dialog = dynamic_cast<TPasswordDialog*>(QApplication::activeModalWidget());
    if (!dialog || answers.empty()) return;
    prompts.push_back(dialog->PromptLabel->text().toStdString());
    const std::optional<std::string> answer = answers.front();
    answers.erase(answers.begin());
    if (!answer) return dialog->reject();
    dialog->PasswordEdit->setText(QString::fromStdString(*answer));
    dialog->accept();
  });
  answering.start(10);
  action();
  return prompts;
}

std::string FormFixture::LastBoxText() const {
  if (UI.Boxes.empty()) return "<no box>";
  const WideString& text = UI.Boxes.back().Text;
  return ToQString(text).toStdString();
}
