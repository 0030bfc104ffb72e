// Geometry as designed at 96 dots per inch, scaled to the screen.
#pragma once

#include <QFont>
#include <QWidget>

int Scaled(int designPixels);
// Places a control at its designed left, top, width and height; without a
// size it takes its natural one.
void Place(QWidget* control, int left, int top, int width = -1, int height = -1);
// A font of the given family and height in designed pixels.
QFont DesignFont(const QString& family, int pixels);
