// RasterDC and the drawing of pictures into it.
#include "Picture.h"
#include "RasterDC.h"

#include <gtest/gtest.h>

namespace {

constexpr ColorRef kGrey = MakeColorRef(0x40, 0x40, 0x40);
constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kGreen = MakeColorRef(0, 255, 0);

// Device rows top first, each pixel as a COLORREF.
std::vector<std::vector<ColorRef>> Screen(const RasterDC& dc)
{
    std::vector<std::vector<ColorRef>> rows(std::size_t(dc.GetHeight()));
    for (int y = 0; y < dc.GetHeight(); ++y)
        for (int x = 0; x < dc.GetWidth(); ++x) rows[std::size_t(y)].push_back(dc.GetPixel(x, y));
    return rows;
}

// 2 x 2, shown as: green red / red transparent-blue.
Picture PaletteWithTransparentIndex()
{
    Picture p(2, 2, 8);
    p.SetPaletteEntry(0, 255, 0, 0);
    p.SetPaletteEntry(1, 0, 255, 0);
    p.SetPaletteEntry(2, 0, 0, 255);
    p.SetPixelIndex(0, 1, 1);
    p.SetPixelIndex(1, 1, 0);
    p.SetPixelIndex(0, 0, 0);
    p.SetPixelIndex(1, 0, 2);
    return p;
}

} // namespace

TEST(RasterDC, FillLinesAndClipBox)
{
    RasterDC dc(5, 4);
    EXPECT_EQ(dc.GetPixel(0, 0), 0u);
    EXPECT_EQ(dc.GetPixel(5, 0), RasterDC::kInvalidColour);
    dc.SetClipBox(DcRect{-3, 1, 4, 100});
    EXPECT_EQ(dc.GetClipBox(), (DcRect{0, 1, 4, 4}));
    dc.FillRect(DcRect{0, 0, 10, 2}, kRed);
    EXPECT_EQ(dc.GetPixel(0, 0), 0u);
    EXPECT_EQ(dc.GetPixel(3, 1), kRed);
    EXPECT_EQ(dc.GetPixel(4, 1), 0u);

    dc.SetClipBox(DcRect{0, 0, 5, 4});
    dc.Line(0, 3, 4, 3, kGreen);
    EXPECT_EQ(dc.GetPixel(3, 3), kGreen);
    EXPECT_EQ(dc.GetPixel(4, 3), 0u); // the end point is not drawn
    dc.Line(4, 0, 1, 3, kGrey);
    EXPECT_EQ(dc.GetPixel(4, 0), kGrey);
    EXPECT_EQ(dc.GetPixel(2, 2), kGrey);
    EXPECT_EQ(dc.GetPixel(1, 3), kGreen);
}

TEST(RasterDC, ReadBackAndWriteBackWithinTheClip)
{
    std::vector<std::uint8_t> buffer(3 * 2 * 4 + 8, 0);
    RasterDC dc(buffer.data(), 3, 2, 16);
    dc.SetPixel(1, 1, kRed);
    const DcRect rect{1, 0, 5, 2};
    std::vector<RgbQuad> under = dc.ReadBack(rect);
    ASSERT_EQ(under.size(), 4u);
    EXPECT_EQ(under[2].red, 255);
    for (RgbQuad& q : under) q.green = 9;
    dc.WriteBack(rect, under);
    EXPECT_EQ(dc.GetPixel(1, 1), MakeColorRef(255, 9, 0));
    EXPECT_EQ(dc.GetPixel(0, 0), 0u);
    // Row padding beyond the width stays untouched; written pixels are opaque.
    EXPECT_EQ(buffer[12], 0);
    EXPECT_EQ(buffer[16 + 4 + 3], 0xFF);

    RasterDC narrow(buffer.data(), 5, 2, 16);
    EXPECT_TRUE(narrow.GetClipBox().IsEmpty());
    narrow.FillRect(DcRect{0, 0, 5, 2}, kRed);
    EXPECT_EQ(buffer[12], 0);
}

TEST(PictureDraw, UnscaledPlainPictureAndItsPreconditions)
{
    Picture p(3, 2, 24);
    p.SetPixelColor(0, 1, RgbQuad::FromValue(0x112233)); // top-left as shown
    p.SetPixelColor(2, 0, RgbQuad::FromValue(0x445566)); // bottom-right
    RasterDC dc(5, 4);
    EXPECT_TRUE(p.Draw(&dc, 1, 1));
    EXPECT_EQ(dc.GetPixel(1, 1), MakeColorRef(0x11, 0x22, 0x33));
    EXPECT_EQ(dc.GetPixel(3, 2), MakeColorRef(0x44, 0x55, 0x66));
    EXPECT_EQ(dc.GetPixel(0, 0), 0u);

    RasterDC other(5, 4);
    EXPECT_FALSE(p.Draw(nullptr, 0, 0));
    EXPECT_FALSE(p.Draw(&other, 0, 0, 0, 3));
    p.SetEnabled(false);
    EXPECT_FALSE(p.Draw(&other, 0, 0));
    EXPECT_EQ(other.GetPixel(0, 0), 0u);
    Picture empty;
    EXPECT_FALSE(empty.Draw(&other, 0, 0));
}

TEST(PictureDraw, ScaledPaletteWithTransparentIndexAndClip)
{
    Picture p = PaletteWithTransparentIndex();
    p.SetTransparentIndex(2);
    RasterDC dc(6, 6);
    dc.FillRect(DcRect{0, 0, 6, 6}, kGrey);
    const DcRect clip{0, 0, 4, 6};
    ASSERT_TRUE(p.Draw(&dc, 1, 1, 4, 4, &clip));
    const ColorRef G = kGreen, R = kRed, _ = kGrey;
    const std::vector<std::vector<ColorRef>> expected = {
        {_, _, _, _, _, _}, {_, G, G, R, _, _}, {_, G, G, R, _, _},
        {_, R, R, _, _, _}, {_, R, R, _, _, _}, {_, _, _, _, _, _},
    };
    EXPECT_EQ(Screen(dc), expected);
    EXPECT_EQ(dc.GetClipBox(), (DcRect{0, 0, 6, 6}));
}

TEST(PictureDraw, ScaledWithoutBlendingUsesTheRowRule)
{
    // 3 rows shown in 2: device row dy takes source row ceil((dy + 1) * 3 / 2) - 1 from the top.
    Picture p(1, 3, 24);
    p.SetPixelColor(0, 2, RgbQuad::FromValue(0x0000AA)); // top
    p.SetPixelColor(0, 1, RgbQuad::FromValue(0x0000BB));
    p.SetPixelColor(0, 0, RgbQuad::FromValue(0x0000CC)); // bottom
    RasterDC dc(1, 2);
    ASSERT_TRUE(p.Draw(&dc, 0, 0, 1, 2));
    EXPECT_EQ(dc.GetPixel(0, 0), MakeColorRef(0, 0, 0xBB));
    EXPECT_EQ(dc.GetPixel(0, 1), MakeColorRef(0, 0, 0xCC));
}

TEST(PictureDraw, AlphaPlaneAlphaMaxAndPaletteAlphaBlend)
{
    Picture p(1, 1, 24);
    p.SetPixelColor(0, 0, RgbQuad::FromValue(0xFFFFFF));
    p.AlphaCreate();
    p.AlphaSet(0, 0, 128);
    RasterDC dc(2, 1);
    ASSERT_TRUE(p.Draw(&dc, 0, 0));
    EXPECT_EQ(dc.GetPixel(0, 0), MakeColorRef(127, 127, 127));
    EXPECT_EQ(dc.GetPixel(1, 0), 0u);

    p.SetAlphaMax(127);
    RasterDC dimmer(1, 1);
    ASSERT_TRUE(p.Draw(&dimmer, 0, 0));
    EXPECT_EQ(dimmer.GetPixel(0, 0), MakeColorRef(63, 63, 63));

    Picture q(1, 1, 1);
    q.SetPaletteEntry(0, 200, 0, 0, 127);
    q.SetAlphaPaletteEnabled(true);
    RasterDC white(1, 1);
    white.FillRect(DcRect{0, 0, 1, 1}, MakeColorRef(255, 255, 255));
    ASSERT_TRUE(q.Draw(&white, 0, 0));
    // a = 255 * 128 / 256 = 127: red (200 * 127 + 255 * 128) / 256, the others 255 * 128 / 256.
    EXPECT_EQ(white.GetPixel(0, 0), MakeColorRef(226, 127, 127));
}

TEST(PictureStretch, NearestPixelScaling)
{
    Picture p(2, 1, 4);
    p.SetPaletteEntry(1, 0, 255, 0);
    p.SetPixelIndex(1, 0, 1);
    RasterDC dc(4, 2);
    ASSERT_TRUE(p.Stretch(&dc, 0, 0, 4, 2));
    EXPECT_EQ(dc.GetPixel(1, 1), 0u);
    EXPECT_EQ(dc.GetPixel(2, 0), kGreen);
    EXPECT_EQ(dc.GetPixel(3, 1), kGreen);

    RasterDC small(1, 1);
    ASSERT_TRUE(p.Stretch(&small, 0, 0, 1, 1));
    EXPECT_EQ(small.GetPixel(0, 0), 0u);
    EXPECT_FALSE(Picture().Stretch(&small, 0, 0, 1, 1));
}
