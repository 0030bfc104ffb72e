#include "app/Layout.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

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

namespace {

// The faces the windows were designed with, from Debian's fonts-wine.
void LoadDesignFaces() {
  static const bool loaded = [] {
    for (const char* face : {"tahoma.ttf", "ms_sans_serif.ttf"})
      QFontDatabase::addApplicationFont(QString("/usr/share/wine/fonts/") + face);
    return true;
  }();
  (void)loaded;
}

// The width a control needs to show its whole caption besides its text.
int ChromeWidth(QWidget* control) {
  const QStyle* style = control->style();
  if (auto* button = qobject_cast<QPushButton*>(control))
    return 2 * style->pixelMetric(QStyle::PM_ButtonMargin) +
           (button->icon().isNull() ? 0 : button->iconSize().width() + style->pixelMetric(QStyle::PM_ButtonMargin));
  if (qobject_cast<QCheckBox*>(control))
    return style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  return 0;
}

QString CaptionOf(QWidget* control) {
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  auto* label = qobject_cast<QLabel*>(control);
  return label && label->textFormat() != Qt::RichText && !label->text().startsWith('<') ? label->text() : QString();
}

}  // namespace

QFont DesignFont(const QString& family, int pixels) {
  LoadDesignFaces();
  QFont font(family);
  font.setPixelSize(Scaled(pixels));
  return font;
}

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect frame = window->frameGeometry();
  window->move(screen->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void FitCaptions(QWidget* root) {
  for (QWidget* control : root->findChildren<QWidget*>()) {
    if (!qobject_cast<QPushButton*>(control) && !qobject_cast<QCheckBox*>(control) && !qobject_cast<QLabel*>(control))
      continue;
    const QString caption = CaptionOf(control);
    if (caption.isEmpty()) continue;
    const int needed = control->fontMetrics().horizontalAdvance(caption) + ChromeWidth(control);
    if (needed > control->width()) control->resize(needed, control->height());
  }
}
