// Writes a picture of every visible page of the main window and of the
// Info dialog into the folder named on the command line.
#include <QApplication>
#include <QDir>

#include "app/Application.h"
#include "app/MainForm.h"
#include "profile/HostServices.h"

int main(int argc, char* argv[]) {
  QApplication qt(argc, argv);
  TApplication application;
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("screenshots");
  QDir().mkpath(folder);
  TForm1 form(GetToolDirectory());
  form.show();
  for (int page = 0; page < form.PageControl1->count(); ++page) {
    if (!form.PageControl1->isTabVisible(page)) continue;
    form.PageControl1->setCurrentIndex(page);
    QApplication::processEvents();
    const QString name = form.PageControl1->tabText(page).replace(' ', '-');
    form.grab().save(folder + "/" + QString::number(page + 1) + "-" + name + ".png");
  }
  form.AboutBox->show();
  QApplication::processEvents();
  form.AboutBox->grab().save(folder + "/Info.png");
  return 0;
}
