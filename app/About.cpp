#include "app/About.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>

#include "app/Layout.h"

namespace {

QPixmap ProgramIcon() {
  QPixmap icon(64, 64);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(30, 90, 170));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(4, 4, 56, 56);
  painter.setPen(QPen(Qt::white, 6));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(18, 18, 28, 28);
  return icon;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Info");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  setFont(DesignFont("MS Sans Serif", 11));
  setFixedSize(Scaled(298), Scaled(213));
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Place(panel, 8, 8, 281, 161);
  auto* icon = new QLabel(panel);
  icon->setPixmap(ProgramIcon());
  icon->setScaledContents(true);
  Place(icon, 8, 8, 64, 64);
  ProductName = new QLabel("Orvo Config and Backup Tool", panel);
  Place(ProductName, 88, 16);
  Version = new QLabel("1.32", panel);
  Place(Version, 88, 40);
  Place(new QLabel("Free software for the portable Orvo browser.", panel), 8, 88);
  auto* link = new QLabel("<a href=\"#\">orvo.example</a>", panel);
  link->setTextInteractionFlags(Qt::TextBrowserInteraction);
  Place(link, 8, 112, 111, 17);
  OKButton = new QPushButton("OK", this);
  OKButton->setDefault(true);
  Place(OKButton, 111, 180, 75, 25);
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  FitCaptions(this);
}

void TAboutBox::OKButtonClick() { hide(); }
