// The viewer's one top-level window: menu bar, image area and status bar, a size only the
// program sets, and the keys of the accelerator table. Commands leave it as signals.
#pragma once

#include "MenuBar.h"
#include "Window.h"

#include <QWidget>

#include <map>

class ImageBrowser;
class QAction;
class QMenuBar;
class QTimer;

namespace platform {
class Desktop;
}

namespace qtui {

class ImageView;
class MainStatusBar;

class MainWindow : public QWidget, public platform::Window, public platform::MenuBar {
    Q_OBJECT

public:
    // Without menuAndStatus the window has neither menu bar nor status bar.
    MainWindow(platform::Desktop& desktop, ImageBrowser& browser, bool menuAndStatus);

    // Outer position as stored; platform::kDefaultPosition leaves that coordinate to the
    // window system (or, when only the other one is stored, centres it).
    void PlaceInitially(int x, int y);

    platform::WindowRect GetOuterRect() const override;
    platform::WindowRect GetRestoredRect() const override;
    void SetOuterRect(const platform::WindowRect& rect) override;
    void SetFixedSize(int width, int height) override;
    void SetTitle(const char* title) override;
    bool HasMenuBar() const override;
    void RequestRepaint() override;
    void Quit() override;

    void EnableItem(int command, bool enabled) override;

    // Null when hidden.
    MainStatusBar* GetStatusBar() const { return statusBar; }
    QMenuBar* GetMenuBar() const { return menuBar; }
    ImageView& GetView() const { return *view; }
    // The menu item of a command; null when there is none.
    QAction* GetMenuAction(int command) const;

signals:
    // A menu item or key of the accelerator table; keys fire whether or not their menu item is
    // greyed.
    void commandTriggered(int command);
    // The close box.
    void closeRequested();
    // The program should end once the running command has returned.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A modal dialog over the window pauses an animation until it closes.
    bool event(QEvent* event) override;

private:
    void BuildMenu();
    void BuildShortcuts();
    // Frame, caption and menu bar outside the client area, as the desktop measures them.
    QSize ClientSize(int outerWidth, int outerHeight) const;
    QMargins FrameOffsets() const;

    // Until the window manager has framed the window, Qt places its client area where the
    // frame was asked for, and the desktop measures a guessed frame: once the real frame is
    // known, the frame goes where it was asked for and the window is fitted again.
    void SettleFrame();
    // The frame's top-left point last asked for; the stored position is the same point.
    void Place(const QPoint& frameTopLeft);

    platform::Desktop& desktop;
    ImageBrowser& browser;
    QTimer* frameWatch = nullptr;
    int frameChecks = 0;
    bool frameSettled = false;
    bool placed = false;
    QPoint wantedFrame;
    platform::ScreenMetrics fittedWith;
    QMenuBar* menuBar = nullptr;
    ImageView* view = nullptr;
    MainStatusBar* statusBar = nullptr;
    std::map<int, QAction*> actions;
};

} // namespace qtui
