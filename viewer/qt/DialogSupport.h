// Shared by the viewer's modal dialogs: their size in dialog units and their place on screen.
#pragma once

#include <QSize>

class QWidget;

namespace qtui {

// A size given in dialog units (a quarter of the font's average character width, an eighth of
// its height) in pixels for the widget's font.
QSize DialogUnitsToPixels(const QWidget& widget, int x, int y);

// Centres the window on the primary screen, halving toward zero.
void CentreOnScreen(QWidget& window);

} // namespace qtui
