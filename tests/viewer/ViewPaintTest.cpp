// The main view painted into a software device context, pixel by pixel.
#include "BrowserFixture.h"
#include "RasterDC.h"
#include "ViewPainter.h"

#include <gtest/gtest.h>

namespace {

constexpr ColorRef kGrey = MakeColorRef(127, 127, 127);
constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);
constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
constexpr ColorRef kRed = MakeColorRef(200, 0, 0);

} // namespace

class PaintTest : public BrowserTest {
protected:
    void WriteRed(const std::string& name, int width, int height)
    {
        Picture picture(width, height, 24);
        const std::uint32_t rowBytes = 3 * std::uint32_t(width);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = picture.GetBits() + std::size_t(y) * picture.GetEffWidth();
            for (std::uint32_t i = 0; i < rowBytes; i += 3) row[i + 2] = 200;
        }
        ASSERT_TRUE(picture.Save(PathOf(name), ImageFormat::Bmp));
    }

    // Paints into a device context of the image area's size.
    void Paint(RasterDC& dc) { PaintView(browser, dc); }
};

TEST_F(PaintTest, SmallImageCentredOnGrey)
{
    WriteRed("a.bmp", 200, 100);
    ASSERT_TRUE(browser.LoadFile(PathOf("a.bmp").c_str()));
    RasterDC dc(400, 340);
    Paint(dc);
    EXPECT_EQ(dc.GetPixel(0, 0), kGrey);
    EXPECT_EQ(dc.GetPixel(99, 120), kGrey);
    EXPECT_EQ(dc.GetPixel(100, 120), kRed);
    EXPECT_EQ(dc.GetPixel(299, 219), kRed);
    EXPECT_EQ(dc.GetPixel(300, 219), kGrey);
    EXPECT_EQ(dc.GetPixel(299, 220), kGrey);
    EXPECT_EQ(dc.GetPixel(100, 119), kGrey);
}

TEST_F(PaintTest, FrameRingsAroundTheImage)
{
    browser.SetDrawBorder(true);
    WriteRed("a.bmp", 200, 100);
    ASSERT_TRUE(browser.LoadFile(PathOf("a.bmp").c_str()));
    RasterDC dc(400, 340);
    Paint(dc);
    // Walk left along the image's middle row: image, black, 4 white, black, 3 grey.
    const ColorRef expected[] = {kRed, kBlack, kWhite, kWhite, kWhite, kWhite, kBlack, kGrey, kGrey, kGrey, kGrey};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(dc.GetPixel(100 - i, 170), expected[i]) << "x " << 100 - i;
    // And down from the image's bottom-right corner, and through the frame's corners.
    for (int i = 0; i < 11; ++i) EXPECT_EQ(dc.GetPixel(299, 219 + i), expected[i]) << "y " << 219 + i;
    EXPECT_EQ(dc.GetPixel(99, 119), kBlack);
    EXPECT_EQ(dc.GetPixel(300, 220), kBlack);
    EXPECT_EQ(dc.GetPixel(300, 119), kBlack);
    EXPECT_EQ(dc.GetPixel(99, 220), kBlack);
    EXPECT_EQ(dc.GetPixel(95, 115), kWhite);
    EXPECT_EQ(dc.GetPixel(304, 224), kWhite);
    EXPECT_EQ(dc.GetPixel(94, 114), kBlack);
    EXPECT_EQ(dc.GetPixel(305, 225), kBlack);
    EXPECT_EQ(dc.GetPixel(93, 113), kGrey);
}

TEST_F(PaintTest, PanoramaSpansTheWidthCentredVertically)
{
    WriteRed("wide.bmp", 4000, 200);
    ASSERT_TRUE(browser.LoadFile(PathOf("wide.bmp").c_str()));
    ASSERT_EQ(browser.GetViewWidth(), 1006);
    RasterDC dc(1006, 340);
    Paint(dc);
    EXPECT_EQ(dc.GetPixel(0, 145), kRed);
    EXPECT_EQ(dc.GetPixel(1005, 194), kRed);
    EXPECT_EQ(dc.GetPixel(0, 144), kGrey);
    EXPECT_EQ(dc.GetPixel(1005, 195), kGrey);
}

TEST_F(PaintTest, NoImagePaintsGreyOnly)
{
    WriteBroken("a.bmp");
    browser.LoadDirectory(Dir().c_str(), true);
    RasterDC dc(400, 340);
    Paint(dc);
    for (auto [x, y] : {std::pair{0, 0}, {200, 170}, {399, 339}}) EXPECT_EQ(dc.GetPixel(x, y), kGrey);
    int w = -1, h = -1;
    ImageBrowser unused(desktop);
    EXPECT_FALSE(unused.Draw(dc, w, h));
}
