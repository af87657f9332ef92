// Runs the main window's commands, by identifier, against the browser and the page builder,
// and refreshes title, status bar, view and menu afterwards.
#pragma once

#include "AppContext.h"

class ImageBrowser;
class ThumbnailPageBuilder;
class ViewerDialogs;

namespace platform {
class Clipboard;
class Desktop;
class MenuBar;
class Shell;
class StatusBar;
class Window;
} // namespace platform

// Everything a command reaches; statusBar and menuBar are null when they are hidden.
struct CommandContext {
    ImageBrowser& browser;
    ThumbnailPageBuilder& builder;
    const AppContext& app;
    platform::Desktop& desktop;
    platform::Window& window;
    platform::StatusBar* statusBar;
    platform::MenuBar* menuBar;
    platform::Clipboard& clipboard;
    platform::Shell& shell;
    ViewerDialogs& dialogs;
};

// Description and pattern pairs of the Open and Save As dialogs, in the form ViewerDialogs takes.
extern const char kOpenFilter[];
// The Open list without its first pair, so the chosen index is the save type.
extern const char kSaveFilter[];

class CommandHandler {
public:
    explicit CommandHandler(const CommandContext& context);

    // false for an identifier that is no command of the main window.
    bool Execute(int command);
    // Closes the shell's windows, saves the window settings and ends the event loop; nothing
    // when the user keeps an editor with unsaved changes open. The close box comes here too.
    void Quit();
    // Writes the window position (only when the store exists) and the menu/status setting.
    void SaveWindowSettings();

private:
    CommandContext m_context;
};

// Enables and greys the menu items from the browser's state; nothing without a menu bar.
void UpdateMenuState(platform::MenuBar* menu, const ImageBrowser& browser, const ThumbnailPageBuilder& builder,
                     const AppContext& app);
