// The arithmetic of the main view: how big the window and its image area are for an image on a
// given screen, where the image goes inside the area, and where the frame rings lie.
#pragma once

#include "Window.h"

namespace view {

struct ImageFit {
    int viewWidth = 0;
    int viewHeight = 0;
    // -1 when there is no image: the zoom keeps its value.
    int zoomPercent = -1;
    bool centred = false;
    platform::WindowRect window;
};

// imageWidth and imageHeight are 0 when there is no image. current is the window's outer
// rectangle now; a window that would leave the screen is centred instead.
ImageFit FitImage(const platform::ScreenMetrics& metrics, int statusBarHeight, bool drawBorder,
                  int imageWidth, int imageHeight, const platform::WindowRect& current);

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The one outer size the window may take.
Size SizeLimits(const platform::ScreenMetrics& metrics, int statusBarHeight, bool menuShown,
                bool hasImage, int viewWidth, int viewHeight);

struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// Where a w x h picture is drawn in an area, keeping its proportions: centred at its own size
// when it fits, else shrunk to the area less margin on each side.
Placement PlaceInArea(int w, int h, int areaWidth, int areaHeight, int margin);

struct Ring {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Ring&, const Ring&) = default;
};

inline constexpr int kFrameRings = 9;

// Ring 0 is the outermost, ring 8 touches the drawn image; right and bottom are inclusive.
Ring FrameRing(int viewWidth, int viewHeight, int drawnWidth, int drawnHeight, int ring);

} // namespace view
