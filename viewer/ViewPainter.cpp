#include "ViewPainter.h"

#include "ImageBrowser.h"
#include "RasterDC.h"
#include "ViewConstants.h"
#include "ViewSizing.h"

namespace {

constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);
constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);

ColorRef RingColour(int ring)
{
    if (ring < 3) return view::kBackground;
    if (ring == 3 || ring == view::kFrameRings - 1) return kBlack;
    return kWhite;
}

// A closed one-pixel outline, corners included.
void Outline(RasterDC& dc, const view::Ring& r, ColorRef colour)
{
    dc.Line(r.left, r.top, r.right, r.top, colour);
    dc.Line(r.left, r.bottom, r.right + 1, r.bottom, colour);
    dc.Line(r.left, r.top, r.left, r.bottom, colour);
    dc.Line(r.right, r.top, r.right, r.bottom, colour);
}

} // namespace

void PaintView(ImageBrowser& browser, RasterDC& dc)
{
    dc.FillRect({0, 0, dc.GetWidth(), dc.GetHeight()}, view::kBackground);
    if (!browser.HasCurrentImage()) return;
    int drawnWidth = 0;
    int drawnHeight = 0;
    browser.Draw(dc, drawnWidth, drawnHeight);
    if (!browser.GetDrawBorder()) return;
    for (int ring = 0; ring < view::kFrameRings; ++ring)
        Outline(dc,
                view::FrameRing(browser.GetViewWidth(), browser.GetViewHeight(), drawnWidth, drawnHeight, ring),
                RingColour(ring));
}
