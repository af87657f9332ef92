#include "FakePlatform.h"
#include "Kzutil.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

std::string Text(const fs::path& path)
{
    const auto bytes = testsupport::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1);
        images = temp.path() / "Summer_2005";
        fs::create_directory(images);
    }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }

    void WriteImage(const std::string& name, int width = 40, int height = 30)
    {
        Picture picture(width, height, 24);
        ASSERT_TRUE(picture.Save((images / name).string(), ImageFormat::Bmp));
    }
    // The thumbnail's size, or 0 x 0 when it cannot be read.
    std::pair<int, int> ThumbSize(const std::string& name)
    {
        Picture thumb;
        if (!thumb.Load((images / "thumbs_vistrel" / name).string())) return {0, 0};
        return {thumb.GetWidth(), thumb.GetHeight()};
    }
    void Install()
    {
        fs::create_directory(temp.path() / "install");
        ASSERT_TRUE(CKzRegistry::SetValueString("HKEY_CURRENT_USER", "Software\\Marvensk\\Vistrel", "InstallPath",
                                                (temp.path() / "install").c_str()));
    }

    TempDir store;
    TempDir temp;
    fs::path images;
    testsupport::FakeDesktop desktop;
    ThumbnailPageBuilder builder{desktop};
};

} // namespace

TEST(ThumbnailTemplate, BuiltInTemplateIsExact)
{
    const std::string text = ThumbnailPageBuilder::BuiltInTemplate();
    EXPECT_EQ(text.size(), 942u);
    EXPECT_EQ(Count(text, "%s"), 1);
    EXPECT_EQ(Count(text, "\n"), 60);
    EXPECT_EQ(text.substr(text.size() - 7), "</html>");
    EXPECT_NE(text.find("\n\t<title>%s</title>\n"), std::string::npos);
}

TEST_F(BuilderTest, SevenImagesInSixColumns)
{
    for (int i = 1; i <= 6; ++i) WriteImage("img" + std::to_string(i) + ".bmp");
    WriteImage("wide.bmp", 400, 300);
    WriteImage("square.bmp", 50, 50);
    testsupport::WriteFile(images / "broken.bmp", std::string("BM broken"));
    ASSERT_TRUE(builder.LoadTemplate());
    ASSERT_TRUE(builder.Build(images.c_str()));
    EXPECT_EQ(desktop.LastCursor(), platform::CursorShape::Arrow);

    const std::string page = Text(images / "thumbnails.html");
    EXPECT_NE(page.find("<title>" + images.string() + "</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>Summer 2005</h1>"), std::string::npos);
    EXPECT_NE(page.find("<table class=\"thumbnails\" width=\"100%\">\n<tr>\n"), std::string::npos);
    // Nine listed, eight decoded: image rows of 6 and 2 cells, each followed by its captions.
    EXPECT_EQ(Count(page, "class=\"thumbimage\""), 8);
    EXPECT_EQ(Count(page, "class=\"thumbtext\""), 8);
    EXPECT_EQ(Count(page, "<tr>"), 4);
    EXPECT_EQ(page.find("broken"), std::string::npos);
    EXPECT_NE(page.find("\t<td class=\"thumbimage\"><a href=\"img1.bmp\"><img src=\"thumbs_vistrel/img1.jpg\" "
                        "alt=\"img1.bmp\" border=\"0\"></a></td>\n"),
              std::string::npos);
    EXPECT_EQ(ThumbSize("wide.jpg"), (std::pair{120, 90}));
    EXPECT_EQ(ThumbSize("square.jpg"), (std::pair{120, 120}));
}

TEST_F(BuilderTest, PlaceholdersFromATemplateFile)
{
    Install();
    testsupport::WriteFile(temp.path() / "install" / "template.html",
                           std::string("[THUMBNAIL_DIRECTORY_NAME]|[THUMBNAIL_COUNT]|[CREATION_YEAR]|"
                                       "[CREATION_MONTH]|100%|[THUMBNAILS]"));
    ASSERT_TRUE(CKzRegistry::SetValueInt("HKEY_CURRENT_USER", "Software\\Marvensk\\Vistrel", "ThumbColumns", 2));
    ASSERT_TRUE(builder.LoadTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    EXPECT_EQ(builder.GetThumbColumns(), 2);
    WriteImage("a.bmp");
    testsupport::WriteFile(images / "b.bmp", std::string("broken"));
    ASSERT_TRUE(builder.Build((images.string() + "/").c_str()));
    const std::string page = Text(images / "thumbnails.html");
    const std::string month = std::to_string(CKzDate::GetCurrentMonth());
    EXPECT_EQ(page.substr(0, page.find("|100%|") + 6),
              "Summer_2005|2|" + std::to_string(CKzDate::GetCurrentYear()) + "|" + month + "|100%|");

    // Two tables cannot be filled: no page.
    fs::remove(images / "thumbnails.html");
    testsupport::WriteFile(temp.path() / "install" / "template.html", std::string("[THUMBNAILS][THUMBNAILS]"));
    ASSERT_TRUE(builder.LoadTemplate());
    EXPECT_FALSE(builder.Build(images.c_str()));
    EXPECT_FALSE(fs::exists(images / "thumbnails.html"));
}

TEST_F(BuilderTest, NamesAreEscapedAndThumbnailsNeverShared)
{
    for (const char* name : {"a.bmp", "a.png", "my.photo.bmp", "50% <off> & \"more\".bmp", "x#1?.bmp"})
        WriteImage(name);
    fs::rename(images, temp.path() / "[THUMBNAILS] <dir>");
    images = temp.path() / "[THUMBNAILS] <dir>";
    ASSERT_TRUE(builder.LoadTemplate());
    ASSERT_TRUE(builder.Build(images.c_str()));
    const std::string page = Text(images / "thumbnails.html");
    EXPECT_NE(page.find("<h1>[THUMBNAILS] &lt;dir&gt;</h1>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"50%25%20%3Coff%3E%20%26%20%22more%22.bmp\">"), std::string::npos);
    EXPECT_NE(page.find(">50% &lt;off&gt; &amp; &quot;more&quot;.bmp</td>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"x%231%3F.bmp\">"), std::string::npos);
    EXPECT_NE(page.find("src=\"thumbs_vistrel/a.jpg\" alt=\"a.bmp\""), std::string::npos);
    EXPECT_NE(page.find("src=\"thumbs_vistrel/a-2.jpg\" alt=\"a.png\""), std::string::npos);
    EXPECT_NE(page.find("src=\"thumbs_vistrel/my.jpg\""), std::string::npos);
    for (const char* thumb : {"a.jpg", "a-2.jpg", "my.jpg", "x#1?.jpg"}) EXPECT_EQ(ThumbSize(thumb).first, 120) << thumb;
}

TEST_F(BuilderTest, NothingToShowLeavesNoFolder)
{
    ASSERT_TRUE(builder.LoadTemplate());
    testsupport::WriteFile(images / "notes.txt", std::string("x"));
    EXPECT_FALSE(builder.Build(images.c_str()));
    EXPECT_FALSE(fs::exists(images / "thumbs_vistrel"));
    EXPECT_FALSE(fs::exists(images / "thumbnails.html"));
    EXPECT_FALSE(builder.Build((temp.path() / "missing").c_str()));
    EXPECT_FALSE(fs::exists(temp.path() / "missing"));
    EXPECT_FALSE(builder.Build(""));
}

TEST_F(BuilderTest, TemplateRestoreAndSettings)
{
    EXPECT_FALSE(builder.RestoreTemplate());
    ASSERT_TRUE(builder.LoadTemplate());
    EXPECT_FALSE(builder.TemplateFileExists());
    EXPECT_FALSE(builder.RestoreTemplate());

    Install();
    ASSERT_TRUE(builder.LoadTemplate());
    EXPECT_FALSE(builder.TemplateFileExists());
    ASSERT_TRUE(builder.RestoreTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    std::string expected = ThumbnailPageBuilder::BuiltInTemplate();
    expected.replace(expected.find("%s"), 2, "[THUMBNAIL_DIRECTORY]");
    EXPECT_EQ(Text(temp.path() / "install" / "template.html"), expected);

    // An empty template file counts as present but the built-in text is used.
    testsupport::WriteFile(temp.path() / "install" / "template.html", std::string());
    ASSERT_TRUE(builder.LoadTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    EXPECT_EQ(builder.GetTemplateText(), expected);

    EXPECT_FALSE(builder.SetThumbnailSettings(0, 10, 1));
    EXPECT_TRUE(builder.SetThumbnailSettings(64, 48, 3));
    ThumbnailPageBuilder other(desktop);
    other.LoadTemplate();
    EXPECT_EQ(other.GetThumbWidth(), 64);
    EXPECT_EQ(other.GetThumbHeight(), 48);
    EXPECT_EQ(other.GetThumbColumns(), 3);
}
