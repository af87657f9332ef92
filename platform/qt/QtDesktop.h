// The desktop on Qt: metrics of the primary screen and of the window manager's frames, the
// wait cursor, and message boxes.
#pragma once

#include "Desktop.h"

namespace platform {

class QtDesktop : public Desktop {
public:
    // Frames measured from the first shown, decorated top-level window (see QtWindow.h for the
    // main window). Before one is shown, or where the window system draws no frames (offscreen,
    // an X server without a window manager), the sizes of a common desktop stand in: 4-pixel
    // frames, the style's title bar height and the height of a one-line menu bar.
    ScreenMetrics GetScreenMetrics() const override;
    // Wait shows the busy cursor over every window at once, also when the caller runs a long
    // step without returning to the event loop. Waits nest (a command's step runs steps that wait
    // themselves): the arrow comes back with the Arrow that ends the outermost one.
    void SetCursor(CursorShape shape) override;
    // Plain text (a file name is never read as markup). Yes/No starts on Yes; Escape and the
    // close box answer No. A pending wait cursor pauses while the box waits for the user.
    MessageAnswer ShowMessage(const Window* owner, const char* caption, const char* text, MessageIcon icon,
                              MessageButtons buttons) override;
    void ProcessPendingEvents() override;

private:
    struct Frame {
        int width = 0;
        int height = 0;
        int caption = 0;
    };
    // The last frame a window manager drew: it stays valid while every window is hidden.
    mutable Frame m_measured;
    // A one-line menu bar in the application's style and font.
    mutable int m_menuHeight = 0;
    int m_waitDepth = 0;
};

} // namespace platform
