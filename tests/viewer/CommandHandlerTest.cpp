#include "CodecTable.h"
#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using command::Id;

constexpr Id kImageItems[] = {
    command::SaveAs,   command::ThumbnailPage, command::Copy,        command::NextMenu,        command::PreviousMenu,
    command::FirstMenu, command::LastMenu,     command::RefreshMenu, command::ExifInformation,
};

// The description and pattern pairs of a filter list.
std::vector<std::pair<std::string, std::string>> Pairs(const char* filter)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    while (*filter) {
        const char* pattern = filter + std::strlen(filter) + 1;
        pairs.emplace_back(filter, pattern);
        filter = pattern + std::strlen(pattern) + 1;
    }
    return pairs;
}

} // namespace

TEST(CommandFilters, SaveListIsTheOpenListWithoutItsFirstPairInSaveTypeOrder)
{
    const auto open = Pairs(kOpenFilter);
    const auto save = Pairs(kSaveFilter);
    ASSERT_EQ(open.size(), 8u);
    EXPECT_EQ(open[0].first, "All Image Files");
    // Everything the browser lists can be picked under "All Image Files".
    const std::string all = ";" + open[0].second + ";";
    for (const CodecEntry& entry : CodecTable()) {
        if (!entry.make) continue;
        std::istringstream extensions(entry.extensions);
        // "*jif" (no dot) stands as the dialog has always shown it; it matches the same names.
        for (std::string extension; extensions >> extension;)
            EXPECT_TRUE(all.find(";*." + extension + ";") != std::string::npos ||
                        all.find(";*" + extension + ";") != std::string::npos)
                << extension;
    }
    EXPECT_EQ(save, decltype(open)(open.begin() + 1, open.end()));
    const char* first[kSaveTypes] = {"*.bmp", "*.gif", "*.jpg", "*.pcx", "*.png", "*.tga", "*.tif"};
    for (int type = 0; type < kSaveTypes; ++type) EXPECT_EQ(save[type].second.rfind(first[type], 0), 0u) << type;
    EXPECT_EQ(save[SaveJpg].first, "Joint Photographic Experts Group (*.jpg; *.jif; *.jpeg)");
}

TEST_F(CommandTest, ImageItemsAreGreyWithoutAnImageWhileTheirKeysDoNothing)
{
    EXPECT_FALSE(handler.Execute(12345));
    ASSERT_TRUE(handler.Execute(command::RefreshKey));
    for (Id id : kImageItems) EXPECT_FALSE(menu.IsEnabled(id)) << id;
    EXPECT_FALSE(menu.IsEnabled(command::EditTemplate));
    EXPECT_FALSE(menu.IsEnabled(command::HelpTopics));
    EXPECT_TRUE(menu.IsEnabled(command::Options));

    for (Id key : {command::NextPageDown, command::PreviousBackspace, command::FirstKey, command::LastKey,
                   command::CopyKey, command::ExifKey})
        EXPECT_TRUE(handler.Execute(key));
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_TRUE(clipboard.image.empty());
    EXPECT_TRUE(dialogs.exifPaths.empty());
    EXPECT_EQ(window.title, "Vistrel");

    WriteImage("a.bmp");
    Open("a.bmp");
    ASSERT_TRUE(handler.Execute(command::CopyKey));
    EXPECT_FALSE(clipboard.image.empty());
    ASSERT_TRUE(handler.Execute(command::RefreshMenu));
    for (Id id : kImageItems) EXPECT_EQ(menu.IsEnabled(id), id != command::ExifInformation) << id;
    EXPECT_FALSE(menu.IsEnabled(command::ExifInformation));
}

TEST_F(CommandTest, HiddenMenuAndStatusBarAreLeftAlone)
{
    for (const char* name : {"a.bmp", "b.bmp"}) WriteImage(name);
    Open("a.bmp");
    CommandHandler hidden{{browser, builder, app, desktop, window, nullptr, nullptr, clipboard, shell, dialogs}};
    ASSERT_TRUE(hidden.Execute(command::NextPageDown));
    EXPECT_EQ(window.title, "Vistrel [b.bmp]");
    EXPECT_TRUE(menu.enabled.empty());
    EXPECT_TRUE(statusBar.texts[2].empty());
}

TEST_F(CommandTest, ExifItemAndKeyFollowTheFilesExifData)
{
    VISTREL_REQUIRE_CORPUS(corpus, "exif/exif-samples");
    std::filesystem::copy_file(corpus / "Canon_40D.jpg", temp.path() / "Canon_40D.jpg");
    Picture plain(16, 16, 24);
    ASSERT_TRUE(plain.Save(PathOf("plain.jpg"), ImageFormat::Jpg));

    Open("plain.jpg");
    ASSERT_TRUE(handler.Execute(command::ExifKey));
    EXPECT_FALSE(menu.IsEnabled(command::ExifInformation));
    EXPECT_TRUE(dialogs.exifPaths.empty());

    ASSERT_TRUE(handler.Execute(command::NextPageDown));
    EXPECT_EQ(window.title, "Vistrel [Canon_40D.jpg]");
    EXPECT_TRUE(menu.IsEnabled(command::ExifInformation));
    ASSERT_TRUE(handler.Execute(command::ExifInformation));
    EXPECT_EQ(dialogs.exifPaths, std::vector<std::string>{PathOf("Canon_40D.jpg")});
}

TEST_F(CommandTest, NavigationWrapsAroundAndRefreshesTitleAndStatus)
{
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) WriteImage(name);
    Open("a.bmp");

    ASSERT_TRUE(handler.Execute(command::PreviousPageUp));
    EXPECT_EQ(window.title, "Vistrel [c.bmp]");
    EXPECT_EQ(statusBar.texts[2], "3/3");
    ASSERT_TRUE(handler.Execute(command::NextSpace));
    EXPECT_EQ(window.title, "Vistrel [a.bmp]");
    EXPECT_EQ(statusBar.texts[2], "1/3");
    ASSERT_TRUE(handler.Execute(command::LastMenu));
    EXPECT_EQ(statusBar.texts[2], "3/3");
    ASSERT_TRUE(handler.Execute(command::FirstKey));
    EXPECT_EQ(statusBar.texts[2], "1/3");
    EXPECT_EQ(statusBar.texts[0], "20 x 10 x 24bpp");
    EXPECT_EQ(statusBar.texts[1], "100%");
    EXPECT_EQ(statusBar.texts[3], temp.path().string());
}

TEST_F(CommandTest, KeysRepaintTheViewAndTheirMenuItemsDoNot)
{
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) WriteImage(name);
    Open("a.bmp");
    const std::pair<Id, Id> pairs[] = {
        {command::NextMenu, command::NextSpace},        {command::NextMenu, command::NextPageDown},
        {command::PreviousMenu, command::PreviousPageUp}, {command::PreviousMenu, command::PreviousBackspace},
        {command::FirstMenu, command::FirstKey},        {command::LastMenu, command::LastKey},
        {command::RefreshMenu, command::RefreshKey},
    };
    // Repaints asked for by one command, from the middle of the list.
    auto repaintsOf = [&](Id id) {
        EXPECT_TRUE(browser.First() && browser.Next());
        const int before = window.repaints;
        const std::size_t titles = window.titles.size();
        EXPECT_TRUE(handler.Execute(id));
        EXPECT_EQ(window.titles.size(), titles + 1) << id;
        return window.repaints - before;
    };
    for (const auto& [item, key] : pairs) EXPECT_EQ(repaintsOf(key), repaintsOf(item) + 1) << key;
}

TEST_F(CommandTest, OpenAndBrowseFolderLoadThroughTheirDialogs)
{
    for (const char* name : {"a.bmp", "b.bmp"}) WriteImage(name);

    ASSERT_TRUE(handler.Execute(command::OpenKey));
    EXPECT_FALSE(browser.HasCurrentImage());
    dialogs.openPath = PathOf("b.bmp");
    ASSERT_TRUE(handler.Execute(command::Open));
    EXPECT_EQ(window.title, "Vistrel [b.bmp]");
    EXPECT_EQ(dialogs.filters.back(), kOpenFilter);
    // Nothing was listed before the first choice; afterwards the dialogs start where the image is.
    EXPECT_EQ(dialogs.initialDirs.front(), "");
    EXPECT_EQ(desktop.LastCursor(), platform::CursorShape::Arrow);

    dialogs.folderPath = Dir();
    ASSERT_TRUE(handler.Execute(command::BrowseFolderKey));
    EXPECT_EQ(dialogs.initialDirs.back(), Dir());
    EXPECT_EQ(window.title, "Vistrel [a.bmp]");
    EXPECT_TRUE(menu.IsEnabled(command::SaveAs));
}

TEST_F(CommandTest, SaveAsIntoTheShownDirectoryKeepsTheImageAndListsTheNewFile)
{
    for (const char* name : {"a.bmp", "b.bmp"}) WriteImage(name);
    Open("b.bmp");
    dialogs.savePath = PathOf("new.bmp");
    dialogs.saveFilterIndex = SavePng;
    ASSERT_TRUE(handler.Execute(command::SaveAsKey));

    EXPECT_EQ(dialogs.filters.back(), kSaveFilter);
    EXPECT_EQ(dialogs.initialDirs.back(), Dir());
    Picture written;
    ASSERT_TRUE(written.Load(PathOf("new.png")));
    EXPECT_EQ(written.GetType(), ImageFormat::Png);
    EXPECT_EQ(ShownName(), "b.bmp");
    EXPECT_EQ(browser.GetFileCount(), 3);
    EXPECT_EQ(statusBar.texts[2], "2/3");
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(desktop.LastCursor(), platform::CursorShape::Arrow);
}

TEST_F(CommandTest, FailedSaveIsReportedWithTheFileAndTheReason)
{
    WriteImage("a.bmp");
    Open("a.bmp");
    const std::string target = PathOf("gone/copy.tga");
    dialogs.savePath = PathOf("gone/copy");
    dialogs.saveFilterIndex = SaveTga;
    ASSERT_TRUE(handler.Execute(command::SaveAs));

    const testsupport::ShownMessage* box = LastMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->owner, &window);
    EXPECT_EQ(box->caption, "Vistrel");
    EXPECT_EQ(box->icon, platform::MessageIcon::Error);
    EXPECT_EQ(box->buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(box->text.rfind("Could not save the image '" + target + "'.\nThe file could not be created: ", 0), 0u)
        << box->text;
    EXPECT_EQ(ShownName(), "a.bmp");

    // A cancelled dialog is no failure.
    dialogs.savePath.clear();
    ASSERT_TRUE(handler.Execute(command::SaveAsKey));
    EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(CommandTest, PageDownPastABrokenFileNamesItInTheStatusBar)
{
    WriteImage("a.bmp");
    WriteBroken("b.bmp");
    WriteImage("c.bmp");
    Open("a.bmp");
    ASSERT_TRUE(handler.Execute(command::NextPageDown));
    EXPECT_EQ(window.title, "Vistrel [c.bmp]");
    EXPECT_EQ(statusBar.texts[3], "Could not show b.bmp - " + temp.path().string());
    ASSERT_TRUE(handler.Execute(command::NextPageDown));
    EXPECT_EQ(window.title, "Vistrel [a.bmp]");
    EXPECT_EQ(statusBar.texts[3], temp.path().string());
}

// Title, status, menus and the clipboard agree that no picture is shown, and the user is told.
TEST_F(CommandTest, OpeningAnUndecodableFileShowsNoPictureAndSaysSo)
{
    WriteImage("a.bmp");
    WriteBroken("b.bmp");
    for (bool fromShown : {false, true}) {
        SCOPED_TRACE(fromShown ? "from a shown picture" : "from nothing");
        if (fromShown) Open("a.bmp");
        desktop.messages.clear();
        dialogs.openPath = PathOf("b.bmp");
        ASSERT_TRUE(handler.Execute(command::OpenKey));
        EXPECT_FALSE(browser.HasCurrentImage());
        EXPECT_EQ(window.title, "Vistrel");
        EXPECT_EQ(statusBar.texts[0], "");
        EXPECT_EQ(statusBar.texts[3], "Could not show b.bmp - " + temp.path().string());
        EXPECT_FALSE(menu.enabled[command::Copy]);
        EXPECT_FALSE(menu.enabled[command::SaveAs]);
        EXPECT_FALSE(browser.CopyToClipboard(clipboard));
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, "Could not open the image '" + PathOf("b.bmp") + "'.");
        // The folder's good files are still reachable.
        EXPECT_TRUE(browser.First());
        EXPECT_EQ(ShownName(), "a.bmp");
    }
}

// The dialog confirms the name as typed; a file the type's extension leads to is asked about.
TEST_F(CommandTest, SaveAsAsksBeforeReplacingTheFileTheTypeLeadsTo)
{
    WriteImage("a.bmp");
    Open("a.bmp");
    testsupport::WriteFile(PathOf("out_bmp.bmp"), std::string("keep me"));
    dialogs.saveFilterIndex = SaveBmp;
    for (platform::MessageAnswer answer : {platform::MessageAnswer::No, platform::MessageAnswer::Yes}) {
        dialogs.savePath = PathOf("out_bmp");
        desktop.answers.push_back(answer);
        desktop.messages.clear();
        ASSERT_TRUE(handler.Execute(command::SaveAsKey));
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text, PathOf("out_bmp.bmp") + " already exists.\nDo you want to replace it?");
        EXPECT_EQ(desktop.messages[0].buttons, platform::MessageButtons::YesNo);
        Picture written;
        EXPECT_EQ(written.Load(PathOf("out_bmp.bmp")), answer == platform::MessageAnswer::Yes);
    }
    // A name the dialog itself confirmed is not asked about twice.
    desktop.messages.clear();
    dialogs.savePath = PathOf("out_bmp.bmp");
    ASSERT_TRUE(handler.Execute(command::SaveAsKey));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(CommandTest, OptionsOkAppliesBorderAndSortAtOnce)
{
    Install(store.path().string() + "/");
    WriteImage("a.bmp", 600, 500);
    WriteImage("b.bmp", 600, 500);
    // By name a comes first, by date (newest first) b.
    std::filesystem::last_write_time(temp.path() / "a.bmp",
                                     std::filesystem::last_write_time(temp.path() / "b.bmp") - std::chrono::hours(1));
    Open("a.bmp");
    const int width = browser.GetViewWidth();
    const int height = browser.GetViewHeight();
    EXPECT_EQ(browser.GetCurrentIndex(), 0);

    dialogs.optionsResult = 1;
    dialogs.editOptions = [](options::Form& form) {
        form.drawBorder = true;
        form.sortOnDate = true;
        form.columns = "4";
    };
    ASSERT_TRUE(handler.Execute(command::OptionsKey));
    ASSERT_EQ(dialogs.optionsShown.size(), 1u);
    EXPECT_FALSE(dialogs.optionsShown[0].drawBorder);
    EXPECT_EQ(dialogs.optionsShown[0].columns, "6");

    EXPECT_EQ(browser.GetViewWidth(), width + 18);
    EXPECT_EQ(browser.GetViewHeight(), height + 18);
    EXPECT_EQ(window.title, "Vistrel [a.bmp]");
    EXPECT_EQ(statusBar.texts[2], "2/2");
    EXPECT_EQ(Stored("DrawBorder"), 1);
    EXPECT_EQ(Stored("SortImagesOnDate"), 1);
    EXPECT_EQ(builder.GetThumbColumns(), 4);
    EXPECT_TRUE(desktop.messages.empty());

    dialogs.optionsResult = 2;
    ASSERT_TRUE(handler.Execute(command::Options));
    EXPECT_TRUE(browser.GetDrawBorder());
    EXPECT_TRUE(dialogs.optionsShown[1].drawBorder);
}

TEST_F(CommandTest, OptionsThatCannotBeShownWarnAboutTheInstallation)
{
    dialogs.optionsResult = 0;
    ASSERT_TRUE(handler.Execute(command::OptionsKey));
    const testsupport::ShownMessage* box = LastMessage();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->owner, &window);
    EXPECT_EQ(box->icon, platform::MessageIcon::Warning);
    EXPECT_EQ(box->text, "Vistrel is not properly installed on this computer.\nPlease reinstall Vistrel.");
}

TEST_F(CommandTest, QuitStoresThePositionOnlyWithAStore)
{
    ASSERT_TRUE(handler.Execute(command::ExitKey));
    EXPECT_EQ(window.quits, 1);
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled("Vistrel"));

    Install("/opt/vistrel/");
    window.restoredDiffers = true;
    window.restored = {30, 40, 500, 400};
    app.showMenuAndStatus = false;
    ASSERT_TRUE(handler.Execute(command::Exit));
    EXPECT_EQ(window.quits, 2);
    EXPECT_EQ(Stored("WindowPosX"), 30);
    EXPECT_EQ(Stored("WindowPosY"), 40);
    EXPECT_EQ(Stored("ShowMenuAndStatusToolbar"), 0);

    app.showMenuAndStatus = true;
    window.restored = {-20, 5, 500, 400};
    handler.Quit();
    handler.Quit();
    EXPECT_EQ(window.quits, 4);
    EXPECT_EQ(Stored("WindowPosX"), -20);
    EXPECT_EQ(Stored("ShowMenuAndStatusToolbar"), 1);
}

TEST_F(CommandTest, AnEditorKeptOpenKeepsTheProgramRunning)
{
    Install("/opt/vistrel/");
    shell.windowsClose = false;
    window.restored = {70, 80, 500, 400};
    window.restoredDiffers = true;
    ASSERT_TRUE(handler.Execute(command::ExitKey));
    EXPECT_EQ(window.quits, 0);
    EXPECT_FALSE(CKzAppSettings(settings::kAppName).IsValuePresent("WindowPosX"));

    shell.windowsClose = true;
    handler.Quit();
    EXPECT_EQ(window.quits, 1);
    EXPECT_EQ(Stored("WindowPosX"), 70);
}
