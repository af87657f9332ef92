// The program's entry: settings, splash, installation check, template, command line, and then
// either the thumbnail page of a directory without any window, or the main window.
#pragma once

#include "AppContext.h"

#include <string>
#include <vector>

class ImageBrowser;
class ThumbnailPageBuilder;

namespace platform {
class Desktop;
class MenuBar;
class StatusBar;
class Window;
} // namespace platform

// What start-up needs from the window system it runs on.
class StartUpHost {
public:
    virtual ~StartUpHost() = default;

    virtual platform::Desktop& GetDesktop() = 0;
    // Shows the start-up splash and returns when it has closed; false when it cannot be shown
    // (no display).
    virtual bool ShowSplash() = 0;
    // Creates and shows the main window with its command handler; false when it cannot.
    virtual bool CreateMainWindow(const AppContext& app, ImageBrowser& browser, ThumbnailPageBuilder& builder) = 0;
    // Valid after CreateMainWindow; the status bar and menu bar are null when hidden.
    virtual platform::Window* GetMainWindow() = 0;
    virtual platform::StatusBar* GetStatusBar() = 0;
    virtual platform::MenuBar* GetMenuBar() = 0;
    // Runs until the main window quits; returns the exit code.
    virtual int RunEventLoop() = 0;
};

// The directory of the first "/t" (any case) that has an argument after it; null without one.
const std::string* FindThumbnailDirectory(const std::vector<std::string>& arguments);

// arguments: the command line without the program name. Returns the process's exit code: 1
// only when the thumbnail page of "/t DIR" was built.
int RunStartUp(const std::vector<std::string>& arguments, StartUpHost& host, ImageBrowser& browser,
               ThumbnailPageBuilder& builder);
