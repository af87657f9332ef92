#include "FakePlatform.h"
#include "ImageDocument.h"
#include "ImageFileName.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::TempDir;

TEST(ImageFileName, ListsTheExtensionsOfEveryFormatReadInAnyCase)
{
    for (const char* name : {"a.bmp", "a.DIB", "x/y.Gif", "p.jpg", "p.jif", "p.JPEG", "p.pcx", "p.png",
                             "p.tga", "/d/p.TIF", "p.tiff", "C:\\pics\\A.JPG", "dir.png/x.bmp", "a.ico", "a.CUR",
                             "a.wbmp", "a.wmf", "a.Emf", "p.jfif"})
        EXPECT_TRUE(IsImageFileName(name)) << name;
    for (const char* name : {"a.svg", "a.jpg.txt", "jpg", "/p/a.jpg/", "a.tif~", "a.", ".", "a.j"})
        EXPECT_FALSE(IsImageFileName(name)) << name;
    EXPECT_FALSE(IsImageFileName(nullptr));
    // The path library answers an empty path with its previous result; the filter must not.
    EXPECT_TRUE(IsImageFileName("/p/a.png"));
    EXPECT_FALSE(IsImageFileName(""));
}

TEST(ImageDocument, FailedLoadKeepsEverything)
{
    TempDir dir;
    testsupport::WriteFile(dir.path() / "broken.bmp", std::string("BM not really a bitmap"));
    ImageDocument doc;
    doc.CreateBlank(10, 20);
    EXPECT_FALSE(doc.Load(dir.file("broken.bmp").c_str()));
    EXPECT_FALSE(doc.Load(dir.file("missing.png").c_str()));
    EXPECT_FALSE(doc.Load(""));
    EXPECT_FALSE(doc.Load(nullptr));
    EXPECT_FALSE(doc.Load(("/" + std::string(300, 'a') + ".bmp").c_str()));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_STREQ(doc.GetPath(), "");
    EXPECT_EQ(doc.GetInfo().width, 10);
    EXPECT_EQ(doc.GetPicture().GetWidth(), 10);
    EXPECT_EQ(doc.GetPicture().GetHeight(), 20);
}

TEST(ImageDocument, BlankIsGreyAndDescribesItself)
{
    ImageDocument doc;
    doc.CreateBlank(400, 340);
    const Picture& picture = doc.GetPicture();
    ASSERT_TRUE(picture.IsValid());
    EXPECT_EQ(picture.GetBpp(), 24u);
    for (auto [x, y] : {std::pair{0, 0}, {399, 339}, {200, 17}})
        EXPECT_EQ(picture.GetPixelColor(x, y), (RgbQuad{127, 127, 127, 0}));
    ImageInfo info = doc.GetInfo();
    EXPECT_STREQ(info.path, "");
    EXPECT_EQ(info.width, 400);
    EXPECT_EQ(info.height, 340);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.fileSize, 400.0 * 340 * 3);
    EXPECT_FALSE(doc.IsLoaded());

    // A size that is not positive keeps the picture but still goes into the information.
    doc.CreateBlank(0, 5);
    EXPECT_EQ(doc.GetPicture().GetWidth(), 400);
    EXPECT_EQ(doc.GetInfo().width, 0);
    EXPECT_EQ(doc.GetInfo().height, 5);
    EXPECT_EQ(doc.GetInfo().fileSize, 400.0 * 340 * 3);
}

TEST(ImageDocument, ClipboardGetsThePackedBitmap)
{
    testsupport::FakeClipboard clipboard;
    ImageDocument doc;
    EXPECT_FALSE(doc.CopyToClipboard(clipboard));
    EXPECT_TRUE(clipboard.image.empty());
    doc.CreateBlank(3, 2);
    EXPECT_TRUE(doc.CopyToClipboard(clipboard));
    // Header, then two rows of 9 bytes padded to 12.
    ASSERT_EQ(clipboard.image.size(), 40u + 2 * 12);
    EXPECT_EQ(clipboard.image[0], 40);
    EXPECT_EQ(clipboard.image[40], 127);
    clipboard.accept = false;
    EXPECT_FALSE(doc.CopyToClipboard(clipboard));
}

namespace {

// A loaded document of the given size and depth, from a bitmap in dir.
void LoadPicture(ImageDocument& doc, const TempDir& dir, int width, int height, std::uint32_t bits = 24)
{
    Picture picture(width, height, bits);
    if (bits <= 8) picture.SetGrayPalette();
    const std::string path = dir.file("source.bmp");
    ASSERT_TRUE(picture.Save(path, ImageFormat::Bmp));
    ASSERT_TRUE(doc.Load(path.c_str()));
}

} // namespace

TEST(ImageDocument, LoadRecordsTheFile)
{
    TempDir dir;
    ImageDocument doc;
    LoadPicture(doc, dir, 7, 5, 8);
    ImageInfo info = doc.GetInfo();
    EXPECT_TRUE(doc.IsLoaded());
    EXPECT_EQ(std::string(doc.GetPath()), dir.file("source.bmp"));
    EXPECT_EQ(std::string(info.path), dir.file("source.bmp"));
    EXPECT_EQ(info.width, 7);
    EXPECT_EQ(info.height, 5);
    EXPECT_EQ(info.bitsPerPixel, 8);
    EXPECT_EQ(info.fileSize, double(std::filesystem::file_size(dir.file("source.bmp"))));
}

TEST(ImageDocument, FitIntoKeepsProportions)
{
    TempDir dir;
    struct {
        int width, height, fittedWidth, fittedHeight;
    } cases[] = {{400, 300, 120, 90}, {300, 400, 90, 120}, {60, 60, 120, 120}, {5000, 10, 120, 1}};
    for (auto c : cases) {
        ImageDocument doc;
        LoadPicture(doc, dir, c.width, c.height);
        ASSERT_TRUE(doc.FitInto(120, 120, true));
        EXPECT_EQ(doc.GetPicture().GetWidth(), c.fittedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(doc.GetPicture().GetHeight(), c.fittedHeight) << c.width << "x" << c.height;
    }
    ImageDocument doc;
    EXPECT_FALSE(doc.FitInto(120, 120, true));
    LoadPicture(doc, dir, 400, 300);
    ASSERT_TRUE(doc.FitInto(50, 70, false));
    EXPECT_EQ(doc.GetPicture().GetWidth(), 50);
    EXPECT_EQ(doc.GetPicture().GetHeight(), 70);
    EXPECT_FALSE(doc.FitInto(0, 70, false));
}

TEST(ImageDocument, SaveAsConvertsACopyAndFixesTheExtension)
{
    TempDir dir;
    ImageDocument doc;
    EXPECT_FALSE(doc.SaveAs(dir.file("x.bmp").c_str(), SaveBmp));
    LoadPicture(doc, dir, 30, 20, 8);
    ASSERT_TRUE(doc.SaveAs(dir.file("b.png").c_str(), SaveJpg));
    EXPECT_EQ(std::string(doc.GetPath()), dir.file("b.png"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.png")));
    Picture written;
    ASSERT_TRUE(written.Load(dir.file("b.jpg")));
    EXPECT_EQ(written.GetType(), ImageFormat::Jpg);
    EXPECT_EQ(written.GetBpp(), 24u);
    EXPECT_EQ(doc.GetPicture().GetBpp(), 8u);

    ASSERT_TRUE(doc.SaveAs(dir.file("c").c_str(), SaveBmp));
    ASSERT_TRUE(written.Load(dir.file("c.bmp")));
    EXPECT_EQ(written.GetBpp(), 8u);
    EXPECT_FALSE(doc.SaveAs(dir.file("d.bmp").c_str(), -1));
    EXPECT_FALSE(doc.SaveAs(dir.file("d.bmp").c_str(), kSaveTypes));
    EXPECT_FALSE(doc.SaveAs("", SaveBmp));
}

TEST(ImageDocument, FailedSaveTellsWhichFileAndWhy)
{
    TempDir dir;
    ImageDocument doc;
    EXPECT_FALSE(doc.SaveAs(dir.file("x.bmp").c_str(), SaveBmp));
    EXPECT_STRNE(doc.GetSaveError(), "");
    LoadPicture(doc, dir, 30, 20, 24);
    EXPECT_FALSE(doc.SaveAs(dir.file("none/b").c_str(), SaveGif));
    EXPECT_EQ(std::string(doc.GetSaveTarget()), dir.file("none/b.gif"));
    EXPECT_NE(std::string(doc.GetSaveError()).find("could not be created: No such file or directory"), std::string::npos) << doc.GetSaveError();
    EXPECT_FALSE(doc.SaveAs(dir.file("c.bmp").c_str(), kSaveTypes));
    EXPECT_STRNE(doc.GetSaveError(), "");
    ASSERT_TRUE(doc.SaveAs(dir.file("c.bmp").c_str(), SaveBmp));
    EXPECT_STREQ(doc.GetSaveError(), "");
    EXPECT_EQ(std::string(doc.GetSaveTarget()), dir.file("c.bmp"));
}
