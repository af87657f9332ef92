// The splash and About window's rules, free of any toolkit: what it shows, where the three text
// lines go, when its one-second timer closes it and whether a click or key does.
#pragma once

#include "Picture.h"

#include <array>
#include <string>

class RasterDC;

namespace splash {

// The texts this program shows on the splash and in the About box.
inline constexpr char kLine1[] = "Vistrel";
inline constexpr char kLine2[] = "Version 1.4";
inline constexpr char kLine3[] = "Browse, view and share the images of your folders";
// Seconds the start-up splash stays when nobody clicks it.
inline constexpr int kStartupTimeout = 5;

inline constexpr int kTimerPeriodMs = 1000;
inline constexpr int kLongestTimeout = 60;
inline constexpr std::size_t kLineCapacity = 255;

struct Params {
    // The artwork; null when it could not be loaded.
    const BitmapDescription* bitmap = nullptr;
    // Seconds until the window closes by itself; 0 and values outside 0-60 mean never.
    int timeout = 0;
    // With a time-out running, clicks and keys do not close the window.
    bool ignoreClicks = false;
    // All three must be given for any text to be shown.
    const char* line1 = nullptr;
    const char* line2 = nullptr;
    const char* line3 = nullptr;
};

// Text is drawn in black bold Arial at (x, y), the top of a cell `height` pixels tall.
struct TextLine {
    int x = 0;
    int y = 0;
    int height = 0;
    std::string text;

    // Empty texts, negative positions and heights below 1 draw nothing.
    bool IsDrawable() const { return !text.empty() && x >= 0 && y >= 0 && height > 0; }
};

struct Position {
    int x = 0;
    int y = 0;
    friend bool operator==(const Position&, const Position&) = default;
};

class SplashScreen {
public:
    // Takes the artwork and the texts; false when the artwork cannot be used.
    bool Prepare(const Params& params);

    const Picture& GetPicture() const { return picture; }
    int GetWidth() const;
    int GetHeight() const;
    // Top-left corner that centres the window on the screen.
    Position CentreOn(int screenWidth, int screenHeight) const;
    const std::array<TextLine, 3>& GetLines() const { return lines; }

    bool UsesTimer() const { return timeout > 0; }
    // One tick of the one-second timer; true when the window must close now.
    bool OnTimerTick();
    // A mouse button or key went down on the window; true when the window must close.
    bool OnClickOrKey() const;

    // Draws the artwork at (0, 0) in its own size; the text goes on top with the toolkit.
    bool Paint(RasterDC& dc);

private:
    Picture picture;
    std::array<TextLine, 3> lines;
    int timeout = 0;
    int ticks = 0;
    bool ignoreClicks = false;
};

} // namespace splash
