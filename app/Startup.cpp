#include "app/Startup.h"

#include <QApplication>

#include "app/Application.h"
#include "app/MainForm.h"
#include "platform/Exceptions.h"
#include "profile/HostServices.h"

int RunTool(int argc, char* argv[]) {
  QApplication qt(argc, argv);
  TApplication application;
  std::unique_ptr<TForm1> form;
  try {
    form = std::make_unique<TForm1>(GetToolDirectory());
  } catch (...) {
    HandleEventError(std::current_exception());
    return 1;
  }
  form->show();
  return QApplication::exec();
}
