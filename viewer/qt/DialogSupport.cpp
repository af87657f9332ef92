#include "DialogSupport.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qtui {

QSize DialogUnitsToPixels(const QWidget& widget, int x, int y)
{
    const QFontMetrics metrics(widget.font());
    return {x * metrics.averageCharWidth() / 4, y * metrics.height() / 8};
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QSize area = screen->geometry().size();
    const QSize size = window.frameGeometry().size();
    window.move((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
}

} // namespace qtui
