#include "MainWindow.h"

#include "CommandIds.h"
#include "Desktop.h"
#include "ImageBrowser.h"
#include "ImageView.h"
#include "MainStatusBar.h"
#include "SettingsKeys.h"
#include "ViewConstants.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace qtui {

namespace {

// The browser places the window within the screen's usable area as the desktop reports it, from
// (0, 0); on the screen that area starts below or beside a panel.
QPoint UsableOrigin()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().topLeft() : QPoint();
}

// How long to wait for the window manager's frame: checked every 20 ms, for 2 seconds at most.
constexpr int kFrameCheckMs = 20;
constexpr int kFrameChecks = 100;

} // namespace

MainWindow::MainWindow(platform::Desktop& screen, ImageBrowser& shown, bool menuAndStatus)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      desktop(screen),
      browser(shown),
      frameWatch(new QTimer(this))
{
    frameWatch->setInterval(kFrameCheckMs);
    connect(frameWatch, &QTimer::timeout, this, &MainWindow::SettleFrame);
    setWindowTitle(QString::fromLatin1(settings::kAppName));
    setWindowIcon(QIcon(QStringLiteral(":/vistrel/vistrel.png")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (menuAndStatus) {
        menuBar = new QMenuBar(this);
        // The browser sizes the window with the desktop's menu height: the bar must be as tall.
        const int menuHeight = desktop.GetScreenMetrics().menuHeight;
        if (menuHeight > 0) menuBar->setFixedHeight(menuHeight);
        layout->setMenuBar(menuBar);
        BuildMenu();
    }
    view = new ImageView(shown, this);
    layout->addWidget(view, 1);
    if (menuAndStatus) {
        statusBar = new MainStatusBar(this);
        layout->addWidget(statusBar);
    }
    BuildShortcuts();

    SetFixedSize(view::kMinWidth, view::kMinHeight);
    resize(ClientSize(view::kMinWidth, view::kMinHeight));
}

void MainWindow::PlaceInitially(int x, int y)
{
    if (x == platform::kDefaultPosition && y == platform::kDefaultPosition) return;
    const platform::ScreenMetrics metrics = desktop.GetScreenMetrics();
    if (x == platform::kDefaultPosition) x = (metrics.screenWidth - view::kMinWidth) / 2;
    if (y == platform::kDefaultPosition) y = (metrics.screenHeight - view::kMinHeight) / 2;
    Place(QPoint(x, y) + UsableOrigin());
}

void MainWindow::Place(const QPoint& frameTopLeft)
{
    wantedFrame = frameTopLeft;
    placed = true;
    move(frameTopLeft);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!frameSettled && !frameWatch->isActive()) frameWatch->start();
}

bool MainWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowBlocked) browser.PauseAnimation(true);
    if (event->type() == QEvent::WindowUnblocked) browser.PauseAnimation(false);
    return QWidget::event(event);
}

void MainWindow::SettleFrame()
{
    if (FrameOffsets().top() <= 0 && ++frameChecks < kFrameChecks) return;
    frameWatch->stop();
    frameSettled = true;
    if (placed && frameGeometry().topLeft() != wantedFrame) move(wantedFrame);
    const platform::ScreenMetrics now = desktop.GetScreenMetrics();
    if (now.frameWidth != fittedWith.frameWidth || now.frameHeight != fittedWith.frameHeight ||
        now.captionHeight != fittedWith.captionHeight)
        browser.FitWindow();
}

platform::WindowRect MainWindow::GetOuterRect() const
{
    const platform::ScreenMetrics metrics = desktop.GetScreenMetrics();
    const QPoint origin = UsableOrigin();
    return {x() - origin.x(), y() - origin.y(), width() + 2 * metrics.frameWidth,
            height() + 2 * metrics.frameHeight + metrics.captionHeight};
}

platform::WindowRect MainWindow::GetRestoredRect() const
{
    if (!isMaximized() && !isFullScreen()) return GetOuterRect();
    const platform::ScreenMetrics metrics = desktop.GetScreenMetrics();
    const QRect normal = normalGeometry();
    const QMargins frame = FrameOffsets();
    const QPoint origin = UsableOrigin();
    return {normal.x() - frame.left() - origin.x(), normal.y() - frame.top() - origin.y(),
            normal.width() + 2 * metrics.frameWidth, normal.height() + 2 * metrics.frameHeight + metrics.captionHeight};
}

void MainWindow::SetOuterRect(const platform::WindowRect& rect)
{
    fittedWith = desktop.GetScreenMetrics();
    Place(QPoint(rect.left, rect.top) + UsableOrigin());
    resize(ClientSize(rect.width, rect.height));
    show();
    raise();
}

void MainWindow::SetFixedSize(int width, int height)
{
    setFixedSize(ClientSize(width, height));
}

void MainWindow::SetTitle(const char* title)
{
    setWindowTitle(QString::fromLocal8Bit(title ? title : ""));
}

bool MainWindow::HasMenuBar() const
{
    return menuBar != nullptr;
}

void MainWindow::RequestRepaint()
{
    view->update();
}

void MainWindow::Quit()
{
    emit quitRequested();
}

void MainWindow::EnableItem(int command, bool enabled)
{
    if (QAction* action = GetMenuAction(command)) action->setEnabled(enabled);
}

QAction* MainWindow::GetMenuAction(int command) const
{
    const auto found = actions.find(command);
    return found == actions.end() ? nullptr : found->second;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window stays until the program ends, as after every other way of quitting.
    event->ignore();
    emit closeRequested();
}

void MainWindow::BuildMenu()
{
    for (const command::Menu& menu : command::MainMenu()) {
        QMenu* dropDown = menuBar->addMenu(QString::fromLatin1(menu.title));
        for (const command::MenuItem& item : menu.items) {
            if (!item.text) {
                dropDown->addSeparator();
                continue;
            }
            // The text after the tab shows as the item's key; the key itself is a shortcut of
            // the window, so that a greyed item does not disable it.
            QAction* action = dropDown->addAction(QString::fromLatin1(item.text));
            const int id = item.command;
            connect(action, &QAction::triggered, this, [this, id] { emit commandTriggered(id); });
            actions[id] = action;
        }
    }
}

void MainWindow::BuildShortcuts()
{
    for (const command::Accelerator& accelerator : command::Accelerators()) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(accelerator.key)), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = accelerator.command;
        connect(shortcut, &QShortcut::activated, this, [this, id] { emit commandTriggered(id); });
    }
}

QSize MainWindow::ClientSize(int outerWidth, int outerHeight) const
{
    const platform::ScreenMetrics metrics = desktop.GetScreenMetrics();
    return {std::max(0, outerWidth - 2 * metrics.frameWidth),
            std::max(0, outerHeight - 2 * metrics.frameHeight - metrics.captionHeight)};
}

QMargins MainWindow::FrameOffsets() const
{
    const QWindow* handle = windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace qtui
