#include "ViewSizing.h"

#include "ViewConstants.h"

#include <algorithm>

namespace view {

namespace {

int OuterWidth(const platform::ScreenMetrics& m, int viewWidth)
{
    return viewWidth + 2 * m.frameWidth;
}

// The menu bar is always counted here, also when it is hidden.
int OuterHeight(const platform::ScreenMetrics& m, int statusBarHeight, int viewHeight)
{
    return viewHeight + statusBarHeight + 2 * m.frameHeight + m.captionHeight + m.menuHeight;
}

// Unsigned on purpose: an edge left of or above the screen counts as too far as well.
bool Beyond(int value, int limit)
{
    return unsigned(value) > unsigned(limit);
}

bool Beyond(int start, int extent, int limit)
{
    return unsigned(start) + unsigned(extent) > unsigned(limit);
}

} // namespace

ImageFit FitImage(const platform::ScreenMetrics& m, int statusBarHeight, bool drawBorder,
                  int w, int h, const platform::WindowRect& current)
{
    ImageFit fit;
    const int sw = m.screenWidth;
    const int sh = m.screenHeight;
    int outerWidth;
    int outerHeight;
    if (w > 0 && h > 0) {
        const int pad = drawBorder ? kFramePad : 0;
        fit.viewWidth = w + pad;
        fit.viewHeight = h + pad;
        outerWidth = OuterWidth(m, fit.viewWidth);
        outerHeight = OuterHeight(m, statusBarHeight, fit.viewHeight);
        if (sw < outerWidth || sh - kScreenReserve < outerHeight) {
            // At least one pixel, so that a screen too small for the window cannot divide by zero;
            // the minimum size below takes over then.
            const int availableWidth = std::max(1, sw - (2 * m.frameWidth + kScaledReserveX) - pad);
            const int availableHeight = std::max(1, sh - (2 * m.frameHeight + kScaledReserveY) -
                                                        statusBarHeight - pad - m.captionHeight - m.menuHeight);
            const double area = double(availableWidth) / availableHeight;
            const double ratio = double(w) / h;
            if (area < ratio) {
                fit.viewWidth = availableWidth + pad;
                fit.viewHeight = int(availableWidth / ratio) + pad;
            } else if (area > ratio) {
                fit.viewHeight = availableHeight + pad;
                fit.viewWidth = int(availableHeight * ratio) + pad;
            } else {
                fit.viewWidth = availableWidth + pad;
                fit.viewHeight = availableHeight + pad;
            }
            outerWidth = OuterWidth(m, fit.viewWidth);
            outerHeight = OuterHeight(m, statusBarHeight, fit.viewHeight);
            fit.zoomPercent = int(long(fit.viewWidth) * 100 / w);
            fit.centred = true;
        } else {
            fit.zoomPercent = 100;
        }
        if (outerWidth < kMinWidth) {
            fit.viewWidth = kMinWidth;
            outerWidth = OuterWidth(m, kMinWidth);
        }
        if (outerHeight < kMinHeight) {
            fit.viewHeight = kMinHeight;
            outerHeight = OuterHeight(m, statusBarHeight, kMinHeight);
        }
    } else {
        fit.viewWidth = kMinWidth;
        fit.viewHeight = kMinHeight;
        outerWidth = OuterWidth(m, kMinWidth);
        outerHeight = OuterHeight(m, statusBarHeight, kMinHeight);
    }

    const int centreX = (sw - outerWidth) / 2;
    const int centreY = (sh - outerHeight) / 2 - kCentreShift;
    int x = current.left;
    int y = current.top;
    if (fit.centred || Beyond(current.left, outerWidth, sw) || Beyond(current.left, sw)) x = centreX;
    if (fit.centred || Beyond(current.top, outerHeight, sh - kScreenReserve) || Beyond(current.top, sh))
        y = centreY;
    fit.window = {x, y, outerWidth, outerHeight};
    return fit;
}

Size SizeLimits(const platform::ScreenMetrics& m, int statusBarHeight, bool menuShown, bool hasImage,
                int viewWidth, int viewHeight)
{
    if (!hasImage) return {kMinWidth, kMinHeight};
    Size size;
    size.width = OuterWidth(m, viewWidth);
    size.height = viewHeight + statusBarHeight + 2 * m.frameHeight + m.captionHeight +
                  (menuShown ? m.menuHeight : 0);
    if (size.width < kMinWidth) size.width = kMinWidth;
    if (size.height < kMinHeight) size.height = kMinHeight;
    return size;
}

Placement PlaceInArea(int w, int h, int areaWidth, int areaHeight, int margin)
{
    Placement p;
    if (w <= 0 || h <= 0 || areaWidth <= 0 || areaHeight <= 0) return p;
    if (w < areaWidth) {
        p.x = (areaWidth - w) / 2;
        p.width = w;
    } else {
        p.x = margin;
        p.width = areaWidth - 2 * margin;
    }
    if (h < areaHeight) {
        p.y = (areaHeight - h) / 2;
        p.height = h;
    } else {
        p.y = margin;
        p.height = areaHeight - 2 * margin;
    }
    if (w >= areaWidth || h >= areaHeight) {
        const double ratio = double(w) / h;
        const double areaRatio = double(areaWidth) / areaHeight;
        if (ratio > areaRatio) {
            p.width = areaWidth - 2 * margin;
            p.height = int(p.width / ratio);
            p.x = margin;
            p.y = (areaHeight - p.height) / 2;
        } else if (ratio < areaRatio) {
            p.height = areaHeight - 2 * margin;
            p.width = int(p.height * ratio);
            p.y = margin;
            p.x = (areaWidth - p.width) / 2;
        }
    }
    return p;
}

Ring FrameRing(int viewWidth, int viewHeight, int drawnWidth, int drawnHeight, int ring)
{
    Ring r;
    r.left = (viewWidth - drawnWidth) / 2 - kFrameMargin + ring;
    r.top = (viewHeight - drawnHeight) / 2 - kFrameMargin + ring;
    r.right = viewWidth - 1 - r.left;
    r.bottom = viewHeight - 1 - r.top;
    return r;
}

} // namespace view
