#include "Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

Picture Grey24(const std::vector<std::vector<int>>& rows)
{
    Picture p(std::int32_t(rows[0].size()), std::int32_t(rows.size()), 24);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const auto v = std::uint8_t(rows[y][x]);
            p.SetPixelColor(std::int32_t(x), std::int32_t(y), RgbQuad{v, v, v, 0});
        }
    return p;
}

Picture Random24(std::int32_t width, std::int32_t height, unsigned seed)
{
    Picture p(width, height, 24);
    std::mt19937 random(seed);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            p.SetPixelColor(x, y, RgbQuad::FromValue(random() & 0xFFFFFF));
    return p;
}

int Grey(const Picture& p, int x, int y)
{
    return p.GetPixelColor(x, y).red;
}

// The bilinear rule written per pixel through the colour accessors.
Picture BilinearByPixel(const Picture& source, std::int32_t newWidth, std::int32_t newHeight)
{
    const float xScale = float(source.GetWidth()) / float(newWidth);
    const float yScale = float(source.GetHeight()) / float(newHeight);
    Picture out(newWidth, newHeight, source.GetBpp());
    out.SetPaletteRaw(source.GetPalette(), 256);
    for (std::int32_t y = 0; y < newHeight; ++y) {
        const float fy = float(y) * yScale;
        const auto iy = std::int32_t(fy);
        const std::int32_t iy1 = std::min(iy + 1, source.GetHeight() - 1);
        const float dy = fy - float(iy);
        for (std::int32_t x = 0; x < newWidth; ++x) {
            const float fx = float(x) * xScale;
            const auto ix = std::int32_t(fx);
            const std::int32_t ix1 = std::min(ix + 1, source.GetWidth() - 1);
            const float dx = fx - float(ix);
            const RgbQuad c00 = source.GetPixelColor(ix, iy), c10 = source.GetPixelColor(ix1, iy);
            const RgbQuad c01 = source.GetPixelColor(ix, iy1), c11 = source.GetPixelColor(ix1, iy1);
            auto mix = [&](int a00, int a10, int a01, int a11) {
                const float left = float(a00) * (1 - dy) + float(a01) * dy;
                const float right = float(a10) * (1 - dy) + float(a11) * dy;
                return std::uint8_t(left * (1 - dx) + right * dx);
            };
            out.SetPixelColor(x, y, MakeColorRef(mix(c00.red, c10.red, c01.red, c11.red),
                                                 mix(c00.green, c10.green, c01.green, c11.green),
                                                 mix(c00.blue, c10.blue, c01.blue, c11.blue)));
        }
    }
    return out;
}

// The area average written per pixel through the colour accessors, as literally as it reads.
Picture AreaAverageByPixel(const Picture& source, std::int32_t newWidth, std::int32_t newHeight)
{
    const std::int32_t width = source.GetWidth(), height = source.GetHeight();
    const float xScale = float(width) / float(newWidth);
    const float yScale = float(height) / float(newHeight);
    Picture out(newWidth, newHeight, 24);
    std::vector<long long> current(3 * newWidth + 3), next(3 * newWidth + 3);
    const auto d = (long long)(xScale * yScale * 1000);
    float yLimit = yScale - 1;
    int outRow = 0;
    auto put = [&](int column, int c, long long v) {
        RgbQuad q = out.GetPixelColor(column, outRow);
        std::uint8_t* channel = c == 0 ? &q.blue : c == 1 ? &q.green : &q.red;
        *channel = std::uint8_t(v / d);
        out.SetPixelColor(column, outRow, q);
    };
    for (int y = 0; y < height; ++y) {
        float xLimit = xScale - 1;
        int k = 0;
        if (float(y) < yLimit) {
            for (int x = 0; x < width; ++x) {
                const RgbQuad p = source.GetPixelColor(x, y);
                const int s[3] = {p.blue, p.green, p.red};
                if (float(x) < xLimit) {
                    for (int c = 0; c < 3; ++c) current[k + c] += s[c] * 1000LL;
                } else {
                    const auto wx = (long long)((float(x) - xLimit) * 1000);
                    for (int c = 0; c < 3; ++c) {
                        current[k + c] += s[c] * (1000 - wx);
                        current[k + 3 + c] += s[c] * wx;
                    }
                    k += 3;
                    xLimit += xScale;
                }
            }
            continue;
        }
        const auto wy = (long long)((float(y) - yLimit) * 1000);
        int written = 0;
        for (int x = 0; x < width; ++x) {
            const RgbQuad p = source.GetPixelColor(x, y);
            const int s[3] = {p.blue, p.green, p.red};
            if (float(x) < xLimit) {
                for (int c = 0; c < 3; ++c) {
                    current[k + c] += s[c] * (1000 - wy);
                    next[k + c] += s[c] * wy;
                }
            } else {
                const auto wx = (long long)((float(x) - xLimit) * 1000);
                for (int c = 0; c < 3; ++c) {
                    current[k + c] += s[c] * (1000 - wy) * (1000 - wx) / 1000;
                    put(k / 3, c, current[k + c]);
                    next[k + c] += s[c] * wy * (1000 - wx) / 1000;
                    current[k + 3 + c] += s[c] * (1000 - wy) * wx / 1000;
                    next[k + 3 + c] = s[c] * wy * wx / 1000;
                }
                ++written;
                k += 3;
                xLimit += xScale;
            }
        }
        if (written < newWidth)
            for (int c = 0; c < 3; ++c) put(k / 3, c, current[k + c]);
        std::swap(current, next);
        std::fill_n(next.begin(), 3, 0);
        yLimit += yScale;
        ++outRow;
    }
    if (outRow < newHeight)
        for (int k = 0; k < 3 * newWidth; k += 3)
            for (int c = 0; c < 3; ++c) put(k / 3, c, current[k + c]);
    return out;
}

void ExpectSamePixels(const Picture& a, const Picture& b)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    ASSERT_EQ(a.GetBpp(), b.GetBpp());
    EXPECT_EQ(std::memcmp(a.GetBits(), b.GetBits(), a.GetHeader().imageSize), 0);
}

} // namespace

TEST(Resample, RefusesEmptySizesAndEmptyPictures)
{
    Picture p(4, 4, 24);
    EXPECT_FALSE(p.Resample(0, 3));
    EXPECT_FALSE(p.Resample(3, 0));
    EXPECT_FALSE(p.Resample(-2, 3));
    Picture empty;
    EXPECT_FALSE(empty.Resample(10, 10));
    EXPECT_FALSE(empty.IsValid());
}

TEST(Resample, SameSizeCopiesOnlyIntoADestination)
{
    Picture p = Grey24({{1, 2}, {3, 4}});
    const std::uint8_t* bits = p.GetBits();
    EXPECT_TRUE(p.Resample(2, 2));
    EXPECT_EQ(p.GetBits(), bits);
    Picture copy;
    EXPECT_TRUE(p.Resample(2, 2, 0, &copy));
    ExpectSamePixels(copy, p);
    EXPECT_NE(copy.GetBits(), bits);
}

TEST(Resample, AreaAverageOfTwoByTwoBlocks)
{
    Picture p = Grey24({{10, 20, 100, 200}, {30, 40, 0, 0}, {1, 1, 1, 1}, {1, 2, 3, 251}});
    Picture out;
    ASSERT_TRUE(p.Resample(2, 2, 0, &out));
    EXPECT_EQ(Grey(out, 0, 0), 25);
    EXPECT_EQ(Grey(out, 1, 0), 75);
    EXPECT_EQ(Grey(out, 0, 1), 1);
    EXPECT_EQ(Grey(out, 1, 1), 64); // (1 + 1 + 3 + 251) / 4
    EXPECT_EQ(p.GetWidth(), 4);
}

TEST(Resample, AreaAverageSplitsStraddlingPixelsByWeight)
{
    // 3 -> 2: the middle row and column count half into each output pixel, the centre a quarter.
    Picture p = Grey24({{0, 0, 0}, {0, 200, 0}, {0, 0, 90}});
    ASSERT_TRUE(p.Resample(2, 2));
    EXPECT_EQ(Grey(p, 0, 0), 22); // 200 * 250 / 2250
    EXPECT_EQ(Grey(p, 1, 0), 22);
    EXPECT_EQ(Grey(p, 0, 1), 22);
    EXPECT_EQ(Grey(p, 1, 1), 62); // (200 * 250 + 90 * 1000) / 2250
}

TEST(Resample, AreaAverageMatchesTheRuleAtOddFactors)
{
    for (const auto& [w, h, nw, nh] : {std::array{37, 23, 10, 7}, {100, 80, 33, 79}, {64, 64, 63, 1}, {9, 50, 1, 3}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " -> " << nw << "x" << nh);
        const Picture source = Random24(w, h, unsigned(w * h));
        Picture copy(source);
        ASSERT_TRUE(copy.Resample(nw, nh));
        ExpectSamePixels(copy, AreaAverageByPixel(source, nw, nh));
    }
}

TEST(Resample, AreaAverageKeepsWhiteWhiteAtLargeFactors)
{
    // The weighted sum of one output pixel passes 2^31 here.
    Picture p(10000, 3, 24);
    p.Clear(255);
    ASSERT_TRUE(p.Resample(2, 1));
    for (int x = 0; x < 2; ++x) EXPECT_EQ(p.GetPixelColor(x, 0).Value() & 0xFFFFFF, 0xFFFFFFu) << x;
}

TEST(Resample, BilinearRepeatsTheLastColumnAndRow)
{
    Picture p = Grey24({{0, 100}, {200, 40}});
    ASSERT_TRUE(p.Resample(4, 4));
    const int expected[2][4] = {{0, 50, 100, 100}, {100, 85, 70, 70}};
    // Rows 2 and 3 sit at or past the last source row, so they repeat it.
    const int lastRow[4] = {200, 120, 40, 40};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Grey(p, x, 0), expected[0][x]) << x;
        EXPECT_EQ(Grey(p, x, 1), expected[1][x]) << x;
        EXPECT_EQ(Grey(p, x, 2), lastRow[x]) << x;
        EXPECT_EQ(Grey(p, x, 3), lastRow[x]) << x;
    }
}

TEST(Resample, BilinearMatchesTheRuleForTrueColourAndPalettes)
{
    const Picture photo = Random24(13, 9, 7);
    Picture bigger(photo);
    ASSERT_TRUE(bigger.Resample(31, 20));
    ExpectSamePixels(bigger, BilinearByPixel(photo, 31, 20));

    Picture indexed(11, 7, 8);
    for (std::uint32_t i = 0; i < 256; ++i) indexed.SetPaletteEntry(i, std::uint8_t(i), std::uint8_t(i / 2), 0);
    std::mt19937 random(3);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x) indexed.SetPixelIndex(x, y, std::uint8_t(random()));
    Picture smaller(indexed);
    ASSERT_TRUE(smaller.Resample(5, 4));
    EXPECT_EQ(smaller.GetBpp(), 8u);
    ExpectSamePixels(smaller, BilinearByPixel(indexed, 5, 4));
}

TEST(Resample, NearestPixelAndAlphaPlane)
{
    Picture p = Grey24({{1, 2, 3, 4}, {5, 6, 7, 8}});
    p.AlphaCreate();
    p.AlphaSet(3, 1, 99);
    ASSERT_TRUE(p.Resample(2, 1, 1));
    EXPECT_EQ(Grey(p, 0, 0), 1);
    EXPECT_EQ(Grey(p, 1, 0), 3);
    ASSERT_NE(p.GetAlpha(), nullptr);
    EXPECT_EQ(p.AlphaGet(1, 0), 0);

    Picture q = Grey24({{1, 2}, {5, 6}});
    q.AlphaCreate();
    q.AlphaSet(1, 1, 99);
    ASSERT_TRUE(q.Resample(4, 4, 1));
    EXPECT_EQ(Grey(q, 3, 3), 6);
    EXPECT_EQ(q.AlphaGet(2, 2), 99);
    EXPECT_EQ(q.AlphaGet(1, 2), 0);
}

TEST(Resample, BSplineKeepsFlatAreasAndSmoothsEdges)
{
    Picture flat(5, 5, 24);
    flat.Clear(120);
    ASSERT_TRUE(flat.Resample(9, 8, 2));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_NEAR(Grey(flat, x, y), 120, 1);

    Picture edge = Grey24({{0, 0, 255, 255}});
    ASSERT_TRUE(edge.Resample(8, 1, 2));
    // At a source pixel the kernel weighs it 4/6 and each neighbour 1/6.
    EXPECT_EQ(Grey(edge, 0, 0), 0);
    EXPECT_EQ(Grey(edge, 2, 0), 42);
    EXPECT_EQ(Grey(edge, 4, 0), 212);
    EXPECT_GT(Grey(edge, 3, 0), Grey(edge, 2, 0));
}
