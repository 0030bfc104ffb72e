// A freedesktop notification server for tests, on the session bus it finds:
// every notification asked for is appended to a file, summary and body on a
// line each. Ends after the given number of seconds.
//   NotificationServer FILE SECONDS
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>

class TNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  explicit TNotifications(const QString& file) : FFile(file) {}

 public slots:
  QStringList GetCapabilities() { return {"body"}; }
  QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
    vendor = "tests", version = "1", specVersion = "1.2";
    return "NotificationServer";
  }
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
              const QVariantMap&, int) {
    QFile file(FFile);
    if (file.open(QIODevice::Append)) file.write((summary + "\n" + body + "\n").toUtf8());
    return ++FCount;
  }
  void CloseNotification(uint) {}

 private:
  QString FFile;
  uint FCount = 0;
};

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  if (argc != 3) return 2;
  TNotifications notifications(argv[1]);
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/freedesktop/Notifications", &notifications, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.Notifications")) {
    std::fprintf(stderr, "NotificationServer: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  QTimer::singleShot(std::atoi(argv[2]) * 1000, &application, &QCoreApplication::quit);
  return application.exec();
}

#include "NotificationServer.moc"
