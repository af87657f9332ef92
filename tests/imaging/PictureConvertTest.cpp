// Depth conversion and the geometric transforms.
#include "Picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::uint32_t Rgb(const Picture& p, int x, int y)
{
    return p.GetPixelColor(x, y).Value() & 0xFFFFFF;
}

Picture Filled24(int width, int height, std::uint32_t rgb)
{
    Picture p(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.SetPixelColor(x, y, RgbQuad::FromValue(rgb));
    return p;
}

} // namespace

TEST(DecreaseBpp, StandardPaletteFindsTheExactRed)
{
    Picture p = Filled24(2, 1, 0xFF0000);
    p.SetPixelColor(1, 0, RgbQuad::FromValue(0xFE0000));
    p.SetDpiX(300);
    ASSERT_TRUE(p.DecreaseBpp(8, true));
    EXPECT_EQ(p.GetBpp(), 8u);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 249);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 40);
    EXPECT_EQ(p.GetDpiX(), 300);
    // Spot checks of the standard table.
    EXPECT_EQ(p.GetPaletteColor(9).Value(), 0xA6CAF0u);
    EXPECT_EQ(p.GetPaletteColor(226).Value(), 0xF2F2F2u);
    EXPECT_EQ(p.GetPaletteColor(246).Value(), 0xFFFBF0u);
    EXPECT_EQ(p.GetPaletteColor(255).Value(), 0xFFFFFFu);
}

TEST(DecreaseBpp, SixteenColoursAndGivenPalettes)
{
    Picture p = Filled24(1, 1, 0x7F7F7F);
    ASSERT_TRUE(p.DecreaseBpp(4, false));
    EXPECT_EQ(p.GetNumColors(), 16u);
    EXPECT_EQ(p.GetPixelIndex(0, 0), 8); // 808080
    EXPECT_EQ(p.GetPaletteColor(7).Value(), 0xC0C0C0u);

    Picture q = Filled24(1, 1, 0x102030);
    const RgbQuad given[2] = {RgbQuad::FromValue(0x112233), RgbQuad::FromValue(0x000000)};
    ASSERT_TRUE(q.DecreaseBpp(1, false, given));
    EXPECT_EQ(q.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(q.GetPaletteColor(0).Value(), 0x112233u);
}

TEST(DecreaseBpp, ErrorDiffusionSpreadsSevenFourTwoOne)
{
    // Grey 101 on black and white: (0,0) black passes +44 right, +25 up, +6 diagonally; (1,0)
    // at 145 turns white and passes -13 and -27 (truncated toward zero); (0,1) at 113 stays
    // black and passes +49, so (1,1) ends at 107 - 27 + 49 = 129: white.
    Picture p = Filled24(2, 2, 0x656565);
    ASSERT_TRUE(p.DecreaseBpp(1, true));
    EXPECT_EQ(p.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(p.GetPixelIndex(0, 1), 0);
    EXPECT_EQ(p.GetPixelIndex(1, 1), 1);

    Picture plain = Filled24(2, 2, 0x656565);
    ASSERT_TRUE(plain.DecreaseBpp(1, false));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(plain.GetPixelIndex(i % 2, i / 2), 0);
}

TEST(DecreaseBpp, AgreesWithThePlainNearestSearch)
{
    // A random palette with repeated entries: ties must go to the lowest index.
    std::mt19937 random(11);
    RgbQuad palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = RgbQuad::FromValue(i % 3 == 2 ? palette[i - 1].Value() : random() & 0xFFFFFF);
    Picture reference(1, 1, 8);
    reference.SetPaletteRaw(palette, 256);

    Picture p(97, 61, 24);
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) p.SetPixelColor(x, y, RgbQuad::FromValue(random() & 0xFFFFFF));
    Picture source(p);
    ASSERT_TRUE(p.DecreaseBpp(8, false, palette));
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x)
            ASSERT_EQ(p.GetPixelIndex(x, y), reference.GetNearestIndex(source.GetPixelColor(x, y))) << x << "," << y;
}

TEST(DecreaseBpp, RefusesHigherAndOddDepths)
{
    Picture p(2, 2, 8);
    EXPECT_FALSE(p.DecreaseBpp(24, false));
    EXPECT_TRUE(p.DecreaseBpp(8, false));
    EXPECT_EQ(p.GetBpp(), 8u);
    Picture q(2, 2, 24);
    EXPECT_FALSE(q.DecreaseBpp(2, false));
    EXPECT_FALSE(q.DecreaseBpp(16, false));
    Picture empty;
    EXPECT_FALSE(empty.DecreaseBpp(8, false));
}

TEST(IncreaseBpp, PaletteAlphaBecomesTheAlphaPlane)
{
    Picture p(3, 1, 4);
    p.SetPaletteEntry(2, 10, 20, 30, 77);
    p.SetPixelIndex(1, 0, 2);
    p.SetDpiY(200);
    ASSERT_TRUE(p.IncreaseBpp(24));
    EXPECT_EQ(p.GetBpp(), 24u);
    EXPECT_EQ(Rgb(p, 1, 0), 0x0A141Eu);
    ASSERT_NE(p.GetAlpha(), nullptr);
    EXPECT_EQ(p.AlphaGet(1, 0), 77);
    EXPECT_EQ(p.AlphaGet(0, 0), 0);
    EXPECT_EQ(p.GetDpiY(), 200);

    Picture q(9, 2, 1);
    q.SetPaletteEntry(1, 1, 2, 3);
    q.SetPixelIndex(8, 1, 1);
    ASSERT_TRUE(q.IncreaseBpp(8));
    EXPECT_EQ(q.GetBpp(), 8u);
    EXPECT_EQ(q.GetPixelIndex(8, 1), 1);
    EXPECT_EQ(Rgb(q, 8, 1), 0x010203u);
    EXPECT_EQ(q.GetAlpha(), nullptr);
}

TEST(IncreaseBpp, RefusesLowerAndOddDepths)
{
    Picture p(2, 2, 24);
    EXPECT_FALSE(p.IncreaseBpp(8));
    EXPECT_TRUE(p.IncreaseBpp(24));
    Picture q(2, 2, 8);
    EXPECT_FALSE(q.IncreaseBpp(16));
    EXPECT_FALSE(q.IncreaseBpp(4));
}

TEST(Transforms, FlipAndMirrorEveryDepth)
{
    for (std::uint32_t bits : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bits);
        Picture p(11, 3, bits);
        p.SetPaletteEntry(1, 255, 255, 255);
        p.SetPixelColor(0, 0, RgbQuad::FromValue(0xFFFFFF));
        p.AlphaCreate();
        p.AlphaSet(0, 0, 5);
        Picture flipped(p);
        ASSERT_TRUE(flipped.Flip());
        EXPECT_EQ(Rgb(flipped, 0, 2), 0xFFFFFFu);
        EXPECT_EQ(Rgb(flipped, 0, 0), 0u);
        EXPECT_EQ(flipped.AlphaGet(0, 2), 5);
        Picture mirrored(p);
        ASSERT_TRUE(mirrored.Mirror());
        EXPECT_EQ(Rgb(mirrored, 10, 0), 0xFFFFFFu);
        EXPECT_EQ(Rgb(mirrored, 0, 0), 0u);
        EXPECT_EQ(mirrored.AlphaGet(10, 0), 5);
    }
    Picture empty;
    EXPECT_FALSE(empty.Flip());
    EXPECT_FALSE(empty.Mirror());
}

TEST(Transforms, QuarterTurnsOfOneBitImages)
{
    // 9 x 2 crosses a byte boundary in every row.
    Picture p(9, 2, 1);
    p.SetPaletteEntry(1, 255, 255, 255);
    const int set[][2] = {{0, 0}, {8, 0}, {3, 1}};
    for (const auto& xy : set) p.SetPixelIndex(xy[0], xy[1], 1);

    Picture left;
    ASSERT_TRUE(p.RotateLeft(&left));
    ASSERT_EQ(left.GetWidth(), 2);
    ASSERT_EQ(left.GetHeight(), 9);
    EXPECT_EQ(left.GetBpp(), 1u);
    // new (i, j) = old (j, H - 1 - i)
    for (int j = 0; j < 9; ++j)
        for (int i = 0; i < 2; ++i) EXPECT_EQ(left.GetPixelIndex(i, j), p.GetPixelIndex(j, 1 - i)) << i << "," << j;

    Picture right(p);
    ASSERT_TRUE(right.RotateRight());
    // new (j, i) = old (W - 1 - i, j)
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_EQ(right.GetPixelIndex(j, i), p.GetPixelIndex(8 - i, j)) << i << "," << j;

    ASSERT_TRUE(left.RotateRight());
    ASSERT_EQ(left.GetWidth(), 9);
    EXPECT_EQ(std::memcmp(left.GetBits(), p.GetBits(), p.GetHeader().imageSize), 0);
}

TEST(Transforms, QuarterTurnsCarryColoursAndAlpha)
{
    Picture p(3, 2, 24);
    p.SetPixelColor(2, 0, RgbQuad::FromValue(0x123456));
    p.AlphaCreate();
    p.AlphaSet(2, 0, 9);
    Picture left(p);
    ASSERT_TRUE(left.RotateLeft());
    // Bottom-right corner goes to the top-right as shown (counter-clockwise): stored (1, 2).
    EXPECT_EQ(Rgb(left, 1, 2), 0x123456u);
    EXPECT_EQ(left.AlphaGet(1, 2), 9);
    Picture right(p);
    ASSERT_TRUE(right.RotateRight());
    // Clockwise it goes to the bottom-left: stored (0, 0).
    EXPECT_EQ(Rgb(right, 0, 0), 0x123456u);
    EXPECT_EQ(right.AlphaGet(0, 0), 9);
}
