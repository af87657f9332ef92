#include "CommandFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ToolCommandTest : public CommandTest {
protected:
    std::string install;

    void SetUp() override
    {
        CommandTest::SetUp();
        fs::create_directory(temp.path() / "install");
        install = PathOf("install/");
        Install(install);
    }
    std::string TemplateText() const
    {
        const std::vector<unsigned char> bytes = testsupport::ReadFile(install + "template.html");
        return {bytes.begin(), bytes.end()};
    }
};

} // namespace

TEST_F(ToolCommandTest, ThumbnailPageIsOpenedWhenBuiltAndAFailureIsReported)
{
    WriteImage("a.bmp");
    Open("a.bmp");
    ASSERT_TRUE(handler.Execute(command::ThumbnailPageKey));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].what, "open");
    EXPECT_EQ(shell.calls[0].path, PathOf("thumbnails.html"));
    EXPECT_EQ(shell.calls[0].workingDirectory, Dir());
    EXPECT_TRUE(fs::exists(PathOf("thumbnails.html")));
    EXPECT_TRUE(desktop.messages.empty());

    // A file where the thumbnail folder belongs stops the build.
    fs::remove_all(temp.path() / ThumbnailPageBuilder::kThumbFolder);
    testsupport::WriteFile(temp.path() / ThumbnailPageBuilder::kThumbFolder, std::string("in the way"));
    ASSERT_TRUE(handler.Execute(command::ThumbnailPage));
    EXPECT_EQ(shell.calls.size(), 1u);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].owner, &window);
    EXPECT_EQ(desktop.messages[0].text, "Could not create a HTML thumbnail page.");
    EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Error);
}

TEST_F(ToolCommandTest, TemplateItemAndEditFollowTheTemplateFile)
{
    builder.LoadTemplate();
    ASSERT_TRUE(handler.Execute(command::EditTemplateKey));
    EXPECT_FALSE(menu.IsEnabled(command::EditTemplate));
    EXPECT_TRUE(shell.calls.empty());

    testsupport::WriteFile(install + "template.html", std::string("<p>[THUMBNAILS]</p>"));
    builder.LoadTemplate();
    ASSERT_TRUE(handler.Execute(command::EditTemplate));
    EXPECT_TRUE(menu.IsEnabled(command::EditTemplate));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].what, "edit");
    EXPECT_EQ(shell.calls[0].path, install + "template.html");

    // Without an editor for the file the program's own editor opens it.
    shell.calls.clear();
    shell.editSucceeds = false;
    ASSERT_TRUE(handler.Execute(command::EditTemplateKey));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].what, "edit-built-in");
    EXPECT_EQ(shell.calls[1].path, install + "template.html");
}

TEST_F(ToolCommandTest, RestoreTemplateOnlyOnYes)
{
    testsupport::WriteFile(install + "template.html", std::string("mine"));
    builder.LoadTemplate();

    desktop.answers = {platform::MessageAnswer::No};
    ASSERT_TRUE(handler.Execute(command::RestoreTemplateKey));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].owner, &window);
    EXPECT_EQ(desktop.messages[0].text, "Are you sure you want to restore the original thumbnail template file?\n"
                                        "This will undo all your modifications to this file.");
    EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(desktop.messages[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(TemplateText(), "mine");

    desktop.answers = {platform::MessageAnswer::Yes};
    ASSERT_TRUE(handler.Execute(command::RestoreTemplate));
    EXPECT_NE(TemplateText(), "mine");
    EXPECT_NE(TemplateText().find("[THUMBNAILS]"), std::string::npos);
}

TEST_F(ToolCommandTest, HelpItemFollowsTheHelpFileAndAFailedHelpWarnsWithoutOwner)
{
    const std::string help = install + install::kHelpFile;
    testsupport::WriteFile(help, std::string("<html></html>"));
    std::snprintf(app.helpFilePath, sizeof app.helpFilePath, "%s", help.c_str());
    ASSERT_TRUE(handler.Execute(command::HelpKey));
    EXPECT_TRUE(menu.IsEnabled(command::HelpTopics));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].what, "help");
    EXPECT_EQ(shell.calls[0].path, help);
    EXPECT_TRUE(desktop.messages.empty());

    fs::remove(help);
    shell.helpSucceeds = false;
    ASSERT_TRUE(handler.Execute(command::HelpTopics));
    EXPECT_FALSE(menu.IsEnabled(command::HelpTopics));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].owner, nullptr);
    EXPECT_EQ(desktop.messages[0].caption, "Vistrel");
    EXPECT_EQ(desktop.messages[0].text, "Vistrel is not properly installed on this computer.\nPlease reinstall Vistrel.");
    EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Warning);
}

TEST_F(ToolCommandTest, NewInstanceStartsTheProgramOnTheQuotedImagePath)
{
    WriteImage("a b.bmp");
    Open("a b.bmp");
    ASSERT_TRUE(handler.Execute(command::NewInstance));
    EXPECT_TRUE(shell.calls.empty());

    const std::string program = install + install::kProgramFile;
    testsupport::WriteFile(program, std::string("#!/bin/sh\n"));
    std::snprintf(app.programPath, sizeof app.programPath, "%s", program.c_str());
    ASSERT_TRUE(handler.Execute(command::NewInstance));
    ASSERT_EQ(shell.calls.size(), 1u);
    const std::string argument = "\"" + PathOf("a b.bmp") + "\"";
    EXPECT_EQ(shell.calls[0].what, "start");
    EXPECT_EQ(shell.calls[0].path, program);
    EXPECT_EQ(shell.calls[0].argument, argument);
    EXPECT_EQ(shell.calls[0].workingDirectory, Dir());
    EXPECT_TRUE(desktop.messages.empty());

    shell.startSucceeds = false;
    ASSERT_TRUE(handler.Execute(command::NewInstance));
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].owner, &window);
    EXPECT_EQ(desktop.messages[0].text, "Could not load the image '" + argument + "'.");
    EXPECT_EQ(desktop.messages[0].icon, platform::MessageIcon::Warning);
}

TEST_F(ToolCommandTest, AboutOpensTheAboutWindow)
{
    ASSERT_TRUE(handler.Execute(command::AboutKey));
    ASSERT_TRUE(handler.Execute(command::About));
    EXPECT_EQ(dialogs.abouts, 2);
}

// Sibling directories, each with one image named after it; the walk sees them in name order,
// whatever order the file system lists them in.
class DirectoryKeyTest : public CommandTest {
protected:
    fs::path root;
    std::vector<std::string> siblings = {"one", "three", "two"};

    void SetUp() override
    {
        CommandTest::SetUp();
        root = fs::canonical(temp.path()) / "walk";
        for (const char* name : {"one", "two", "three"}) {
            fs::create_directories(root / name);
            Picture picture(8, 8, 24);
            ASSERT_TRUE(picture.Save((root / name / (std::string(name) + ".bmp")).string(), ImageFormat::Bmp));
        }
    }
    std::string DirOf(const std::string& name) const { return (root / name).string() + "/"; }
    void Show(const std::string& name)
    {
        ASSERT_TRUE(browser.LoadFile((root / name / (name + ".bmp")).c_str()));
    }
};

TEST_F(DirectoryKeyTest, UpAndDownWalkTheSiblingsAroundTheEnds)
{
    Show(siblings[1]);
    ASSERT_TRUE(handler.Execute(command::DirectoryDown));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[2]));
    EXPECT_EQ(window.title, "Vistrel [" + siblings[2] + ".bmp]");
    ASSERT_TRUE(handler.Execute(command::DirectoryDown));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[0]));
    ASSERT_TRUE(handler.Execute(command::DirectoryUp));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[2]));
    ASSERT_TRUE(handler.Execute(command::DirectoryUp));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[1]));
    EXPECT_EQ(statusBar.texts[3], (root / siblings[1]).string());
}

TEST_F(DirectoryKeyTest, RightWithoutChildrenOnlyRepaintsAndLeftGoesToTheParent)
{
    Show(siblings[0]);
    const int repaints = window.repaints;
    const std::size_t titles = window.titles.size();
    ASSERT_TRUE(handler.Execute(command::DirectoryRight));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[0]));
    EXPECT_EQ(window.repaints, repaints + 1);
    EXPECT_EQ(window.titles.size(), titles);
    EXPECT_TRUE(menu.IsEnabled(command::SaveAs));

    ASSERT_TRUE(handler.Execute(command::DirectoryLeft));
    EXPECT_EQ(browser.GetDirectory(), root.string() + "/");
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_EQ(window.title, "Vistrel");
    EXPECT_FALSE(menu.IsEnabled(command::SaveAs));

    ASSERT_TRUE(handler.Execute(command::DirectoryRight));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[0]));
    EXPECT_EQ(window.title, "Vistrel [" + siblings[0] + ".bmp]");
}

TEST_F(DirectoryKeyTest, BeforeAnyListingTheKeysWalkFromTheProcesssDirectory)
{
    fs::current_path(root / siblings[0]);
    ASSERT_TRUE(handler.Execute(command::DirectoryDown));
    EXPECT_EQ(browser.GetDirectory(), DirOf(siblings[1]));
    EXPECT_EQ(window.title, "Vistrel [" + siblings[1] + ".bmp]");
}
