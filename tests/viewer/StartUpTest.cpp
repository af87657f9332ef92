#include "StartUp.h"

#include "FakePlatform.h"
#include "ProgramOptions.h"
#include "ImageBrowser.h"
#include "Kzutil.h"
#include "Picture.h"
#include "SettingsKeys.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kUser = "HKEY_CURRENT_USER";
const char* const kAppKey = "Software\\Marvensk\\Vistrel";
constexpr char kNotInstalled[] = "Vistrel is not properly installed on this computer.\nPlease reinstall Vistrel.";
constexpr char kNoTemplate[] = "Could not find the template file for creating HTML thumbnail pages.\n"
                               "Vistrel will now use its build in HTML template. Please reinstall Vistrel.";

class FakeHost : public StartUpHost {
public:
    testsupport::FakeDesktop desktop;
    testsupport::FakeWindow window;
    testsupport::FakeStatusBar statusBar;
    bool windowCreatable = true;
    int splashes = 0;
    int windowsCreated = 0;
    bool loopRan = false;
    AppContext app;

    platform::Desktop& GetDesktop() override { return desktop; }
    bool ShowSplash() override
    {
        ++splashes;
        return true;
    }
    bool CreateMainWindow(const AppContext& context, ImageBrowser&, ThumbnailPageBuilder&) override
    {
        app = context;
        if (windowCreatable) ++windowsCreated;
        return windowCreatable;
    }
    platform::Window* GetMainWindow() override { return &window; }
    platform::StatusBar* GetStatusBar() override { return &statusBar; }
    platform::MenuBar* GetMenuBar() override { return nullptr; }
    int RunEventLoop() override
    {
        loopRan = true;
        return 0;
    }
};

// A private settings store and an install folder holding the program and help files.
class StartUpTest : public ::testing::Test {
protected:
    testsupport::TempDir temp;
    FakeHost host;
    ImageBrowser browser{host.desktop};
    ThumbnailPageBuilder builder{host.desktop};
    fs::path installDir;

    void SetUp() override
    {
        setenv("KZUTIL_REGISTRY_DIR", temp.file("store").c_str(), 1);
        installDir = temp.path() / "install";
        fs::create_directories(installDir);
        testsupport::WriteFile(installDir / install::kProgramFile, std::string("program"));
        testsupport::WriteFile(installDir / install::kHelpFile, std::string("<html></html>"));
        Set(settings::InstallPath, installDir.string());
        Set(settings::HideSplashScreen, 1);
    }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }

    static void Set(settings::Id id, int value)
    {
        ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, kAppKey, settings::Get(id).name, value));
    }
    static void Set(settings::Id id, const std::string& value)
    {
        ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, settings::Get(id).name, value.c_str()));
    }

    int Run(const std::vector<std::string>& arguments) { return RunStartUp(arguments, host, browser, builder); }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : host.desktop.messages) texts.push_back(message.text);
        return texts;
    }

    // A folder with n small bitmaps named 0.bmp, 1.bmp ...
    fs::path ImageFolder(const std::string& name, int n)
    {
        const fs::path dir = temp.path() / name;
        fs::create_directories(dir);
        for (int i = 0; i < n; ++i) {
            Picture picture(8 + i, 6, 24);
            EXPECT_TRUE(picture.Save((dir / (std::to_string(i) + ".bmp")).string(), ImageFormat::Bmp));
        }
        return dir;
    }
};

TEST_F(StartUpTest, EveryWayOfNotBeingInstalledWarnsAndEndsWithZero)
{
    const auto expectNotInstalled = [this](const char* what) {
        host.desktop.messages.clear();
        EXPECT_EQ(Run({}), 0) << what;
        ASSERT_EQ(host.desktop.messages.size(), 1u) << what;
        const auto& box = host.desktop.messages[0];
        EXPECT_EQ(box.text, kNotInstalled) << what;
        EXPECT_EQ(box.caption, "Vistrel");
        EXPECT_EQ(box.icon, platform::MessageIcon::Warning);
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(host.windowsCreated, 0) << what;
    };

    fs::remove(installDir / install::kProgramFile);
    expectNotInstalled("program file missing");

    // The store holds far longer texts than a path buffer: such a folder counts as not set.
    Set(settings::InstallPath, std::string(300, 'x'));
    expectNotInstalled("overlong install path");

    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, kAppKey, "InstallPath", 3));
    expectNotInstalled("install path of the wrong type");

    unsetenv("KZUTIL_REGISTRY_DIR");
    setenv("KZUTIL_REGISTRY_DIR", temp.file("empty-store").c_str(), 1);
    expectNotInstalled("no settings store");
    EXPECT_EQ(host.splashes, 0);
}

TEST_F(StartUpTest, SplashFollowsHideSplashScreenExactlyOne)
{
    const fs::path dir = ImageFolder("pics", 1);
    for (int value : {1, 2, 0, -1}) {
        Set(settings::HideSplashScreen, value);
        host.splashes = 0;
        Run({"/t", dir.string()});
        EXPECT_EQ(host.splashes, value == 1 ? 0 : 1) << value;
    }
}

TEST_F(StartUpTest, MissingHelpFileWarnsButGoesOn)
{
    fs::remove(installDir / install::kHelpFile);
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Texts(), std::vector<std::string>{kNotInstalled});
    EXPECT_EQ(host.windowsCreated, 1);
    EXPECT_TRUE(host.loopRan);
    EXPECT_STREQ(host.app.helpFilePath, "");
    EXPECT_EQ(std::string(host.app.programPath), (installDir / install::kProgramFile).string());
    EXPECT_EQ(std::string(host.app.installPath), installDir.string() + "/");
}

TEST_F(StartUpTest, MissingTemplateIsWrittenAgainSilentlyElseWarns)
{
    const fs::path templateFile = installDir / ThumbnailPageBuilder::kTemplateName;
    Run({});
    EXPECT_TRUE(host.desktop.messages.empty());
    ASSERT_TRUE(fs::exists(templateFile));
    const std::vector<unsigned char> written = testsupport::ReadFile(templateFile);
    EXPECT_NE(std::string(written.begin(), written.end()).find("<title>[THUMBNAIL_DIRECTORY]</title>"),
              std::string::npos);

    // An install folder whose name leaves room for the program's name but not for the
    // template's (nor the help file's): the template cannot be written again.
    const std::string base = temp.path().string() + "/";
    const fs::path deep = base + std::string(249 - base.size(), 'd');
    fs::create_directories(deep);
    testsupport::WriteFile(deep / install::kProgramFile, std::string("program"));
    Set(settings::InstallPath, deep.string());
    host.desktop.messages.clear();
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{kNotInstalled, kNoTemplate}));
    EXPECT_EQ(host.windowsCreated, 2);
    EXPECT_TRUE(builder.IsTemplateLoaded());
}

TEST_F(StartUpTest, ThumbnailModeBuildsThePageWithoutAWindow)
{
    const fs::path dir = ImageFolder("pics", 3);
    EXPECT_EQ(Run({"/t", dir.string()}), 1);
    EXPECT_TRUE(fs::exists(dir / ThumbnailPageBuilder::kPageName));
    EXPECT_TRUE(fs::exists(dir / ThumbnailPageBuilder::kThumbFolder / "0.jpg"));
    EXPECT_EQ(host.windowsCreated, 0);
    EXPECT_TRUE(host.desktop.messages.empty());

    // Upper case, and after a file argument.
    fs::remove_all(dir / ThumbnailPageBuilder::kThumbFolder);
    EXPECT_EQ(Run({(dir / "0.bmp").string(), "/T", dir.string(), "ignored"}), 1);
    EXPECT_TRUE(fs::exists(dir / ThumbnailPageBuilder::kThumbFolder / "2.jpg"));
    EXPECT_EQ(host.windowsCreated, 0);
}

TEST_F(StartUpTest, ThumbnailModeOnAMissingOrEmptyFolderEndsWithZeroAndLeavesNothing)
{
    EXPECT_EQ(Run({"/t", (temp.path() / "missing").string()}), 0);
    EXPECT_FALSE(fs::exists(temp.path() / "missing"));

    const fs::path empty = ImageFolder("empty", 0);
    testsupport::WriteFile(empty / "notes.txt", std::string("not an image"));
    EXPECT_EQ(Run({"/t", empty.string()}), 0);
    EXPECT_FALSE(fs::exists(empty / ThumbnailPageBuilder::kThumbFolder));
    EXPECT_FALSE(fs::exists(empty / ThumbnailPageBuilder::kPageName));
    EXPECT_EQ(host.windowsCreated, 0);
}

TEST_F(StartUpTest, RelativePathsOnTheCommandLineStayValidWhenTheWorkingDirectoryMoves)
{
    const fs::path dir = ImageFolder("tree/B", 2);
    for (const char* argument : {"tree/B", "./tree/B", "tree/B/", "tree//B"}) {
        fs::remove_all(dir / ThumbnailPageBuilder::kThumbFolder);
        fs::remove(dir / ThumbnailPageBuilder::kPageName);
        fs::current_path(temp.path());
        EXPECT_EQ(Run({"/t", argument}), 1) << argument;
        EXPECT_TRUE(fs::exists(dir / ThumbnailPageBuilder::kPageName)) << argument;
    }

    fs::current_path(temp.path());
    Run({"./tree/B/0.bmp"});
    EXPECT_EQ(std::string(browser.GetDirectory()), dir.string() + "/");
    // Building the page moves the working directory; neither the page nor the next step may
    // depend on where it was.
    fs::remove_all(dir / ThumbnailPageBuilder::kThumbFolder);
    fs::current_path("/");
    EXPECT_TRUE(builder.Build(browser.GetDirectory()));
    EXPECT_TRUE(browser.Next());
    EXPECT_EQ(std::string(browser.GetFileName()), "1.bmp");
    fs::current_path(fs::temp_directory_path());
}

TEST_F(StartUpTest, ThumbnailModeSaysWhyAFolderCouldNotBeWritten)
{
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> spoil;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"a file where the thumbnail folder goes",
         [](const fs::path& dir) { testsupport::WriteFile(dir / ThumbnailPageBuilder::kThumbFolder, std::string("x")); },
         ThumbnailPageBuilder::kThumbFolder, "Not a directory"},
        {"a folder where the page goes",
         [](const fs::path& dir) { fs::create_directory(dir / ThumbnailPageBuilder::kPageName); },
         ThumbnailPageBuilder::kPageName, "Is a directory"},
    };
    int n = 0;
    for (const Case& test : cases) {
        const fs::path dir = ImageFolder("spoilt" + std::to_string(n++), 1);
        test.spoil(dir);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"/t", dir.string()}), 0) << test.what;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("'" + (dir / test.path).string() + "'"), std::string::npos) << test.what << ": " << said;
        EXPECT_NE(said.find(test.reason), std::string::npos) << test.what << ": " << said;
    }
    // Where permissions bind (not for the superuser), a read-only folder says so.
    if (geteuid() != 0) {
        const fs::path dir = ImageFolder("readonly", 1);
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Run({"/t", dir.string()}), 0);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Permission denied"), std::string::npos);
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
    }
    // A missing folder stays silent.
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"/t", (temp.path() / "missing").string()}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(StartUpTest, ALastSlashTIsAPathForTheWindow)
{
    EXPECT_EQ(Run({"/t"}), 0);
    EXPECT_EQ(host.windowsCreated, 1);
    EXPECT_FALSE(browser.HasCurrentImage());
    EXPECT_TRUE(host.desktop.messages.empty());
    EXPECT_TRUE(host.loopRan);
}

TEST_F(StartUpTest, WindowModeShowsTheArgumentWithTheStoredViewSettings)
{
    const fs::path dir = ImageFolder("pics", 3);
    Set(settings::SortImagesOnDate, 1);
    Set(settings::DrawBorder, 2);
    Set(settings::ShowMenuAndStatusToolbar, 0);
    Run({(dir / "1.bmp").string(), "second argument"});
    EXPECT_TRUE(browser.GetSortOnDate());
    EXPECT_FALSE(browser.GetDrawBorder());
    EXPECT_FALSE(host.app.showMenuAndStatus);
    EXPECT_EQ(std::string(browser.GetFileName()), "1.bmp");
    EXPECT_NE(host.window.title.find("1.bmp"), std::string::npos);

    Run({dir.string()});
    EXPECT_EQ(browser.GetCurrentIndex(), 0);
    EXPECT_EQ(browser.GetFileCount(), 3);
}

TEST_F(StartUpTest, AWindowThatCannotBeMadeEndsWithZero)
{
    host.windowCreatable = false;
    EXPECT_EQ(Run({}), 0);
    EXPECT_FALSE(host.loopRan);
    EXPECT_TRUE(host.desktop.messages.empty());
}

TEST_F(StartUpTest, DebugModeReportsEachStep)
{
    Set(settings::Debug, 1);
    const fs::path dir = ImageFolder("pics", 1);
    const std::string missing = (temp.path() / "missing").string();
    Run({"/t", missing});
    Run({"/t", dir.string()});
    Run({(dir / "nothing.bmp").string()});
    Run({dir.string()});
    const std::vector<std::string> expected = {
        "Argument 0 = /t",
        "Argument 1 = " + missing,
        "Thumbnail command line switch used.\nThumbnail directory = " + missing,
        "Thumbnail directory doesn't exists.",
        "Argument 0 = /t",
        "Argument 1 = " + dir.string(),
        "Thumbnail command line switch used.\nThumbnail directory = " + dir.string(),
        "Finished creating thumbnails.",
        "Argument 0 = " + (dir / "nothing.bmp").string(),
        "Load file: " + (dir / "nothing.bmp").string(),
        "Failed to load the specified file.",
        "Argument 0 = " + dir.string(),
        "Load directory: " + dir.string(),
    };
    EXPECT_EQ(Texts(), expected);
    for (const auto& box : host.desktop.messages) {
        EXPECT_EQ(box.caption, "DEBUG");
        EXPECT_EQ(box.icon, platform::MessageIcon::Information);
    }
}

// What a stream received, read back from its start.
std::string Contents(std::FILE* file)
{
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) text += char(c);
    return text;
}

TEST(ProgramOptions, HelpVersionAndUnknownOptionsBeforeStartUp)
{
    struct Case {
        std::vector<std::string> arguments;
        std::optional<int> status;
        std::string outStart; // what standard output begins with
        std::string errStart;
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: vistrel [FILE | FOLDER]\n", ""},
        {{"--version", "ignored"}, 0, "vistrel (Vistrel) " VISTREL_VERSION "\nlibKzutil " VISTREL_VERSION "\n", ""},
        {{"--frobnicate"}, 2, "", "vistrel: unknown option '--frobnicate'\nusage: vistrel"},
        // The thumbnail switch wins wherever it stands, and only the first argument can be an option.
        {{"--help", "/t", "pics"}, std::nullopt, "", ""},
        {{"/T", "--frobnicate"}, std::nullopt, "", ""},
        {{"photo.jpg", "--help"}, std::nullopt, "", ""},
        {{"-x.jpg"}, std::nullopt, "", ""},
        {{}, std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        ASSERT_TRUE(out && err);
        EXPECT_EQ(RunProgramOptions(c.arguments, out, err), c.status) << c.arguments.size();
        const std::string outText = Contents(out);
        const std::string errText = Contents(err);
        EXPECT_EQ(outText.substr(0, c.outStart.size()), c.outStart);
        EXPECT_EQ(c.outStart.empty(), outText.empty());
        EXPECT_EQ(errText.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(c.errStart.empty(), errText.empty());
        std::fclose(out);
        std::fclose(err);
    }
}

TEST(ProgramOptions, VersionNamesTheSystemForBugReports)
{
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    EXPECT_EQ(RunProgramOptions({"--version"}, out, stderr), 0);
    const std::string text = Contents(out);
    std::fclose(out);
    EXPECT_NE(text.find(std::string("\nSystem: ") + CKzOsInfo::GetOsPlatform()), std::string::npos) << text;
    EXPECT_NE(text.find(CKzOsInfo::GetOsAdditionalInfo()), std::string::npos) << text;
    EXPECT_NE(text.find("\nDisplay: "), std::string::npos) << text;
}

} // namespace
