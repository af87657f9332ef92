#include "FakePlatform.h"
#include "ImageDocument.h"
#include "ImageFileName.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::TempDir;

TEST(ImageFileName, ListsTheElevenExtensionsInAnyCase)
{
    for (const char* name : {"a.bmp", "a.DIB", "x/y.Gif", "p.jpg", "p.jif", "p.JPEG", "p.pcx", "p.png",
                             "p.tga", "/d/p.TIF", "p.tiff", "C:\\pics\\A.JPG", "dir.png/x.bmp"})
        EXPECT_TRUE(IsImageFileName(name)) << name;
    for (const char* name : {"a.ico", "a.wbmp", "a.wmf", "a.jpg.txt", "jpg", "/p/a.jpg/", "a.tif~", "a."})
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
