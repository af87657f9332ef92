// What the browser shows after a load failed, whatever else has vanished or broken meanwhile.
#include "BrowserFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::CursorShape;

// A broken file is stepped over in the walking direction, and named; where nothing else loads
// the view stays where it was.
TEST_F(BrowserTest, StepsGoPastUndecodableFiles)
{
    struct Case {
        const char* what;
        std::vector<bool> good; // the files 0.bmp, 1.bmp ... in list order
        int start;              // shown first; -1 for a fresh listing of the folder
        bool (ImageBrowser::*step)();
        bool result;
        int shown;
        const char* unshown;
    };
    const Case cases[] = {
        {"next over one", {true, false, true}, 0, &ImageBrowser::Next, true, 2, "1.bmp"},
        {"next over one, wrapping", {false, true, false, true}, 3, &ImageBrowser::Next, true, 1, "0.bmp"},
        {"next once round, nothing else loads", {false, true, false, false}, 1, &ImageBrowser::Next, false, 1, "2.bmp"},
        {"previous over one, wrapping", {false, true, true}, 1, &ImageBrowser::Previous, true, 2, "0.bmp"},
        {"next with nothing else decodable", {true, false}, 0, &ImageBrowser::Next, false, 0, "1.bmp"},
        {"first skips a broken first file", {false, true, true}, 2, &ImageBrowser::First, true, 1, "0.bmp"},
        {"last skips a broken last file", {true, true, false}, 0, &ImageBrowser::Last, true, 1, "2.bmp"},
        {"next without failures names nothing", {true, true}, 0, &ImageBrowser::Next, true, 1, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        for (std::size_t i = 0; i < test.good.size(); ++i) {
            const std::string name = std::to_string(i) + ".bmp";
            if (test.good[i])
                WriteImage(name, 20 + int(i));
            else
                WriteBroken(name);
        }
        ASSERT_TRUE(browser.LoadFile(PathOf(std::to_string(test.start) + ".bmp").c_str()));
        EXPECT_EQ((browser.*test.step)(), test.result);
        EXPECT_EQ(ShownName(), std::to_string(test.shown) + ".bmp");
        EXPECT_EQ(browser.GetCurrentIndex(), test.shown);
        EXPECT_EQ(ShownWidth(), 20 + test.shown);
        EXPECT_STREQ(browser.GetUnshownFile(), test.unshown);
        for (std::size_t i = 0; i < test.good.size(); ++i) Remove(std::to_string(i) + ".bmp");
    }
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
}

// A folder whose first file is broken still opens on its first good one.
TEST_F(BrowserTest, AFolderStartsAtItsFirstDecodableFile)
{
    WriteBroken("a.bmp");
    WriteImage("b.bmp", 31);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(ShownName(), "b.bmp");
    EXPECT_STREQ(browser.GetUnshownFile(), "a.bmp");
}

TEST_F(BrowserTest, StepFromAVanishedFileGoesPastABrokenOne)
{
    WriteImage("a.bmp", 21);
    WriteImage("b.bmp");
    WriteBroken("c.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("b.bmp").c_str()));
    Remove("b.bmp");
    EXPECT_TRUE(browser.Next());
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 0);
}

TEST_F(BrowserTest, ChainEndsWhenCurrentVanishedAndFirstIsUndecodable)
{
    WriteBroken("a.bmp");
    WriteImage("b.bmp");
    WriteBroken("c.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("b.bmp").c_str()));
    Remove("b.bmp");
    EXPECT_FALSE(browser.Next());
    // Listed, nothing shown: the empty view instead of a picture of a vanished file.
    EXPECT_EQ(browser.GetFileCount(), 2);
    EXPECT_EQ(browser.GetCurrentIndex(), -1);
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(window.rect.width, 400);
    EXPECT_EQ(window.rect.height, 340);
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
    // The list still works from here.
    WriteImage("c.bmp", 44);
    EXPECT_TRUE(browser.Last());
    EXPECT_EQ(ShownWidth(), 44);
}

TEST_F(BrowserTest, ChainEndsWhenNothingDecodes)
{
    WriteBroken("a.bmp");
    WriteBroken("b.bmp");
    EXPECT_FALSE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(browser.GetFileCount(), 2);
    EXPECT_FALSE(browser.Last());
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
}

TEST_F(BrowserTest, ChainEndsWhenTheWholeDirectoryVanished)
{
    testsupport::TempDir other;
    Picture picture(10, 10, 24);
    ASSERT_TRUE(picture.Save((other.path() / "x.bmp").string(), ImageFormat::Bmp));
    ASSERT_TRUE(picture.Save((other.path() / "y.bmp").string(), ImageFormat::Bmp));
    ASSERT_TRUE(browser.LoadFile((other.path() / "x.bmp").string().c_str()));
    std::filesystem::remove_all(other.path());
    EXPECT_FALSE(browser.Next());
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(browser.GetFileCount(), 0);
    browser.Refresh();
    EXPECT_FALSE(browser.HasCurrentImage());
}

TEST_F(BrowserTest, RefreshWhenTheFileBrokeInPlace)
{
    WriteImage("a.bmp");
    WriteImage("b.bmp", 22);
    ASSERT_TRUE(browser.LoadFile(PathOf("b.bmp").c_str()));
    WriteBroken("b.bmp");
    browser.Refresh();
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 0);
    // The first file broke too: the chain ends with nothing shown.
    WriteImage("b.bmp");
    ASSERT_TRUE(browser.Last());
    WriteBroken("a.bmp");
    Remove("b.bmp");
    browser.Refresh();
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(browser.GetFileCount(), 1);
}

TEST_F(BrowserTest, NewFolderWithUndecodableFirstFileReturnsToThePreviousFile)
{
    WriteImage("a.bmp", 23);
    ASSERT_TRUE(browser.LoadFile(PathOf("a.bmp").c_str()));
    testsupport::TempDir other;
    testsupport::WriteFile(other.path() / "x.bmp", std::string("BM broken"));
    EXPECT_FALSE(browser.LoadDirectory((other.path().string() + "/").c_str(), true));
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(browser.GetDirectory(), Dir());
    EXPECT_TRUE(browser.HasCurrentImage());
}

// Files vanish, break and come back between random steps: every step ends, with the cursor
// restored and the index inside the list.
TEST_F(BrowserTest, RandomStepsOverAChangingDirectoryAlwaysEnd)
{
    const std::string names[] = {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"};
    for (const std::string& name : names) WriteImage(name);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    unsigned state = 12345;
    auto random = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int step = 0; step < 300; ++step) {
        const std::string& name = names[random(5)];
        switch (random(3)) {
        case 0: Remove(name); break;
        case 1: WriteBroken(name); break;
        default: WriteImage(name); break;
        }
        switch (random(6)) {
        case 0: browser.Next(); break;
        case 1: browser.Previous(); break;
        case 2: browser.First(); break;
        case 3: browser.Last(); break;
        case 4: browser.Refresh(); break;
        default: browser.LoadFile(PathOf(names[random(5)]).c_str()); break;
        }
        ASSERT_EQ(desktop.LastCursor(), CursorShape::Arrow) << step;
        ASSERT_GE(browser.GetFileCount(), 0) << step;
        ASSERT_GE(browser.GetCurrentIndex(), -1) << step;
        ASSERT_LT(browser.GetCurrentIndex(), std::max(browser.GetFileCount(), 1)) << step;
    }
}
