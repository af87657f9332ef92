// The main window together with what its commands reach: the command handler and the dialogs,
// over the desktop, clipboard and shell it is given.
#pragma once

#include "CommandHandler.h"
#include "DocumentDecoder.h"
#include "MainStatusBar.h"
#include "MainWindow.h"
#include "Prefetcher.h"
#include "QtTimer.h"
#include "QtViewerDialogs.h"

struct AppContext;
class ImageBrowser;
class ThumbnailPageBuilder;

namespace platform {
class Clipboard;
class Desktop;
class Shell;
} // namespace platform

namespace qtui {

class ViewerWindow {
public:
    // Creates the window hidden, at the stored position when there is one, with the status bar
    // split into its parts.
    ViewerWindow(const AppContext& app, ImageBrowser& browser, ThumbnailPageBuilder& builder,
                 platform::Desktop& desktop, platform::Clipboard& clipboard, platform::Shell& shell);
    // The browser stops using the window's prefetcher, whose thread ends with the window, and
    // its animation timer.
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    MainWindow& GetWindow() { return window; }
    // Null when hidden.
    platform::StatusBar* GetStatusBar() { return window.GetStatusBar(); }
    platform::MenuBar* GetMenuBar() { return window.HasMenuBar() ? &window : nullptr; }
    CommandHandler& GetCommands() { return commands; }
    Prefetcher& GetPrefetcher() { return prefetcher; }

private:
    ImageBrowser& imageBrowser;
    DocumentDecoder decoder;
    Prefetcher prefetcher{decoder};
    MainWindow window;
    QtViewerDialogs dialogs;
    CommandHandler commands;
    platform::QtTimer animationTimer;
};

} // namespace qtui
