#include "BrowserFixture.h"
#include "ListingProgress.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using platform::CursorShape;
using platform::MessageAnswer;

TEST_F(BrowserTest, RefusesToWorkWithoutAMainWindow)
{
    ImageBrowser fresh(desktop);
    WriteImage("a.bmp");
    EXPECT_FALSE(fresh.LoadDirectory(Dir().c_str(), true));
    EXPECT_FALSE(fresh.LoadFile(PathOf("a.bmp").c_str()));
    EXPECT_EQ(fresh.GetFileCount(), -1);
    EXPECT_FALSE(fresh.SetWindows(nullptr, &statusBar));
    EXPECT_FALSE(fresh.LoadDirectory(Dir().c_str(), true));
    EXPECT_FALSE(browser.LoadDirectory(nullptr, true));
    EXPECT_FALSE(browser.LoadFile(nullptr));
    EXPECT_FALSE(browser.LoadFile(""));
}

TEST_F(BrowserTest, NavigatesWithWrapAround)
{
    for (const char* name : {"b.bmp", "c.bmp", "a.bmp"}) WriteImage(name);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(browser.GetFileCount(), 3);
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_TRUE(browser.Next());
    EXPECT_EQ(ShownName(), "b.bmp");
    EXPECT_TRUE(browser.Next());
    EXPECT_TRUE(browser.Next());
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 0);
    EXPECT_TRUE(browser.Previous());
    EXPECT_EQ(ShownName(), "c.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 2);
    EXPECT_TRUE(browser.First());
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_TRUE(browser.Last());
    EXPECT_EQ(ShownName(), "c.bmp");
    EXPECT_EQ(browser.GetCurrentPath(), PathOf("c.bmp"));
    EXPECT_EQ(browser.GetCurrentFile(), PathOf("c.bmp"));
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
}

TEST_F(BrowserTest, FirstAndLastAtTheirEndDoNotReload)
{
    WriteImage("a.bmp");
    WriteImage("b.bmp");
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    Remove("a.bmp");
    EXPECT_TRUE(browser.First());
    EXPECT_EQ(ShownName(), "a.bmp");
    ASSERT_TRUE(browser.Last());
    Remove("b.bmp");
    EXPECT_TRUE(browser.Last());
    EXPECT_EQ(ShownName(), "b.bmp");
}

TEST_F(BrowserTest, SingleFileDoesNotStep)
{
    WriteImage("only.bmp");
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_FALSE(browser.Next());
    EXPECT_FALSE(browser.Previous());
    EXPECT_TRUE(browser.HasCurrentImage());
    EXPECT_EQ(ShownName(), "only.bmp");
}

TEST_F(BrowserTest, ListedButNothingShown)
{
    WriteImage("a.bmp");
    WriteImage("b.bmp");
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), false));
    EXPECT_EQ(browser.GetFileCount(), 2);
    EXPECT_EQ(browser.GetCurrentIndex(), -1);
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_FALSE(browser.Next());
    EXPECT_FALSE(browser.Previous());
    EXPECT_TRUE(browser.Last());
    EXPECT_EQ(ShownName(), "b.bmp");
}

TEST_F(BrowserTest, DirectoryWithoutImagesGivesTheEmptyView)
{
    testsupport::WriteFile(temp.path() / "notes.txt", std::string("text"));
    EXPECT_FALSE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(browser.GetFileCount(), 0);
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(browser.GetViewWidth(), 400);
    EXPECT_EQ(browser.GetViewHeight(), 340);
    EXPECT_EQ(window.rect.width, 400);
    EXPECT_EQ(window.rect.height, 340);
    EXPECT_FALSE(browser.First());
    EXPECT_FALSE(browser.LoadDirectory((Dir() + "missing/").c_str(), true));
    EXPECT_EQ(browser.GetFileCount(), 0);
}

TEST_F(BrowserTest, LoadFileFindsTheEntryInAnyLetterCase)
{
    WriteImage("a.bmp");
    WriteImage("photo.bmp", 30);
    WriteImage("z.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("PHOTO.BMP").c_str()));
    EXPECT_EQ(ShownName(), "photo.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 1);
    EXPECT_STREQ(browser.GetPositionText(), "2/3");

    // With both spellings present each one is reachable.
    WriteImage("PHOTO.BMP", 40);
    ASSERT_TRUE(browser.LoadFile(PathOf("PHOTO.BMP").c_str()));
    EXPECT_EQ(ShownWidth(), 40);
    ASSERT_TRUE(browser.LoadFile(PathOf("photo.bmp").c_str()));
    EXPECT_EQ(ShownWidth(), 30);
}

TEST_F(BrowserTest, LoadFileRejectsWhatTheFilterDoesNotList)
{
    WriteImage("a.bmp");
    Picture picture(8, 8, 24);
    ASSERT_TRUE(picture.Save(PathOf("picture.svg"), ImageFormat::Bmp));
    EXPECT_FALSE(browser.LoadFile(PathOf("picture.svg").c_str()));
    EXPECT_EQ(browser.GetFileCount(), 1);
    EXPECT_EQ(browser.GetCurrentIndex(), -1);
    EXPECT_FALSE(browser.LoadFile(PathOf("gone.bmp").c_str()));
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
}

// The listing lets go of the previous picture, so nothing is shown: no blank picture passes
// for a current image.
TEST_F(BrowserTest, UndecodableFileFoundByLoadFileLeavesTheFolderListedWithNothingShown)
{
    WriteImage("a.bmp", 25);
    WriteBroken("b.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("a.bmp").c_str()));
    EXPECT_FALSE(browser.LoadFile(PathOf("b.bmp").c_str()));
    EXPECT_EQ(browser.GetCurrentIndex(), -1);
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(browser.GetFileCount(), 2);
    EXPECT_STREQ(browser.GetUnshownFile(), "b.bmp");
    EXPECT_TRUE(browser.First());
    EXPECT_EQ(ShownWidth(), 25);
}

class BigDirectoryTest : public BrowserTest {
protected:
    void Fill(int count)
    {
        for (int i = 0; i < count; ++i) std::ofstream(PathOf("f" + std::to_string(i) + ".bmp"));
    }
};

TEST_F(BigDirectoryTest, AtTheLimitNoQuestion)
{
    Fill(ImageBrowser::kBigDirectory);
    EXPECT_TRUE(browser.LoadDirectory(Dir().c_str(), false));
    EXPECT_EQ(browser.GetFileCount(), 2500);
    EXPECT_TRUE(desktop.messages.empty());
}

// Both passes over the folder (each with "." and "..") report every 2048 entries.
TEST_F(BigDirectoryTest, ListingShowsProgressAndLetsTheWindowRepaint)
{
    Fill(ImageBrowser::kBigDirectory);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), false));
    EXPECT_EQ(desktop.repaintsProcessed, 2 * (ImageBrowser::kBigDirectory + 2) / ListingProgress::kEntriesPerUpdate);
    std::vector<std::string> shown;
    for (const auto& [part, text] : statusBar.history)
        if (part == 3) shown.push_back(text.substr(0, text.find(':')));
    EXPECT_EQ(shown, (std::vector<std::string>{"Counting the files", "Listing the files"}));
}

// Empty files sort before the one picture: the first step passes over all of them.
TEST_F(BigDirectoryTest, PassingOverUnreadableFilesCountsThemAndLetsTheWindowRepaint)
{
    const int unreadable = 3 * ImageBrowser::kUnshownPerUpdate + 10;
    Fill(unreadable);
    WriteImage("z.bmp");
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), false));
    const int repaints = desktop.repaintsProcessed;
    statusBar.history.clear();
    ASSERT_TRUE(browser.First());
    EXPECT_EQ(ShownName(), "z.bmp");
    EXPECT_EQ(desktop.repaintsProcessed - repaints, 3);
    std::vector<std::string> counts;
    for (const auto& [part, text] : statusBar.history)
        if (part == 3 && text.rfind("Unreadable: ", 0) == 0) counts.push_back(text.substr(0, text.find(" - ")));
    ASSERT_EQ(counts.size(), 3u);
    EXPECT_EQ(counts.back(), "Unreadable: 768 of " + std::to_string(unreadable + 1));
    EXPECT_STREQ(browser.GetUnshownFile(), "f0.bmp");
}

TEST_F(BigDirectoryTest, AboveTheLimitAsksFirst)
{
    Fill(ImageBrowser::kBigDirectory + 1);
    desktop.answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_FALSE(browser.LoadDirectory(Dir().c_str(), false));
    EXPECT_EQ(browser.GetFileCount(), 0);
    EXPECT_EQ(window.rect.width, 400);
    ASSERT_EQ(desktop.messages.size(), 1u);
    const testsupport::ShownMessage& asked = desktop.messages[0];
    EXPECT_EQ(asked.owner, &window);
    EXPECT_EQ(asked.caption, "Vistrel");
    EXPECT_EQ(asked.text, "Are you sure you want to load this directory with 2501 files?\nThis can take a few minutes.");
    EXPECT_EQ(asked.icon, platform::MessageIcon::Question);
    EXPECT_EQ(asked.buttons, platform::MessageButtons::YesNo);

    EXPECT_TRUE(browser.LoadDirectory(Dir().c_str(), false));
    EXPECT_EQ(browser.GetFileCount(), 2501);
    EXPECT_EQ(desktop.LastCursor(), CursorShape::Arrow);
}

TEST_F(BrowserTest, SortsByDateWhenAsked)
{
    WriteImage("a.bmp");
    WriteImage("b.bmp");
    using namespace std::chrono_literals;
    auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(temp.path() / "a.bmp", now);
    std::filesystem::last_write_time(temp.path() / "b.bmp", now - 3600s);
    browser.SetSortOnDate(true);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(ShownName(), "a.bmp");
    std::filesystem::last_write_time(temp.path() / "b.bmp", now + 3600s);
    browser.Refresh();
    EXPECT_EQ(browser.GetCurrentIndex(), 1);
}

TEST_F(BrowserTest, RefreshPicksUpNewAndVanishedFiles)
{
    WriteImage("b.bmp");
    WriteImage("c.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("c.bmp").c_str()));
    WriteImage("a.bmp");
    browser.Refresh();
    EXPECT_EQ(browser.GetFileCount(), 3);
    EXPECT_EQ(browser.GetCurrentIndex(), 2);
    EXPECT_EQ(ShownName(), "c.bmp");

    Remove("c.bmp");
    browser.Refresh();
    EXPECT_EQ(browser.GetFileCount(), 2);
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(browser.GetCurrentIndex(), 0);
}
