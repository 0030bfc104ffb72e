// The window as the user meets it: pages, focus, position, the progress bar
// at its edges, captions that fit, and the file dialogs' offers.
#include <QFileDialog>
#include <QFontDatabase>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>

#include "app/Application.h"
#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"

namespace {

class Window : public FormFixture {
 protected:
  // The captions wider than the room their control gives them.
  static std::vector<std::string> Clipped(QWidget* root) {
    std::vector<std::string> clipped;
    const auto check = [&](QWidget* widget, const QString& text, int room) {
      if (!text.isEmpty() && widget->fontMetrics().horizontalAdvance(text) > room) clipped.push_back(text.toStdString());
    };
    for (auto* button : root->findChildren<QPushButton*>())
      check(button, button->text(), button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin));
    for (auto* box : root->findChildren<QCheckBox*>())
      check(box, box->text(),
            box->width() - box->style()->pixelMetric(QStyle::PM_IndicatorWidth) -
                box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing));
    for (auto* label : root->findChildren<QLabel*>())
      if (!label->text().startsWith('<')) check(label, label->text(), label->width());
    return clipped;
  }
  void ExpectCentred(QWidget* widget) {
    const QRect screen = widget->screen()->availableGeometry();
    EXPECT_LE(std::abs(widget->frameGeometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(widget->frameGeometry().center().y() - screen.center().y()), 2);
  }
  // Where focus goes from widget on Tab.
  QWidget* NextOnTab(QWidget* widget) {
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Tab);
    return QApplication::focusWidget();
  }
};

}  // namespace

TEST_F(Window, TheHiddenSyncPageIsOutOfReach) {
  ShowForm();
  QTabWidget* pages = Form->PageControl1;
  const int sync = pages->indexOf(Form->TabSheet3);
  EXPECT_FALSE(pages->isTabEnabled(sync));
  pages->setCurrentWidget(Form->TabSheet1);
  for (int i = 0; i < 8; ++i) {
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_NE(pages->currentIndex(), sync) << "Ctrl+Tab " << i;
  }
  pages->setCurrentWidget(Form->TabSheet1);
  pages->tabBar()->setFocus();
  for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left}) {
    QTest::keyClick(pages->tabBar(), key);
    EXPECT_NE(pages->currentIndex(), sync) << "arrow keys";
  }
  pages->setCurrentWidget(Form->TabSheet1);
  for (const int delta : {-120, -120, 120, 120}) {
    const QPointF at = pages->tabBar()->rect().center();
    QWheelEvent wheel(at, pages->tabBar()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(pages->tabBar(), &wheel);
    EXPECT_NE(pages->currentIndex(), sync) << "wheel";
  }
}

TEST_F(Window, TheWindowAndTheInfoDialogAreCentred) {
  ShowForm();
  ExpectCentred(Form.get());
  Press(Form->Button2);
  ExpectCentred(Form->AboutBox);
}

TEST_F(Window, TabFollowsTheDesignedOrder) {
  ShowForm();
  Form->activateWindow();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  EXPECT_EQ(NextOnTab(Form->BitBtn1), Form->BackupFileDir->Edit());
  EXPECT_EQ(NextOnTab(Form->BackupFileDir->Edit()), Form->ComboBox1);
  EXPECT_EQ(NextOnTab(Form->ComboBox1), Form->LeaveOutCachesBox);
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  EXPECT_EQ(NextOnTab(Form->RestoreFileName->Edit()), Form->BitBtn2);
  Form->PageControl1->setCurrentWidget(Form->TabSheet6);
  EXPECT_EQ(NextOnTab(Form->Button4), Form->Edit1);
}

TEST_F(Window, CachesAreLeftOutUnlessTheUserAsks) {
  const TForm1 fresh(ToolDirectory());
  EXPECT_TRUE(fresh.LeaveOutCachesBox->isChecked());
  EXPECT_FALSE(fresh.LeaveOutCachesBox->isHidden());
  EXPECT_EQ(fresh.LeaveOutCachesBox->text(), "Leave out the browser's caches (they are rebuilt)");
}

TEST_F(Window, ABarWithNothingToCountStandsStill) {
  ShowForm();
  Form->SevenZip1PreProgress(0);
  EXPECT_GT(Form->ProgressBar1->maximum(), Form->ProgressBar1->minimum());
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Type(Form->BackupFileDir, Dir.Host("empty.7z"));
  Press(Form->BitBtn1);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_GT(Form->ProgressBar1->maximum(), 0);
  EXPECT_EQ(Form->ProgressBar1->value(), 0);
  Dir.Write("Profile/empty file", "");
  Press(Form->BitBtn1);
  EXPECT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_GT(Form->ProgressBar1->maximum(), 0);
  EXPECT_EQ(Form->ProgressBar1->value(), Form->ProgressBar1->maximum());
}

TEST_F(Window, NoCaptionIsClippedWithTheDesignedFontOrTheFallback) {
  ShowForm();
  for (QWidget* page : {Form->TabSheet1, Form->TabSheet2, Form->TabSheet5, Form->TabSheet4, Form->TabSheet6}) {
    Form->PageControl1->setCurrentWidget(page);
    EXPECT_EQ(Clipped(page), std::vector<std::string>{}) << Form->font().family().toStdString();
  }
  EXPECT_EQ(QFontInfo(Form->font()).family(), "Tahoma");
  // The same window where no Tahoma can be loaded.
  QFont fallback = Form->font();
  fallback.setFamily("DejaVu Sans");
  Form->setFont(fallback);
  for (QWidget* page : {Form->TabSheet1, Form->TabSheet2, Form->TabSheet5, Form->TabSheet4, Form->TabSheet6}) {
    Form->PageControl1->setCurrentWidget(page);
    EXPECT_EQ(Clipped(page), std::vector<std::string>{}) << "fallback";
  }
}

TEST_F(Window, TheFileDialogsOfferEachFilterOnceAndNoFolderAsAName) {
  Dir.MakeDirectory("backups");
  ShowForm();
  QStringList filters;
  QString folder;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    filters = dialog->nameFilters();
    folder = dialog->directory().absolutePath();
    dialog->reject();
  });
  // The real dialogs of the application object, not the scripted answers.
  SetHostUserInterface(nullptr);
  TApplication application;
  Form->RestoreFileName->SetText(QString::fromStdString(Dir.Host("backups")));
  Form->RestoreFileName->BrowseButton()->click();
  EXPECT_EQ(filters.join(";").toStdString(), "Orvo-Backup (*.7z);All files (*.*)");
  EXPECT_EQ(folder.toStdString(), Dir.Host("backups"));
}
