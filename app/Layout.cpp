#include "app/Layout.h"

#include <QGuiApplication>
#include <QScreen>

int Scaled(int designPixels) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
  return qRound(designPixels * dpi / 96.0);
}

void Place(QWidget* control, int left, int top, int width, int height) {
  if (width < 0) {
    control->adjustSize();
    control->move(Scaled(left), Scaled(top));
    return;
  }
  control->setGeometry(Scaled(left), Scaled(top), Scaled(width), Scaled(height));
}

QFont DesignFont(const QString& family, int pixels) {
  QFont font(family);
  font.setPixelSize(Scaled(pixels));
  return font;
}
