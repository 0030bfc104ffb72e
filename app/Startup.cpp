#include "app/Startup.h"

#include <QApplication>

#include "app/Application.h"
#include "platform/Exceptions.h"
#include "profile/HostServices.h"

namespace {

const WideString EngineOnThisHost =
    u"\r\n\r\nOn this system 7za.dll is a link beside the program to 7z.so, the 7-Zip engine of the Debian "
    u"package p7zip-full (/usr/lib/p7zip/7z.so). Install the package (sudo apt-get install p7zip-full) and build "
    u"the tool again with ./scripts/setup.";

}  // namespace

std::unique_ptr<TForm1> CreateMainWindow(const WideString& toolDirectory, const WideString& engineLibrary) {
  try {
    return std::make_unique<TForm1>(toolDirectory, engineLibrary);
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& failure) {
    throw Exception(failure.Message() + EngineOnThisHost);
  }
}

int RunTool(int argc, char* argv[]) {
  QApplication qt(argc, argv);
  TApplication application;
  std::unique_ptr<TForm1> form;
  try {
    form = CreateMainWindow(GetToolDirectory());
  } catch (...) {
    HandleEventError(std::current_exception());
    return 1;
  }
  form->show();
  return QApplication::exec();
}
