#include "FakePlatform.h"
#include "HtmlText.h"
#include "Picture.h"
#include "ThumbnailPageBuilder.h"
#include "TestSupport.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

constexpr char kAppKey[] = "Software\\Marvensk\\Vistrel";

std::string ReadText(const fs::path& path)
{
    const std::vector<unsigned char> bytes = testsupport::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

int CountOf(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
}

class ThumbnailPageTest : public ::testing::Test {
protected:
    TempDir store;
    TempDir install;
    TempDir photos;
    testsupport::FakeDesktop desktop;
    ThumbnailPageBuilder builder{desktop};

    void SetUp() override { setenv("KZUTIL_REGISTRY_DIR", store.file("registry").c_str(), 1); }
    void TearDown() override
    {
        // A build leaves the built (and soon removed) directory current.
        fs::current_path(fs::temp_directory_path());
        unsetenv("KZUTIL_REGISTRY_DIR");
    }

    void Install(const std::string& path)
    {
        ASSERT_TRUE(CKzRegistry::SetValueString("HKEY_CURRENT_USER", kAppKey, "InstallPath", path.c_str()));
    }
    void SetInt(const char* name, int value)
    {
        ASSERT_TRUE(CKzRegistry::SetValueInt("HKEY_CURRENT_USER", kAppKey, name, value));
    }
    void UseTemplate(const std::string& text)
    {
        Install(install.path().string());
        testsupport::WriteFile(install.path() / ThumbnailPageBuilder::kTemplateName, text);
        ASSERT_TRUE(builder.LoadTemplate());
    }

    void WriteImage(const std::string& name, int width, int height)
    {
        Picture picture(width, height, 24);
        ASSERT_TRUE(picture.Save(photos.file(name), ImageFormat::Bmp)) << picture.GetLastError();
    }
    void WriteBroken(const std::string& name) { testsupport::WriteFile(photos.path() / name, std::string("BM broken")); }

    bool Build() { return builder.Build(photos.path().c_str()); }
    std::string Page() const { return ReadText(photos.path() / ThumbnailPageBuilder::kPageName); }
    fs::path Thumbs() const { return photos.path() / ThumbnailPageBuilder::kThumbFolder; }
};

Picture LoadPicture(const fs::path& path)
{
    Picture picture;
    EXPECT_TRUE(picture.Load(path.string(), ImageFormat::Unknown)) << path;
    return picture;
}

// Runs the independent page checker; its findings, one per line, or empty when python3 is missing.
std::vector<std::string> CheckPage(const fs::path& page, int& status)
{
    std::vector<std::string> lines;
    const std::string command = "python3 '" VISTREL_SOURCE_DIR "/tests/viewer/check_page.py' '" + page.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return lines;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    status = ::pclose(pipe);
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool HavePython()
{
    return std::system("python3 -c 'import html.parser' >/dev/null 2>&1") == 0;
}

} // namespace

TEST(ThumbnailTemplate, BuiltInTextHasItsShape)
{
    const std::string text = ThumbnailPageBuilder::BuiltInTemplate();
    EXPECT_EQ(text.size(), 942u);
    EXPECT_EQ(CountOf(text, "\n"), 60);
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(CountOf(text, "%"), 1);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 61u);
    EXPECT_EQ(lines[0], "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
    EXPECT_EQ(lines[3], "\t<title>%s</title>");
    EXPECT_EQ(lines[25], "\tpadding: 12px 12px 12px 12px;");
    EXPECT_EQ(lines[55], "<h1>[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]</h1>");
    EXPECT_EQ(lines[57], "[THUMBNAILS]");
    EXPECT_EQ(lines[60], "</html>");
    int tabbed = 0;
    for (const std::string& line : lines) tabbed += !line.empty() && line[0] == '\t';
    EXPECT_EQ(tabbed, 25);
}

TEST_F(ThumbnailPageTest, WithoutSettingsTheBuiltInTemplateAndDefaultsApply)
{
    EXPECT_FALSE(builder.IsTemplateLoaded());
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_FALSE(builder.TemplateFileExists());
    EXPECT_STREQ(builder.GetTemplatePath(), "");
    std::string expected = ThumbnailPageBuilder::BuiltInTemplate();
    expected.replace(expected.find("%s"), 2, "[THUMBNAIL_DIRECTORY]");
    EXPECT_EQ(builder.GetTemplateText(), expected);
    EXPECT_EQ(builder.GetThumbWidth(), 120);
    EXPECT_EQ(builder.GetThumbHeight(), 120);
    EXPECT_EQ(builder.GetThumbColumns(), 6);
    // Nowhere to write the template to.
    EXPECT_FALSE(builder.RestoreTemplate());
}

TEST_F(ThumbnailPageTest, TemplateFileAndSettingsAreRead)
{
    Install(install.path().string());
    SetInt("ThumbWidth", 200);
    SetInt("ThumbHeight", 0);
    SetInt("ThumbColumns", -3);
    testsupport::WriteFile(install.path() / ThumbnailPageBuilder::kTemplateName, std::string("<p>[THUMBNAILS]</p>\r\n100%"));
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    EXPECT_EQ(builder.GetTemplatePath(), install.file(ThumbnailPageBuilder::kTemplateName));
    EXPECT_STREQ(builder.GetTemplateText(), "<p>[THUMBNAILS]</p>\r\n100%");
    EXPECT_EQ(builder.GetThumbWidth(), 200);
    EXPECT_EQ(builder.GetThumbHeight(), 120);
    EXPECT_EQ(builder.GetThumbColumns(), 6);

    // An empty file still exists, but the built-in text stands in for it.
    testsupport::WriteFile(install.path() / ThumbnailPageBuilder::kTemplateName, std::string());
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    EXPECT_EQ(CountOf(builder.GetTemplateText(), "<title>[THUMBNAIL_DIRECTORY]</title>"), 1);
}

TEST_F(ThumbnailPageTest, RestoreWritesTheShippedTemplate)
{
    Install(install.path().string() + "/");
    EXPECT_FALSE(builder.RestoreTemplate()); // nothing loaded yet
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_FALSE(builder.TemplateFileExists());
    EXPECT_TRUE(builder.RestoreTemplate());
    EXPECT_TRUE(builder.TemplateFileExists());
    const std::string written = ReadText(install.path() / ThumbnailPageBuilder::kTemplateName);
    EXPECT_EQ(written, ReadText(fs::path(VISTREL_SOURCE_DIR) / "resources" / ThumbnailPageBuilder::kTemplateName));
    EXPECT_EQ(written.size(), 942u - 2 + 21);
    EXPECT_EQ(written, builder.GetTemplateText());
    // A user's edits are replaced.
    testsupport::WriteFile(install.path() / ThumbnailPageBuilder::kTemplateName, std::string("mine [THUMBNAILS]"));
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_TRUE(builder.RestoreTemplate());
    EXPECT_EQ(ReadText(install.path() / ThumbnailPageBuilder::kTemplateName), written);
}

TEST_F(ThumbnailPageTest, InstallPathTooLongForAPathCountsAsMissing)
{
    Install("/" + std::string(300, 'x'));
    EXPECT_TRUE(builder.LoadTemplate());
    EXPECT_STREQ(builder.GetTemplatePath(), "");
    EXPECT_FALSE(builder.TemplateFileExists());
    EXPECT_FALSE(builder.RestoreTemplate());
}

TEST_F(ThumbnailPageTest, SettingsAreCheckedAndStored)
{
    Install(install.path().string());
    EXPECT_FALSE(builder.SetThumbnailSettings(0, 100, 3));
    EXPECT_FALSE(builder.SetThumbnailSettings(100, 100, 0));
    EXPECT_EQ(builder.GetThumbWidth(), 120);
    EXPECT_TRUE(builder.SetThumbnailSettings(20000, 64, 300));
    testsupport::FakeDesktop otherDesktop;
    ThumbnailPageBuilder other(otherDesktop);
    other.LoadTemplate();
    EXPECT_EQ(other.GetThumbWidth(), 20000);
    EXPECT_EQ(other.GetThumbHeight(), 64);
    EXPECT_EQ(other.GetThumbColumns(), 300);
}

TEST(ThumbnailPlaceholders, AreFilledInOrderWithoutLeadingZeros)
{
    CKzString page = "<title>[THUMBNAIL_DIRECTORY]</title><h1>[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]</h1>"
                     "[THUMBNAIL_DIRECTORY_NAME]|[CREATION_YEAR]-[CREATION_MONTH]-[CREATION_DAY] "
                     "[CREATION_HOUR]:[CREATION_MINUTE]:[CREATION_SECOND]|[THUMBNAIL_COUNT]|[THUMBNAILS]|"
                     "[THUMBNAIL_DIRECTORY_NAME]";
    ThumbnailPageBuilder::PageValues values;
    values.directory = "/photos/Summer_2005";
    values.imageCount = 7;
    values.year = 2005, values.month = 3, values.day = 5, values.hour = 9, values.minute = 7, values.second = 3;
    values.table = "<table>100%</table>";
    EXPECT_EQ(ThumbnailPageBuilder::FillPlaceholders(page, values), 1);
    EXPECT_STREQ(page, "<title>/photos/Summer_2005</title><h1>Summer 2005</h1>Summer_2005|2005-3-5 9:7:3|7|"
                       "<table>100%</table>|Summer_2005");

    CKzString twice = "[THUMBNAILS][THUMBNAILS]";
    EXPECT_EQ(ThumbnailPageBuilder::FillPlaceholders(twice, values), 2);
    CKzString none = "<p></p>";
    EXPECT_EQ(ThumbnailPageBuilder::FillPlaceholders(none, values), 0);

    // A directory's name can neither inject markup nor add a placeholder.
    CKzString title = "[THUMBNAIL_DIRECTORY_NAME] [THUMBNAILS]";
    values.directory = "/x/<b>&[THUMBNAILS]";
    EXPECT_EQ(ThumbnailPageBuilder::FillPlaceholders(title, values), 1);
    EXPECT_STREQ(title, "&lt;b&gt;&amp;[THUMBNAILS] <table>100%</table>");
}

TEST(ThumbnailPlaceholders, DirectoryNameIsTheLastComponent)
{
    EXPECT_EQ(ThumbnailPageBuilder::DirectoryName("C:\\Photos\\Summer_2005"), "Summer_2005");
    EXPECT_EQ(ThumbnailPageBuilder::DirectoryName("/home/me/pics"), "pics");
    EXPECT_EQ(ThumbnailPageBuilder::DirectoryName("/pics"), "/pics");
    EXPECT_EQ(ThumbnailPageBuilder::DirectoryName("\\pics"), "\\pics");
    EXPECT_EQ(ThumbnailPageBuilder::DirectoryName("pics"), "pics");
}

TEST(ThumbnailTable, AlternatesImageRowsWithCaptionRows)
{
    const std::vector<ThumbnailPageBuilder::Entry> entries = {
        {"a.jpg", "thumbs_vistrel/a.jpg"}, {"bad.png", ""}, {"c d.png", "thumbs_vistrel/c d.jpg"}};
    EXPECT_EQ(ThumbnailPageBuilder::BuildTable(entries, 2),
              "<table class=\"thumbnails\" width=\"100%\">\n<tr>\n"
              "\t<td class=\"thumbimage\"><a href=\"a.jpg\"><img src=\"thumbs_vistrel/a.jpg\" alt=\"a.jpg\" "
              "border=\"0\"></a></td>\n"
              "</tr>\n<tr>\n"
              "\t<td class=\"thumbtext\">a.jpg</td>\n"
              "</tr>\n<tr>\n"
              "\t<td class=\"thumbimage\"><a href=\"c%20d.png\"><img src=\"thumbs_vistrel/c%20d.jpg\" alt=\"c d.png\" "
              "border=\"0\"></a></td>\n"
              "</tr>\n<tr>\n"
              "\t<td class=\"thumbtext\">c d.png</td>\n"
              "</tr>\n</table>");

    std::vector<ThumbnailPageBuilder::Entry> seven;
    for (int i = 0; i < 7; ++i) seven.push_back({"p" + std::to_string(i) + ".bmp", "thumbs_vistrel/p.jpg"});
    const std::string table = ThumbnailPageBuilder::BuildTable(seven, 6);
    std::vector<int> rows;
    for (std::size_t at = table.find("<tr>"); at != std::string::npos; at = table.find("<tr>", at + 1)) {
        const std::string row = table.substr(at, table.find("</tr>", at) - at);
        rows.push_back(CountOf(row, "<td class=\"thumbimage\">") * 10 + CountOf(row, "<td class=\"thumbtext\">"));
    }
    EXPECT_EQ(rows, (std::vector<int>{60, 6, 10, 1}));
}

TEST(PageText, EscapesMarkupAndEncodesLinks)
{
    EXPECT_EQ(html::Escape("it's <b>?.jpg"), "it&#39;s &lt;b&gt;?.jpg");
    EXPECT_EQ(html::Escape("R&D #1 \"q\" 100%.jpg"), "R&amp;D #1 &quot;q&quot; 100%.jpg");
    EXPECT_EQ(html::Escape("caf\xc3\xa9 \xf0\x9f\x93\xb7"), "caf&#233; &#128247;");
    // Bytes that are not UTF-8 are read as Latin-1, one character each.
    EXPECT_EQ(html::Escape("\xe9t\xe9 \xc3 \xed\xa0\x80"), "&#233;t&#233; &#195; &#237;&#160;&#128;");
    EXPECT_EQ(html::EncodeLink("thumbs_vistrel/it's <b>?.jpg"), "thumbs_vistrel/it%27s%20%3Cb%3E%3F.jpg");
    EXPECT_EQ(html::EncodeLink("R&D #1+a=b;c\\d%.jpg"), "R%26D%20%231%2Ba%3Db%3Bc%5Cd%25.jpg");
    EXPECT_EQ(html::EncodeLink("caf\xc3\xa9~-_.x"), "caf%C3%A9~-_.x");
}

TEST_F(ThumbnailPageTest, MixedFolderGivesAPageWhoseLinksAllResolve)
{
    VISTREL_REQUIRE_CORPUS(names, "names");
    for (const auto& file : fs::directory_iterator(names)) fs::copy_file(file.path(), photos.path() / file.path().filename());
    WriteImage("a.png", 50, 50); // bitmap content: the name's extension only gets it listed
    WriteImage("a.bmp", 400, 300);
    WriteImage("A.tif", 300, 400);
    WriteImage("a-2.gif", 10, 20);
    WriteImage("my.photo.jpg", 8, 8);
    WriteImage("caf\xc3\xa9 \xc2\xb5.bmp", 8, 8);
    WriteImage("\xe9t\xe9.bmp", 8, 8);
    WriteImage("back\\slash.bmp", 8, 8);
    WriteBroken("broken.jpg");
    testsupport::WriteFile(photos.path() / "notes.txt", std::string("not listed"));
    UseTemplate("[THUMBNAIL_COUNT] [THUMBNAILS]");

    ASSERT_TRUE(Build());
    EXPECT_EQ(desktop.cursors, (std::vector{platform::CursorShape::Wait, platform::CursorShape::Arrow}));
    EXPECT_EQ(fs::current_path(), photos.path());
    const std::string page = Page();
    EXPECT_EQ(page.substr(0, 3), "14 ");
    EXPECT_EQ(CountOf(page, "thumbtext"), 13); // the broken file has no cells

    // Name order is byte order: "A.tif" first keeps A.jpg; a.bmp and a.png clash with it and
    // skip a-2.jpg, which belongs to a-2.gif.
    EXPECT_EQ(LoadPicture(Thumbs() / "A.jpg").GetWidth(), 90);
    EXPECT_EQ(LoadPicture(Thumbs() / "a-3.jpg").GetHeight(), 90);  // a.bmp, 400 x 300
    EXPECT_EQ(LoadPicture(Thumbs() / "a-4.jpg").GetWidth(), 120); // a.png, 50 x 50
    EXPECT_EQ(LoadPicture(Thumbs() / "a-4.jpg").GetHeight(), 120);
    EXPECT_EQ(LoadPicture(Thumbs() / "a-2.jpg").GetWidth(), 60);
    EXPECT_TRUE(fs::exists(Thumbs() / "my.jpg"));
    EXPECT_FALSE(fs::exists(Thumbs() / "broken.jpg"));
    EXPECT_NE(page.find("<a href=\"100%25.jpg\">"), std::string::npos);
    EXPECT_NE(page.find(">100%.jpg</td>"), std::string::npos);

    if (!HavePython()) GTEST_SKIP() << "python3 is needed to check the page";
    int status = -1;
    const std::vector<std::string> found = CheckPage(photos.path() / ThumbnailPageBuilder::kPageName, status);
    EXPECT_EQ(status, 0);
    std::multiset<std::string> captions, alts;
    for (const std::string& line : found) {
        EXPECT_NE(line.rfind("broken", 0), 0u) << line;
        EXPECT_NE(line.rfind("error", 0), 0u) << line;
        if (line.rfind("caption ", 0) == 0) captions.insert(line.substr(8));
        if (line.rfind("alt ", 0) == 0) alts.insert(line.substr(4));
    }
    const std::multiset<std::string> expected = {
        "100%.jpg", "A.tif", "R&D #1.jpg", "a b.jpg", "a.bmp", "a.png", "a-2.gif", "back\\slash.bmp", "caf\xc3\xa9 \xc2\xb5.bmp",
        "it's <b>?.jpg", "my.photo.jpg", "quote\"d.jpg", "\xc3\xa9t\xc3\xa9.bmp"};
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(alts, expected);
}

TEST_F(ThumbnailPageTest, EightOfNineImagesInSixColumnsWithTheBuiltInTemplate)
{
    for (int i = 1; i <= 6; ++i) WriteImage("p" + std::to_string(i) + ".bmp", 40, 30);
    WriteImage("wide.bmp", 400, 300);
    WriteImage("square.bmp", 50, 50);
    WriteBroken("broken.bmp");
    builder.LoadTemplate();
    ASSERT_TRUE(Build());
    EXPECT_EQ(desktop.LastCursor(), platform::CursorShape::Arrow);
    const std::string page = Page();
    const std::string dir = photos.path().string();
    EXPECT_NE(page.find("<title>" + dir + "</title>"), std::string::npos);
    EXPECT_NE(page.find("<table class=\"thumbnails\" width=\"100%\">\n<tr>\n"), std::string::npos);
    EXPECT_NE(page.find("\t<td class=\"thumbimage\"><a href=\"p1.bmp\"><img src=\"thumbs_vistrel/p1.jpg\" "
                        "alt=\"p1.bmp\" border=\"0\"></a></td>\n"),
              std::string::npos);
    EXPECT_EQ(CountOf(page, "thumbimage\"><a"), 8);
    EXPECT_EQ(page.find("broken"), std::string::npos);
    EXPECT_EQ(LoadPicture(Thumbs() / "wide.jpg").GetHeight(), 90);
    EXPECT_EQ(LoadPicture(Thumbs() / "square.jpg").GetHeight(), 120);

    if (!HavePython()) GTEST_SKIP() << "python3 is needed to check the page";
    int status = -1;
    std::vector<std::string> rows;
    for (const std::string& line : CheckPage(photos.path() / ThumbnailPageBuilder::kPageName, status))
        if (line.rfind("row ", 0) == 0 || line.rfind("broken", 0) == 0 || line.rfind("error", 0) == 0)
            rows.push_back(line);
    EXPECT_EQ(status, 0);
    // The broken file, first by name, keeps its place in the first row, empty.
    EXPECT_EQ(rows, (std::vector<std::string>{"row 5", "row 5", "row 3", "row 3"}));
}

TEST_F(ThumbnailPageTest, EmptyMissingOrImagelessFoldersGiveNothing)
{
    builder.LoadTemplate();
    EXPECT_FALSE(Build());
    EXPECT_FALSE(fs::exists(Thumbs()));
    EXPECT_FALSE(fs::exists(photos.path() / ThumbnailPageBuilder::kPageName));

    testsupport::WriteFile(photos.path() / "readme.txt", std::string("x"));
    EXPECT_FALSE(Build());
    EXPECT_FALSE(fs::exists(Thumbs()));

    EXPECT_FALSE(builder.Build((photos.path() / "missing").c_str()));
    EXPECT_FALSE(builder.Build(photos.file("readme.txt").c_str()));
    EXPECT_FALSE(builder.Build(""));
    EXPECT_FALSE(builder.Build(nullptr));
    EXPECT_EQ(desktop.LastCursor(), platform::CursorShape::Arrow);

    // Thumbnails of earlier builds are kept, and so is their folder.
    fs::create_directory(Thumbs());
    testsupport::WriteFile(Thumbs() / "old.jpg", std::string("x"));
    EXPECT_FALSE(Build());
    EXPECT_TRUE(fs::exists(Thumbs() / "old.jpg"));
}

TEST_F(ThumbnailPageTest, NoPageWithoutExactlyOneTablePlaceholder)
{
    WriteImage("a.bmp", 10, 10);
    EXPECT_FALSE(Build()); // no template loaded yet
    EXPECT_FALSE(fs::exists(Thumbs()));

    UseTemplate("[THUMBNAILS] and [THUMBNAILS]");
    EXPECT_FALSE(Build());
    EXPECT_FALSE(fs::exists(photos.path() / ThumbnailPageBuilder::kPageName));
    UseTemplate("no table");
    EXPECT_FALSE(Build());
    EXPECT_FALSE(fs::exists(photos.path() / ThumbnailPageBuilder::kPageName));
    UseTemplate("<p>[THUMBNAILS]</p>");
    EXPECT_TRUE(Build());
}

TEST_F(ThumbnailPageTest, PagesBeyondSixtyFourKilobytesAreWrittenWhole)
{
    for (int i = 0; i < 120; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d", i);
        WriteImage(std::string(name) + std::string(180, 'n') + "%d.bmp", 2, 2);
    }
    UseTemplate("%s [THUMBNAILS]\n%d end");
    ASSERT_TRUE(builder.SetThumbnailSettings(4, 4, 10));
    ASSERT_TRUE(Build());
    const std::string page = Page();
    EXPECT_GT(page.size(), 65536u);
    EXPECT_EQ(page.substr(0, 3), "%s ");
    EXPECT_EQ(page.substr(page.size() - 7), "\n%d end");
    EXPECT_EQ(CountOf(page, "%d.bmp</td>"), 120);
    EXPECT_EQ(page.find('\r'), std::string::npos);
}

// The template and the page are replaced like every other file the program writes.
TEST(TextFileWrite, KeepsTheFilesModeAndFollowsALink)
{
    testsupport::TempDir dir;
    const std::string real = dir.file("template.html");
    const std::string link = dir.file("link.html");
    testsupport::WriteFile(real, std::string("old"));
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink(real, link);
    ASSERT_TRUE(ReplaceTextFile(link, "new text"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(real), "new text");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(ReplaceTextFile(dir.file("no-folder/page.html"), "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}
