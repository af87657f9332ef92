// The main view painted into a software device context, pixel by pixel.
#include "BrowserFixture.h"
#include "ExternalDecoder.h"
#include "RasterDC.h"
#include "ViewConstants.h"
#include "ViewPainter.h"
#include "ViewSizing.h"

#include <gtest/gtest.h>

#include <cmath>

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

namespace {

// What the view shows inside the placed picture, as top-down RGB samples.
testsupport::RawImage Shown(const RasterDC& dc, const view::Placement& place)
{
    testsupport::RawImage shown{place.width, place.height, 3, {}};
    for (int y = 0; y < place.height; ++y)
        for (int x = 0; x < place.width; ++x) {
            const ColorRef c = dc.GetPixel(place.x + x, place.y + y);
            shown.samples.insert(shown.samples.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        }
    return shown;
}

double Psnr(const testsupport::RawImage& a, const testsupport::RawImage& b)
{
    double squares = 0;
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
        const double d = double(a.samples[i]) - double(b.samples[i]);
        squares += d * d;
    }
    return squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * double(a.samples.size()) / squares);
}

// Paints the document into an area, returning where the picture went.
view::Placement PaintDocument(ImageDocument& document, RasterDC& dc, int width, int height)
{
    dc.FillRect({0, 0, dc.GetWidth(), dc.GetHeight()}, view::kBackground);
    int drawnWidth = 0, drawnHeight = 0;
    EXPECT_TRUE(document.DrawFitted(dc, width, height, 0, drawnWidth, drawnHeight));
    const Picture& picture = document.GetPicture();
    return view::PlaceInArea(picture.GetWidth(), picture.GetHeight(), width, height, 0);
}

} // namespace

// Below 100 % the view shows the picture's area average: ImageMagick's -scale over the view's
// grey. Photos, grey and palette pictures, and alpha, at factors that do not divide evenly.
TEST(ViewReduction, MatchesAnAreaAverageOverTheGrey)
{
    if (!testsupport::HaveTool("convert")) GTEST_SKIP() << "needs ImageMagick's convert";
    const struct {
        const char* file;
        int width, height;
    } cases[] = {
        {"exif/exif-samples/orientation/landscape_1.jpg", 223, 167}, {"exif/exif-samples/orientation/portrait_6.jpg", 131, 400},
        {"jpeg/pillow/hopper_gray.jpg", 47, 47},                     {"pngsuite/basn3p08.png", 13, 13},
        {"pngsuite/bgan6a08.png", 21, 21},                           {"pngsuite/basn3p04.png", 32, 31},
    };
    for (const auto& c : cases) {
        const std::string path = (testsupport::CorpusDir() / c.file).string();
        ImageDocument document;
        ASSERT_TRUE(document.Load(path.c_str())) << c.file;
        RasterDC dc(c.width, c.height);
        const view::Placement place = PaintDocument(document, dc, c.width, c.height);
        const auto reference = testsupport::ConvertWith(
            path, "-auto-orient -background 'rgb(127,127,127)' -flatten -scale " + std::to_string(place.width) + "x" +
                      std::to_string(place.height) + "!");
        ASSERT_TRUE(reference) << c.file;
        EXPECT_GT(Psnr(Shown(dc, place), *reference), 45) << c.file;
    }
}

TEST_F(PaintTest, ReducedCopyIsKeptUntilThePictureOrTheSizeChanges)
{
    WriteRed("red.bmp", 400, 300);
    Picture green(400, 300, 24);
    green.Clear(0x80);
    ASSERT_TRUE(green.Save(PathOf("green.bmp"), ImageFormat::Bmp));
    ImageDocument document;
    ASSERT_TRUE(document.Load(PathOf("red.bmp").c_str()));
    RasterDC dc(200, 150);
    PaintDocument(document, dc, 200, 150);
    PaintDocument(document, dc, 200, 150);
    EXPECT_EQ(document.GetViewCopy().GetMadeCount(), 1);
    EXPECT_EQ(dc.GetPixel(199, 149), kRed);

    ASSERT_TRUE(document.Load(PathOf("green.bmp").c_str()));
    PaintDocument(document, dc, 200, 150);
    EXPECT_EQ(document.GetViewCopy().GetMadeCount(), 2);
    EXPECT_EQ(dc.GetPixel(199, 149), MakeColorRef(0x80, 0x80, 0x80));

    const view::Placement place = PaintDocument(document, dc, 100, 75);
    EXPECT_EQ(document.GetViewCopy().GetMadeCount(), 3);
    EXPECT_EQ(place.width, 100);
    EXPECT_EQ(dc.GetPixel(99, 74), MakeColorRef(0x80, 0x80, 0x80));
    EXPECT_EQ(dc.GetPixel(100, 75), view::kBackground);

    // At 100 % an opaque picture is drawn as it is, with no copy.
    PaintDocument(document, dc, 400, 300);
    EXPECT_EQ(document.GetViewCopy().GetMadeCount(), 3);
}

// Transparent parts show the grey through them, at 100 % and below: half-transparent red is
// half red, a transparent palette entry is the grey itself.
TEST(ViewTransparency, BlendsOverTheGrey)
{
    if (!testsupport::HaveTool("convert")) GTEST_SKIP() << "needs ImageMagick's convert";
    testsupport::TempDir temp;
    const struct {
        const char* make;
        int x;
        ColorRef expected;
    } cases[] = {
        {"-size 40x30 'xc:rgba(255,0,0,0.5)' PNG32:", 30, MakeColorRef(191, 63, 63)},
        {"-size 20x30 xc:none -size 20x30 xc:red +append PNG8:", 5, view::kBackground},
        {"-size 20x30 xc:none -size 20x30 xc:red +append PNG8:", 30, MakeColorRef(255, 0, 0)},
    };
    for (const auto& c : cases) {
        const std::string file = temp.file("t.png");
        ASSERT_EQ(std::system(("convert " + std::string(c.make) + testsupport::ShellQuote(file)).c_str()), 0);
        ImageDocument document;
        ASSERT_TRUE(document.Load(file.c_str()));
        for (const int scale : {1, 2}) {
            RasterDC dc(40, 30);
            const view::Placement place = PaintDocument(document, dc, 40 / scale, 30 / scale);
            const ColorRef shown = dc.GetPixel(place.x + c.x / scale, place.y + 10 / scale);
            EXPECT_LE(testsupport::ChannelDistance(shown, c.expected), 1) << c.make << " at 1/" << scale;
        }
    }
}
