#include "QtDesktop.h"

#include "QtWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace platform {

namespace {

constexpr int kFallbackFrame = 4;

bool Decorated(const QWidget& widget)
{
    const Qt::WindowType type = widget.windowType();
    return widget.isVisible() && (type == Qt::Window || type == Qt::Dialog) &&
           !widget.windowFlags().testFlag(Qt::FramelessWindowHint);
}

QMessageBox::Icon ToQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString Text(const char* text)
{
    return QString::fromUtf8(text ? text : "");
}

} // namespace

ScreenMetrics QtDesktop::GetScreenMetrics() const
{
    ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        metrics.screenWidth = area.width();
        metrics.screenHeight = area.height();
    }
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (!Decorated(*widget)) continue;
        const QRect outer = widget->frameGeometry();
        const QRect inner = widget->geometry();
        const int left = inner.left() - outer.left();
        const int right = outer.right() - inner.right();
        const int top = inner.top() - outer.top();
        const int bottom = outer.bottom() - inner.bottom();
        // Without a caption the border is not a window manager's frame (the offscreen platform
        // draws a bare 2-pixel one).
        if (top <= bottom) continue;
        m_measured = {(left + right) / 2, bottom, top - bottom};
        break;
    }
    if (m_measured.caption > 0) {
        metrics.frameWidth = m_measured.width;
        metrics.frameHeight = m_measured.height;
        metrics.captionHeight = m_measured.caption;
    } else {
        metrics.frameWidth = kFallbackFrame;
        metrics.frameHeight = kFallbackFrame;
        metrics.captionHeight = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    }
    if (m_menuHeight == 0) {
        QMenuBar probe;
        // A desktop's global menu would take the bar out of the window and report no height.
        probe.setNativeMenuBar(false);
        probe.addMenu(QStringLiteral("&File"));
        m_menuHeight = probe.sizeHint().height();
    }
    metrics.menuHeight = m_menuHeight;
    return metrics;
}

void QtDesktop::SetCursor(CursorShape shape)
{
    if (shape == CursorShape::Wait) {
        if (m_waitDepth++ > 0) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The caller goes on without returning to the event loop: hand the cursor to the window
        // system now.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } else if (m_waitDepth > 0 && --m_waitDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void QtDesktop::ProcessPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

MessageAnswer QtDesktop::ShowMessage(const Window* owner, const char* caption, const char* text,
                                     MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(ToQt(icon), Text(caption), Text(text), QMessageBox::NoButton, AsWidget(owner));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = nullptr;
    if (buttons == MessageButtons::YesNo) {
        yes = box.addButton(QMessageBox::Yes);
        box.setEscapeButton(box.addButton(QMessageBox::No));
        box.setDefaultButton(yes);
    } else {
        box.setDefaultButton(box.addButton(QMessageBox::Ok));
    }
    const int waitDepth = m_waitDepth;
    if (waitDepth > 0) {
        m_waitDepth = 0;
        QApplication::restoreOverrideCursor();
    }
    box.exec();
    if (waitDepth > 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitDepth = waitDepth;
    }
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace platform
