// Start-up of the tool: the application object and its one window.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName("Orvo Backup and Config Tool");
  QWidget window;
  window.setWindowTitle("Orvo Backup and Config Tool");
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(new QLabel("Backup, restore and settings for the portable Orvo browser."));
  window.resize(345, 200);
  window.show();
  return QApplication::exec();
}
