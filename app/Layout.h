// Geometry as designed at 96 dots per inch, scaled to the screen.
#pragma once

#include <QFont>
#include <QWidget>

int Scaled(int designPixels);
// Places a control at its designed left, top, width and height; without a
// size it takes its natural one.
void Place(QWidget* control, int left, int top, int width = -1, int height = -1);
// A font of the given family and height in designed pixels. The window's
// Tahoma and the Info dialog's MS Sans Serif are those Debian's fonts-wine
// ships, loaded when they are there.
QFont DesignFont(const QString& family, int pixels);
// Centres a window on its screen.
void CentreOnScreen(QWidget* window);
// Widens the buttons and check boxes, and the labels, below root whose
// caption the font in use makes wider than their designed room.
void FitCaptions(QWidget* root);
