#include "tests/app/FormFixture.h"

#include <QTest>

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

std::string FormFixture::LastBoxText() const {
  if (UI.Boxes.empty()) return "<no box>";
  const WideString& text = UI.Boxes.back().Text;
  return ToQString(text).toStdString();
}
