// The main window's title and the four parts of its status bar, refreshed from the browser
// after every command that can change the image.
#pragma once

class ImageBrowser;

namespace platform {
class StatusBar;
class Window;
} // namespace platform

// Splits a new status bar into its parts and gives them their first texts.
void InitStatusBar(ImageBrowser& browser, platform::StatusBar& statusBar);

// statusBar is null when the status bar is hidden.
void UpdateTitleAndStatus(ImageBrowser& browser, platform::Window& window, platform::StatusBar* statusBar);
