#include "FakePlatform.h"
#include "ViewSizing.h"

#include <gtest/gtest.h>

using platform::WindowRect;
using view::FitImage;
using view::Placement;
using view::PlaceInArea;

namespace {

constexpr int kStatus = 20;
// Outer height added to the image area: status bar, two frames, caption, menu bar.
constexpr int kChrome = kStatus + 8 + 19 + 19;

const platform::ScreenMetrics kScreen = testsupport::FakeDesktop().metrics;
const WindowRect kSomewhere{100, 50, 400, 340};

} // namespace

TEST(ViewSizing, SmallImageGetsTheMinimumAreaAndIsCentredInIt)
{
    view::ImageFit fit = FitImage(kScreen, kStatus, false, 200, 100, kSomewhere);
    EXPECT_EQ(fit.viewWidth, 400);
    EXPECT_EQ(fit.viewHeight, 340);
    EXPECT_EQ(fit.zoomPercent, 100);
    EXPECT_FALSE(fit.centred);
    EXPECT_EQ(fit.window, (WindowRect{100, 50, 408, 340 + kChrome}));
    EXPECT_EQ(PlaceInArea(200, 100, 400, 340, 0), (Placement{100, 120, 200, 100}));

    view::ImageFit framed = FitImage(kScreen, kStatus, true, 200, 100, kSomewhere);
    EXPECT_EQ(framed.viewWidth, 400);
    EXPECT_EQ(framed.viewHeight, 340);
    Placement image = PlaceInArea(200, 100, 400, 340, 9);
    EXPECT_EQ(image, (Placement{100, 120, 200, 100}));
    // The innermost ring lies directly around the image; the outermost 8 pixels further out.
    EXPECT_EQ(view::FrameRing(400, 340, image.width, image.height, 8), (view::Ring{99, 119, 300, 220}));
    EXPECT_EQ(view::FrameRing(400, 340, image.width, image.height, 0), (view::Ring{91, 111, 308, 228}));
}

TEST(ViewSizing, MinimumWidthComparesTheOuterWidth)
{
    view::ImageFit narrow = FitImage(kScreen, kStatus, false, 390, 300, kSomewhere);
    EXPECT_EQ(narrow.viewWidth, 400);
    EXPECT_EQ(narrow.window.width, 408);
    view::ImageFit wide = FitImage(kScreen, kStatus, false, 395, 300, kSomewhere);
    EXPECT_EQ(wide.viewWidth, 395);
    EXPECT_EQ(wide.window.width, 403);
    // The height too is compared as an outer height: 300 + chrome is above 340 already.
    EXPECT_EQ(wide.viewHeight, 300);
    EXPECT_EQ(FitImage(kScreen, kStatus, false, 395, 340 - kChrome - 1, kSomewhere).viewHeight, 340);
    EXPECT_EQ(FitImage(kScreen, kStatus, false, 395, 340 - kChrome, kSomewhere).viewHeight, 340 - kChrome);
    // With the frame, the 18 pixels of padding count towards the width.
    view::ImageFit framed = FitImage(kScreen, kStatus, true, 390, 300, kSomewhere);
    EXPECT_EQ(framed.viewWidth, 408);
    EXPECT_EQ(framed.viewHeight, 318);
}

TEST(ViewSizing, ImageTooBigForTheScreenIsScaledAndCentred)
{
    view::ImageFit fit = FitImage(kScreen, kStatus, false, 3000, 2000, kSomewhere);
    // Available: 1024 - 18 = 1006 wide, 768 - 44 - 20 - 38 = 666 high; 1006/666 > 3/2.
    EXPECT_EQ(fit.viewHeight, 666);
    EXPECT_EQ(fit.viewWidth, 999);
    EXPECT_EQ(fit.zoomPercent, 33);
    EXPECT_TRUE(fit.centred);
    EXPECT_EQ(fit.window, (WindowRect{8, 5, 1007, 666 + kChrome}));

    view::ImageFit framed = FitImage(kScreen, kStatus, true, 3000, 2000, kSomewhere);
    // The padding comes off the available size and goes back on the area.
    EXPECT_EQ(framed.viewHeight, 648 + 18);
    EXPECT_EQ(framed.viewWidth, 972 + 18);
    EXPECT_EQ(framed.zoomPercent, 990 * 100 / 3000);

    // Just too tall: 768 - 26 is the limit of the outer height.
    const int tallest = 768 - 26 - kChrome;
    EXPECT_EQ(FitImage(kScreen, kStatus, false, 500, tallest, kSomewhere).zoomPercent, 100);
    EXPECT_TRUE(FitImage(kScreen, kStatus, false, 500, tallest + 1, kSomewhere).centred);
    // Just too wide: the outer width may equal the screen width.
    EXPECT_EQ(FitImage(kScreen, kStatus, false, 1016, 300, kSomewhere).zoomPercent, 100);
    EXPECT_TRUE(FitImage(kScreen, kStatus, false, 1017, 300, kSomewhere).centred);
}

TEST(ViewSizing, PanoramaFillsTheWidthAndIsCentredVertically)
{
    view::ImageFit fit = FitImage(kScreen, kStatus, false, 4000, 200, kSomewhere);
    EXPECT_EQ(fit.viewWidth, 1006);
    EXPECT_EQ(fit.viewHeight, 340);
    EXPECT_EQ(fit.zoomPercent, 25);
    EXPECT_EQ(fit.window, (WindowRect{5, 168, 1014, 340 + kChrome}));
    EXPECT_EQ(PlaceInArea(4000, 200, 1006, 340, 0), (Placement{0, 145, 1006, 50}));
    EXPECT_EQ(PlaceInArea(4000, 200, 1006, 340, 9), (Placement{9, 145, 988, 49}));
}

TEST(ViewSizing, ImageAreaLessMarginsForALargeImage)
{
    // Same proportions as the area: the size of step one stands.
    EXPECT_EQ(PlaceInArea(800, 600, 400, 300, 9), (Placement{9, 9, 382, 282}));
    // Taller than the area: fit the height and centre horizontally.
    EXPECT_EQ(PlaceInArea(300, 1000, 400, 340, 0), (Placement{149, 0, 102, 340}));
    EXPECT_EQ(PlaceInArea(0, 10, 400, 340, 0), Placement{});
}

TEST(ViewSizing, NoImageGivesTheMinimumAndKeepsTheZoom)
{
    view::ImageFit fit = FitImage(kScreen, kStatus, true, 0, 0, kSomewhere);
    EXPECT_EQ(fit.viewWidth, 400);
    EXPECT_EQ(fit.viewHeight, 340);
    EXPECT_EQ(fit.zoomPercent, -1);
    EXPECT_EQ(fit.window, (WindowRect{100, 50, 408, 340 + kChrome}));
}

TEST(ViewSizing, WindowLeavingTheScreenIsCentredPerCoordinate)
{
    const int outerHeight = 340 + kChrome;
    const int centreX = (1024 - 408) / 2;
    const int centreY = (768 - outerHeight) / 2 - 13;
    auto placed = [](WindowRect current) { return FitImage(kScreen, kStatus, false, 200, 100, current).window; };
    EXPECT_EQ(placed({616, 50, 1, 1}).left, 616); // right edge exactly on the screen's edge
    EXPECT_EQ(placed({617, 50, 1, 1}).left, centreX);
    EXPECT_EQ(placed({-1, 50, 1, 1}).left, centreX);
    EXPECT_EQ(placed({-1, 50, 1, 1}).top, 50);
    EXPECT_EQ(placed({10, 768 - 26 - outerHeight, 1, 1}).top, 768 - 26 - outerHeight);
    EXPECT_EQ(placed({10, 768 - 26 - outerHeight + 1, 1, 1}).top, centreY);
    EXPECT_EQ(placed({10, -5, 1, 1}).top, centreY);
    EXPECT_EQ(placed({10, -5, 1, 1}).left, 10);
}

TEST(ViewSizing, TinyScreenStillGivesTheMinimum)
{
    platform::ScreenMetrics tiny = kScreen;
    tiny.screenWidth = 20;
    tiny.screenHeight = 30;
    view::ImageFit fit = FitImage(tiny, kStatus, true, 640, 480, kSomewhere);
    EXPECT_EQ(fit.viewWidth, 400);
    EXPECT_EQ(fit.viewHeight, 340);
    EXPECT_GE(fit.zoomPercent, 0);
}

TEST(ViewSizing, SizeLimitsCountTheMenuOnlyWhenShown)
{
    using view::Size;
    EXPECT_EQ(view::SizeLimits(kScreen, kStatus, true, false, 999, 999), (Size{400, 340}));
    EXPECT_EQ(view::SizeLimits(kScreen, kStatus, true, true, 500, 400), (Size{508, 400 + kChrome}));
    EXPECT_EQ(view::SizeLimits(kScreen, kStatus, false, true, 500, 400), (Size{508, 400 + kChrome - 19}));
    EXPECT_EQ(view::SizeLimits(kScreen, 0, false, true, 100, 100), (Size{400, 340}));
}
