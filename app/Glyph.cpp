#include "app/Glyph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPainterPath CheckMark(double dx, double dy) {
  QPainterPath path;
  path.moveTo(2 + dx, 9 + dy);
  path.lineTo(6 + dx, 14 + dy);
  path.lineTo(16 + dx, 3 + dy);
  return path;
}

// One 18 x 18 image of the glyph; the background stays transparent.
QPixmap Image(bool enabled) {
  QPixmap image(18, 18);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const auto stroke = [&](const QPainterPath& path, const QColor& colour, double width) {
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
  };
  if (enabled) {
    stroke(CheckMark(1, 1), QColor(0, 0, 128), 3);
    stroke(CheckMark(0, 0), QColor(0, 160, 0), 3);
  } else {
    stroke(CheckMark(1, 1), Qt::white, 3);
    stroke(CheckMark(0, 0), Qt::gray, 3);
  }
  return image;
}

}  // namespace

QIcon CheckMarkGlyph() {
  QIcon icon;
  icon.addPixmap(Image(true), QIcon::Normal);
  icon.addPixmap(Image(false), QIcon::Disabled);
  return icon;
}
