// Picture: depth rounding and layout, pixel packing, palette operations, nearest colour search.
#include "Picture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RgbQuad Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return RgbQuad{b, g, r, 0};
}

TEST(PictureCreate, RoundsDepthAndSizesPalette)
{
    struct Case {
        std::uint32_t requested, bits, colours;
    } cases[] = {{0, 1, 2},  {1, 1, 2},   {2, 4, 16},  {4, 4, 16}, {5, 8, 256},
                 {8, 8, 256}, {16, 24, 0}, {24, 24, 0}, {32, 24, 0}};
    for (const auto& c : cases) {
        Picture picture(10, 3, c.requested);
        ASSERT_TRUE(picture.IsValid()) << c.requested;
        EXPECT_EQ(picture.GetBpp(), c.bits) << c.requested;
        EXPECT_EQ(picture.GetNumColors(), c.colours) << c.requested;
        EXPECT_EQ(picture.GetPaletteSize(), 4 * c.colours);
        EXPECT_EQ(picture.GetSize(), 40 + 4 * c.colours + picture.GetEffWidth() * 3);
        EXPECT_EQ(picture.GetBits(), picture.GetDib() + 40 + 4 * std::size_t(c.colours));
    }
}

TEST(PictureCreate, RowStrideIsPaddedToFourBytes)
{
    EXPECT_EQ(Picture(1, 1, 24).GetEffWidth(), 4u);
    EXPECT_EQ(Picture(33, 1, 1).GetEffWidth(), 8u);
    EXPECT_EQ(Picture(32, 1, 1).GetEffWidth(), 4u);
    EXPECT_EQ(Picture(9, 1, 4).GetEffWidth(), 8u);
    EXPECT_EQ(Picture(5, 1, 8).GetEffWidth(), 8u);
    EXPECT_EQ(Picture(7, 1, 24).GetEffWidth(), 24u);
}

TEST(PictureCreate, WritesTheHeaderIntoTheBlock)
{
    Picture picture(17, 5, 8, ImageFormat::Gif);
    BitmapInfoHeader inBlock;
    std::memcpy(&inBlock, picture.GetDib(), sizeof inBlock);
    EXPECT_EQ(inBlock.size, 40u);
    EXPECT_EQ(inBlock.width, 17);
    EXPECT_EQ(inBlock.height, 5);
    EXPECT_EQ(inBlock.planes, 1);
    EXPECT_EQ(inBlock.bitsPerPixel, 8);
    EXPECT_EQ(inBlock.imageSize, 20u * 5);
    EXPECT_EQ(inBlock.colours, 256u);
    EXPECT_EQ(inBlock.xPelsPerMeter, 3780);
    EXPECT_EQ(picture.GetType(), ImageFormat::Gif);
}

TEST(PictureCreate, ClearsPaletteAndRows)
{
    for (std::uint32_t bits : {1u, 8u, 24u}) {
        Picture picture(100, 100, bits);
        const std::uint8_t* p = picture.GetBits();
        const std::uint32_t size = picture.GetSize() - 40;
        const std::uint8_t* block = picture.GetDib() + 40;
        EXPECT_TRUE(std::all_of(block, block + size, [](std::uint8_t b) { return b == 0; })) << bits;
        EXPECT_NE(p, nullptr);
    }
}

TEST(PictureCreate, RefusesImpossibleAndHugeSizes)
{
    struct Case {
        std::int32_t width, height;
        std::uint32_t bits;
    } cases[] = {{0, 10, 24},          {10, 0, 24},          {-5, 10, 8},          {10, -1, 8},
                 {0x7FFFFFFF, 2, 24},  {65536, 65536, 1},    {0x7FFFFFFF, 0x7FFFFFFF, 24},
                 {20000, 20000, 24}};
    for (const auto& c : cases) {
        Picture picture(ImageFormat::Bmp);
        EXPECT_EQ(picture.Create(c.width, c.height, c.bits), nullptr) << c.width << "x" << c.height;
        EXPECT_FALSE(picture.IsValid());
        EXPECT_STRNE(picture.GetLastError(), "");
    }
    Picture largest;
    EXPECT_NE(largest.Create(16384, 16384, 1), nullptr);
}

TEST(PictureCreate, ReplacesTheOldImageAndDropsPlanes)
{
    Picture picture(8, 8, 24);
    picture.AlphaCreate();
    ASSERT_NE(picture.GetAlpha(), nullptr);
    picture.Create(4, 4, 8);
    EXPECT_EQ(picture.GetAlpha(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 4);
    EXPECT_EQ(picture.GetNumColors(), 256u);
}

TEST(PictureResolution, RoundsPixelsPerMetre)
{
    Picture picture;
    picture.SetDpiX(96);
    picture.SetDpiY(72);
    EXPECT_EQ(picture.GetHeader().xPelsPerMeter, 3780);
    EXPECT_EQ(picture.GetHeader().yPelsPerMeter, 2835);
    picture.SetDpiX(300);
    EXPECT_EQ(picture.GetHeader().xPelsPerMeter, 11811);
    EXPECT_EQ(picture.GetDpiX(), 300);
}

TEST(PicturePixels, PacksOneBitPixelsMostSignificantFirst)
{
    Picture picture(33, 2, 1);
    picture.SetPixelIndex(0, 0, 1);
    picture.SetPixelIndex(9, 0, 1);
    picture.SetPixelIndex(32, 1, 1);
    const std::uint8_t* rows = picture.GetBits();
    EXPECT_EQ(rows[0], 0x80);
    EXPECT_EQ(rows[1], 0x40);
    EXPECT_EQ(rows[8 + 4], 0x80);
    EXPECT_EQ(picture.GetPixelIndex(9, 0), 1);
    EXPECT_EQ(picture.GetPixelIndex(8, 0), 0);
    picture.SetPixelIndex(9, 0, 0);
    EXPECT_EQ(rows[1], 0x00);
    // Only the low bit of the index counts.
    picture.SetPixelIndex(1, 0, 0xFE);
    EXPECT_EQ(picture.GetPixelIndex(1, 0), 0);
}

TEST(PicturePixels, PacksFourBitPixelsHighNibbleFirst)
{
    Picture picture(3, 1, 4);
    picture.SetPixelIndex(0, 0, 0xA);
    picture.SetPixelIndex(1, 0, 0x5);
    picture.SetPixelIndex(2, 0, 0x1F);
    EXPECT_EQ(picture.GetBits()[0], 0xA5);
    EXPECT_EQ(picture.GetBits()[1], 0xF0);
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 0xA);
    EXPECT_EQ(picture.GetPixelIndex(1, 0), 0x5);
    EXPECT_EQ(picture.GetPixelIndex(2, 0), 0xF);
    picture.SetPixelIndex(0, 0, 0x3);
    EXPECT_EQ(picture.GetBits()[0], 0x35);
}

TEST(PicturePixels, EightAndTwentyFourBitLayout)
{
    Picture palette(5, 2, 8);
    palette.SetPixelIndex(4, 1, 200);
    EXPECT_EQ(palette.GetBits()[8 + 4], 200);

    Picture truecolour(2, 2, 24);
    truecolour.SetPixelColor(1, 1, Rgb(10, 20, 30));
    const std::uint8_t* p = truecolour.GetBits() + 8 + 3;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    truecolour.SetPixelColor(0, 0, MakeColorRef(1, 2, 3));
    EXPECT_EQ(truecolour.GetPixelColor(0, 0), Rgb(1, 2, 3));
}

TEST(PicturePixels, OutOfRangeReads)
{
    Picture palette(4, 4, 8);
    palette.SetPaletteColor(0, Rgb(1, 1, 1));
    palette.SetPaletteColor(7, Rgb(7, 7, 7));
    palette.SetPixelIndex(0, 0, 3);
    palette.SetPaletteColor(3, Rgb(3, 3, 3));

    EXPECT_EQ(palette.GetPixelIndex(-1, 0), 0);
    EXPECT_EQ(palette.GetPixelColor(4, 0), Rgb(3, 3, 3)) << "colour of pixel (0, 0)";
    palette.SetTransparentIndex(7);
    EXPECT_EQ(palette.GetPixelIndex(-1, 0), 7);
    EXPECT_EQ(palette.GetPixelIndex(0, 4), 7);
    EXPECT_EQ(palette.GetPixelColor(-1, -1), Rgb(7, 7, 7));

    Picture truecolour(2, 2, 24);
    truecolour.SetPixelColor(0, 0, Rgb(9, 8, 7));
    truecolour.SetTransparentIndex(5);
    EXPECT_EQ(truecolour.GetPixelIndex(-1, 0), 0);
    EXPECT_EQ(truecolour.GetPixelIndex(0, 0), 0);
    truecolour.SetTransparentColor(Rgb(4, 5, 6));
    EXPECT_EQ(truecolour.GetPixelColor(2, 0), Rgb(4, 5, 6));
    truecolour.SetTransparentIndex(-1);
    EXPECT_EQ(truecolour.GetPixelColor(2, 0).Value() & 0xFFFFFF, Rgb(9, 8, 7).Value());

    Picture empty;
    empty.SetTransparentColor(Rgb(1, 2, 3));
    EXPECT_EQ(empty.GetPixelColor(0, 0), Rgb(1, 2, 3));
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
    empty.SetPixelIndex(0, 0, 1);
    empty.SetPixelColor(0, 0, Rgb(1, 1, 1));

    // Writes outside are ignored, and never touch a neighbouring row.
    Picture small(3, 2, 8);
    small.SetPixelIndex(3, 0, 9);
    small.SetPixelIndex(-1, 1, 9);
    small.SetPixelColor(0, 2, Rgb(255, 255, 255));
    for (std::uint32_t i = 0; i < small.GetHeader().imageSize; ++i) EXPECT_EQ(small.GetBits()[i], 0);
}

TEST(PicturePixels, AlphaAndReservedByteInColours)
{
    Picture picture(2, 1, 24);
    picture.SetTransparentColor(RgbQuad{0, 0, 0, 0x44});
    EXPECT_EQ(picture.GetPixelColor(0, 0).reserved, 0x44);
    picture.AlphaCreate();
    picture.SetPixelColor(1, 0, RgbQuad{1, 2, 3, 0x80}, true);
    EXPECT_EQ(picture.AlphaGet(1, 0), 0x80);
    EXPECT_EQ(picture.GetPixelColor(1, 0), (RgbQuad{1, 2, 3, 0x80}));
    EXPECT_EQ(picture.GetColorKind(), 4);
}

TEST(PicturePixels, SwapRedBlueNeverTouchesAPartialTriple)
{
    Picture picture(4, 1, 24);
    std::uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    picture.SwapRedBlue(buffer, 7);
    const std::uint8_t expected[8] = {3, 2, 1, 6, 5, 4, 7, 8};
    EXPECT_EQ(0, std::memcmp(buffer, expected, 8));

    Picture palette(4, 1, 8);
    std::uint8_t unchanged[3] = {1, 2, 3};
    palette.SwapRedBlue(unchanged, 3);
    EXPECT_EQ(unchanged[0], 1);
}

TEST(PicturePixels, ClearFillsOnlyPixelData)
{
    Picture picture(3, 3, 8);
    picture.SetPaletteColor(0, Rgb(1, 2, 3));
    picture.Clear(0x5A);
    EXPECT_EQ(picture.GetPixelIndex(2, 2), 0x5A);
    EXPECT_EQ(picture.GetPaletteColor(0), Rgb(1, 2, 3));
}

TEST(PicturePalette, GetAndSetFollowIndexRules)
{
    Picture picture(1, 1, 4);
    picture.SetPaletteEntry(3, 10, 20, 30, 40);
    EXPECT_EQ(picture.GetPaletteColor(3), (RgbQuad{30, 20, 10, 40}));
    // Indices are taken modulo 256 and must lie below the palette size.
    EXPECT_EQ(picture.GetPaletteColor(259), (RgbQuad{30, 20, 10, 40}));
    picture.SetPaletteEntry(16, 1, 1, 1);
    EXPECT_EQ(picture.GetPaletteColor(16), RgbQuad{});
    std::uint8_t r = 0, g = 0, b = 0;
    EXPECT_TRUE(picture.GetPaletteColor(3, r, g, b));
    EXPECT_EQ(r, 10);
    EXPECT_FALSE(picture.GetPaletteColor(20, r, g, b));

    Picture truecolour(1, 1, 24);
    EXPECT_EQ(truecolour.GetPalette(), nullptr);
    EXPECT_FALSE(truecolour.GetPaletteColor(0, r, g, b));
    truecolour.SetPaletteColor(0, Rgb(1, 2, 3));
}

TEST(PicturePalette, BulkSetters)
{
    Picture picture(1, 1, 1);
    const std::uint8_t red[3] = {10, 11, 12};
    const std::uint8_t green[3] = {20, 21, 22};
    picture.SetPalette(3, red, green);
    EXPECT_EQ(picture.GetPaletteColor(0), Rgb(10, 20, 20)) << "blue falls back to green";
    EXPECT_EQ(picture.GetPaletteColor(1), Rgb(11, 21, 21));
    picture.SetPalette(2, red);
    EXPECT_EQ(picture.GetPaletteColor(1), Rgb(11, 11, 11));

    const std::uint8_t triples[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    picture.SetPaletteFromTriples(triples, 3);
    EXPECT_EQ(picture.GetPaletteColor(1), Rgb(4, 5, 6));

    const RgbQuad raw[4] = {Rgb(1, 1, 1), Rgb(2, 2, 2), Rgb(3, 3, 3), Rgb(4, 4, 4)};
    picture.SetPaletteRaw(raw, 4);
    EXPECT_EQ(picture.GetPaletteColor(1), Rgb(2, 2, 2));
    EXPECT_EQ(picture.GetPaletteSize(), 8u);
}

TEST(PicturePalette, GrayPaletteAndGrayScaleTest)
{
    Picture sixteen(1, 1, 4);
    sixteen.SetPaletteEntry(5, 0, 0, 0, 0x77);
    sixteen.SetGrayPalette();
    for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(sixteen.GetPaletteColor(i).red, i * 17);
    EXPECT_EQ(sixteen.GetPaletteColor(5).reserved, 0x77) << "reserved byte is left alone";
    EXPECT_FALSE(sixteen.IsGrayScale());

    Picture two(1, 1, 1);
    two.SetGrayPalette();
    EXPECT_EQ(two.GetPaletteColor(1), Rgb(255, 255, 255));
    EXPECT_FALSE(two.IsGrayScale()) << "entry 1 is not (1, 1, 1)";

    Picture full(1, 1, 8);
    full.SetGrayPalette();
    EXPECT_TRUE(full.IsGrayScale());
    full.SetPaletteEntry(128, 128, 128, 129);
    EXPECT_FALSE(full.IsGrayScale());
    EXPECT_FALSE(Picture(1, 1, 24).IsGrayScale());
}

TEST(PicturePalette, SwapIndexRewritesPixels)
{
    Picture picture(3, 1, 4);
    picture.SetPaletteColor(1, Rgb(1, 1, 1));
    picture.SetPaletteColor(2, Rgb(2, 2, 2));
    picture.SetPixelIndex(0, 0, 1);
    picture.SetPixelIndex(1, 0, 2);
    picture.SetPixelIndex(2, 0, 3);
    picture.SwapIndex(1, 2);
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(picture.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(picture.GetPixelIndex(2, 0), 3);
    EXPECT_EQ(picture.GetPaletteColor(1), Rgb(2, 2, 2));
    EXPECT_EQ(picture.GetPixelColor(0, 0), Rgb(1, 1, 1)) << "what is shown is unchanged";
}

TEST(PicturePalette, NearestIndexPrefersExactAndLowestIndex)
{
    Picture picture(1, 1, 8);
    picture.SetPaletteColor(10, Rgb(200, 0, 0));
    picture.SetPaletteColor(11, Rgb(200, 0, 0));
    picture.SetPaletteColor(40, Rgb(254, 0, 0));
    picture.SetPaletteColor(249, Rgb(255, 0, 0));
    // Entries 0..9 and the rest are black; black wins for dark colours by lowest index.
    EXPECT_EQ(picture.GetNearestIndex(Rgb(199, 0, 0)), 10);
    EXPECT_EQ(picture.GetNearestIndex(Rgb(255, 0, 0)), 249);
    EXPECT_EQ(picture.GetNearestIndex(Rgb(3, 3, 3)), 0);
    // The reserved byte does not take part in the distance.
    EXPECT_EQ(picture.GetNearestIndex(RgbQuad{0, 0, 254, 99}), 40);
}

TEST(PicturePalette, NearestIndexCacheIsClearedByPaletteChanges)
{
    Picture picture(1, 1, 1);
    picture.SetPaletteColor(0, Rgb(0, 0, 0));
    picture.SetPaletteColor(1, Rgb(255, 255, 255));
    EXPECT_EQ(picture.GetNearestIndex(Rgb(250, 250, 250)), 1);
    EXPECT_TRUE(picture.GetInfo().nearestCacheValid);
    picture.SetPaletteColor(0, Rgb(250, 250, 250));
    EXPECT_FALSE(picture.GetInfo().nearestCacheValid);
    EXPECT_EQ(picture.GetNearestIndex(Rgb(250, 250, 250)), 0);

    Picture viaPixel(1, 1, 1);
    viaPixel.SetPaletteColor(1, Rgb(255, 255, 255));
    viaPixel.SetPixelColor(0, 0, Rgb(200, 200, 200));
    EXPECT_EQ(viaPixel.GetPixelIndex(0, 0), 1);
    viaPixel.SetGrayPalette();
    viaPixel.SetPaletteColor(0, Rgb(200, 200, 200));
    viaPixel.SetPixelColor(0, 0, Rgb(200, 200, 200));
    EXPECT_EQ(viaPixel.GetPixelIndex(0, 0), 0);

    EXPECT_EQ(Picture(1, 1, 24).GetNearestIndex(Rgb(1, 2, 3)), 0);
}

TEST(PictureColours, ConversionsAndLuminance)
{
    EXPECT_EQ(RGBtoRGBQUAD(0xAA112233u).Value(), 0xAA332211u);
    EXPECT_EQ(RGBQUADtoRGB(Rgb(0x11, 0x22, 0x33)), MakeColorRef(0x11, 0x22, 0x33));
    EXPECT_EQ(Picture::CompareLuminance(Rgb(0, 255, 0), Rgb(0, 0, 0)), (601 * 255) >> 10);
    EXPECT_LT(Picture::CompareLuminance(Rgb(0, 0, 255), Rgb(255, 0, 0)), 0);
    EXPECT_EQ(Picture::CompareLuminance(Rgb(5, 5, 5), Rgb(5, 5, 5)), 0);
}

TEST(PictureExpand, SixteenBitMasks)
{
    Picture picture(3, 2, 24);
    // Rows of ((3 + 1) / 2) * 4 = 8 bytes.
    std::uint8_t rows[16] = {};
    auto put = [&](int x, int y, std::uint16_t w) {
        rows[y * 8 + 2 * x] = std::uint8_t(w);
        rows[y * 8 + 2 * x + 1] = std::uint8_t(w >> 8);
    };
    put(0, 0, 0xFFFF);
    put(1, 0, 0xF800);
    put(2, 1, 0x001F);
    ASSERT_TRUE(picture.Expand16or32Bit(rows, sizeof rows, 0xF800, 0x07E0, 0x001F, 16));
    EXPECT_EQ(picture.GetPixelColor(0, 0), Rgb(248, 252, 248));
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(248, 0, 0));
    EXPECT_EQ(picture.GetPixelColor(2, 1), Rgb(0, 0, 248));

    // 5-5-5 defaults.
    put(0, 0, 0x7FFF);
    ASSERT_TRUE(picture.Expand16or32Bit(rows, sizeof rows, 0x7C00, 0x03E0, 0x001F, 16));
    EXPECT_EQ(picture.GetPixelColor(0, 0), Rgb(248, 248, 248));
    EXPECT_FALSE(picture.Expand16or32Bit(rows, sizeof rows - 1, 0x7C00, 0x03E0, 0x001F, 16));
    EXPECT_FALSE(picture.Expand16or32Bit(rows, sizeof rows, 0x7C00, 0x03E0, 0x001F, 24));
    // Odd masks must not shift by a negative amount.
    EXPECT_TRUE(picture.Expand16or32Bit(rows, sizeof rows, 0x1, 0x2, 0x4, 16));
}

TEST(PictureExpand, WidensInPlace)
{
    Picture picture(5, 3, 24);
    const std::size_t sourceStride = 12;
    std::uint8_t* bits = picture.GetBits();
    for (std::size_t y = 0; y < 3; ++y)
        for (std::size_t x = 0; x < 5; ++x) {
            const std::uint16_t w = std::uint16_t((x + 1) << 10 | (y + 1) << 5 | (x + y));
            bits[y * sourceStride + 2 * x] = std::uint8_t(w);
            bits[y * sourceStride + 2 * x + 1] = std::uint8_t(w >> 8);
        }
    ASSERT_TRUE(picture.Expand16or32Bit(bits, picture.GetHeader().imageSize, 0x7C00, 0x03E0, 0x001F, 16));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(picture.GetPixelColor(x, y),
                      Rgb(std::uint8_t((x + 1) * 8), std::uint8_t((y + 1) * 8), std::uint8_t((x + y) * 8)));
}

TEST(PictureExpand, ThirtyTwoBitTakesBlueGreenRed)
{
    Picture picture(2, 1, 24);
    const std::uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(picture.Expand16or32Bit(pixels, 8, 0, 0, 0, 32));
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(7, 6, 5));
    EXPECT_FALSE(Picture(2, 1, 8).Expand16or32Bit(pixels, 8, 0, 0, 0, 32));
}

} // namespace

TEST(PictureLifetime, MovedFromPictureIsLikeANewOne)
{
    Picture source(4, 4, 8, ImageFormat::Png);
    source.SetTransparentIndex(3);
    source.SetJpegQuality(90);
    source.SetDpiX(300);
    source.SetPartial(true);
    Picture moved(std::move(source));
    EXPECT_TRUE(moved.IsPartial());
    EXPECT_EQ(moved.GetTransparentIndex(), 3);

    const Picture fresh;
    const auto expectFresh = [&fresh](const Picture& picture) {
        EXPECT_FALSE(picture.IsValid());
        EXPECT_EQ(picture.GetTransparentIndex(), fresh.GetTransparentIndex());
        EXPECT_EQ(picture.GetJpegQuality(), fresh.GetJpegQuality());
        EXPECT_EQ(picture.GetDpiX(), fresh.GetDpiX());
        EXPECT_EQ(picture.GetDpiY(), fresh.GetDpiY());
        EXPECT_FALSE(picture.IsPartial());
    };
    // The moved-from states are what is tested.
    expectFresh(source); // NOLINT(bugprone-use-after-move)
    source = std::move(moved);
    expectFresh(moved); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(source.GetTransparentIndex(), 3);
    ASSERT_NE(moved.Create(2, 2, 8), nullptr);
    EXPECT_EQ(moved.GetTransparentIndex(), -1);
}

TEST(PictureLifetime, CeilingIsASettingOfTheImageLayer)
{
    const std::uint64_t kept = Picture::GetMaxPixels();
    Picture::SetMaxPixels(100);
    Picture picture;
    EXPECT_EQ(picture.Create(10, 11, 24), nullptr);
    EXPECT_STREQ(picture.GetLastError(), "Create: image too large");
    EXPECT_NE(picture.Create(10, 10, 24), nullptr);
    EXPECT_FALSE(Picture::FitsCeiling(101, 1));
    EXPECT_FALSE(Picture::FitsCeiling(0, 5));
    Picture::SetMaxPixels(kept);
    EXPECT_TRUE(Picture::FitsCeiling(16384, 16384));
    EXPECT_FALSE(Picture::FitsCeiling(16384, 16385));
}
