// Window sizing, title and status texts as the browser drives them.
#include "BrowserFixture.h"
#include "TitleAndStatus.h"

#include <gtest/gtest.h>

using platform::WindowRect;

namespace {
constexpr int kChrome = 20 + 8 + 19 + 19;
}

TEST_F(BrowserTest, SmallImageSizesTheWindowToTheMinimum)
{
    WriteImage("small.bmp", 200, 100);
    ASSERT_TRUE(browser.LoadFile(PathOf("small.bmp").c_str()));
    EXPECT_EQ(browser.GetViewWidth(), 400);
    EXPECT_EQ(browser.GetViewHeight(), 340);
    EXPECT_EQ(browser.GetZoomPercent(), 100);
    EXPECT_EQ(window.rect, (WindowRect{100, 50, 408, 340 + kChrome}));
    EXPECT_EQ(window.fixedWidth, 408);
    EXPECT_EQ(window.fixedHeight, 340 + kChrome);
    EXPECT_EQ(statusBar.placed, (WindowRect{0, 340 + kChrome - 20, 408, 20}));
    EXPECT_GT(window.repaints, 0);

    UpdateTitleAndStatus(browser, window, &statusBar);
    EXPECT_EQ(window.title, "Vistrel [small.bmp]");
    EXPECT_EQ(statusBar.texts[0], "200 x 100 x 24bpp");
    EXPECT_EQ(statusBar.texts[1], "100%");
    EXPECT_EQ(statusBar.texts[2], "1/1");
    EXPECT_EQ(statusBar.texts[3], temp.path().string());
}

TEST_F(BrowserTest, LargeImageIsScaledAndCentred)
{
    WriteImage("big.bmp", 3000, 2000);
    ASSERT_TRUE(browser.LoadFile(PathOf("big.bmp").c_str()));
    EXPECT_EQ(browser.GetZoomPercent(), 33);
    EXPECT_EQ(window.rect, (WindowRect{8, 5, 1007, 666 + kChrome}));
    EXPECT_STREQ(browser.GetZoomText(), "33%");
}

TEST_F(BrowserTest, HiddenMenuBarShortensTheFixedHeight)
{
    window.menuBar = false;
    WriteImage("mid.bmp", 500, 400);
    ASSERT_TRUE(browser.LoadFile(PathOf("mid.bmp").c_str()));
    EXPECT_EQ(browser.GetSizeLimits(), (view::Size{508, 400 + kChrome - 19}));
    EXPECT_EQ(window.requested.back().height, 400 + kChrome);
    EXPECT_EQ(window.rect.height, 400 + kChrome - 19);
}

TEST_F(BrowserTest, BorderPadsTheImageArea)
{
    browser.SetDrawBorder(true);
    WriteImage("mid.bmp", 500, 400);
    ASSERT_TRUE(browser.LoadFile(PathOf("mid.bmp").c_str()));
    EXPECT_EQ(browser.GetViewWidth(), 518);
    EXPECT_EQ(browser.GetViewHeight(), 418);
}

TEST_F(BrowserTest, NoImageTitleAndStatus)
{
    UpdateTitleAndStatus(browser, window, &statusBar);
    EXPECT_EQ(window.title, "Vistrel");
    for (int part = 0; part < 4; ++part) EXPECT_EQ(statusBar.texts[part], "") << part;

    testsupport::FakeStatusBar fresh;
    InitStatusBar(browser, fresh);
    EXPECT_EQ(fresh.parts, (std::vector<int>{110, 150, 210, -1}));
    EXPECT_EQ(fresh.texts[1], "0000%");

    browser.LoadDirectory(Dir().c_str(), true);
    UpdateTitleAndStatus(browser, window, nullptr);
    EXPECT_EQ(window.title, "Vistrel");
    UpdateTitleAndStatus(browser, window, &statusBar);
    EXPECT_EQ(statusBar.texts[0], "");
    EXPECT_EQ(statusBar.texts[2], "");
    EXPECT_EQ(statusBar.texts[3], temp.path().string());
    EXPECT_EQ(window.rect.width, 400);
    EXPECT_EQ(window.rect.height, 340);
}

TEST_F(BrowserTest, LongTitleIsCut)
{
    const std::string name = std::string(200, 'n') + ".bmp";
    WriteImage(name);
    ASSERT_TRUE(browser.LoadFile(PathOf(name).c_str()));
    UpdateTitleAndStatus(browser, window, &statusBar);
    EXPECT_EQ(window.title.size(), std::min<std::size_t>(259, 10 + name.size()));
    EXPECT_EQ(window.title.substr(0, 9), "Vistrel [");
}
