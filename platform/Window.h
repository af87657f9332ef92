// What the viewer asks of its top-level windows and of the screen they live on. Sizes and
// positions are outer ones (frame, caption and menu bar included) in screen pixels.
#pragma once

#include <climits>

namespace platform {

// Stored window position meaning "let the window system choose".
constexpr int kDefaultPosition = INT_MIN;

struct ScreenMetrics {
    int screenWidth = 0;
    int screenHeight = 0;
    // Sizing frame of a resizable window, on each side.
    int frameWidth = 0;
    int frameHeight = 0;
    int captionHeight = 0;
    int menuHeight = 0;
};

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

class Window {
public:
    virtual ~Window() = default;

    virtual WindowRect GetOuterRect() const = 0;
    // The outer rectangle the window has when neither minimised nor maximised.
    virtual WindowRect GetRestoredRect() const = 0;
    // Moves and sizes the window, raises it to the top and shows it.
    virtual void SetOuterRect(const WindowRect& rect) = 0;
    // The only outer size the user may give the window: it cannot be resized by hand.
    virtual void SetFixedSize(int width, int height) = 0;
    virtual void SetTitle(const char* title) = 0;
    virtual bool HasMenuBar() const = 0;
    // Asks for the whole client area to be painted again, without erasing it first.
    virtual void RequestRepaint() = 0;
    // Ends the program's event loop with exit code 0 once the current command has run.
    virtual void Quit() = 0;
};

// A status bar along the bottom of a window, split into parts.
class StatusBar {
public:
    virtual ~StatusBar() = default;

    virtual int GetHeight() const = 0;
    // Geometry relative to the owning window's outer rectangle.
    virtual void Place(const WindowRect& rect) = 0;
    // Right edges of the parts in pixels; -1 extends a part to the right edge.
    virtual void SetParts(const int* rightEdges, int count) = 0;
    virtual void SetText(int part, const char* text) = 0;
};

} // namespace platform
