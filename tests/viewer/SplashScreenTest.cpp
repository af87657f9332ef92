#include "BitmapResource.h"
#include "RasterDC.h"
#include "SplashScreen.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// An uncompressed BMP file; pixel bytes are a running count so that rows can be told apart.
Bytes MakeBmp(std::int32_t width, std::int32_t height, std::uint32_t bits, std::uint32_t colours = 0)
{
    const std::uint32_t paletteBytes = bits <= 8 ? 4 * (colours ? colours : 1u << bits) : 0;
    const std::uint32_t stride = (std::uint32_t(width) * bits + 31) / 32 * 4;
    const std::uint32_t rows = std::uint32_t(height < 0 ? -height : height);
    const std::uint32_t offset = 54 + paletteBytes;
    Bytes b(offset + stride * rows);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, std::uint32_t(b.size()));
    Put32(b, 10, offset);
    Put32(b, 14, 40);
    Put32(b, 18, std::uint32_t(width));
    Put32(b, 22, std::uint32_t(height));
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 46, colours);
    for (std::size_t i = 54; i < b.size(); ++i) b[i] = std::uint8_t(i * 7);
    return b;
}

const std::string kSplashFile = std::string(VISTREL_SOURCE_DIR) + "/resources/splash.bmp";

} // namespace

TEST(BitmapResource, DescribesTheShippedArtworkIn24Bits)
{
    const Bytes file = testsupport::ReadFile(kSplashFile);
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    EXPECT_EQ(bitmap.width, 520);
    EXPECT_EQ(bitmap.height, 320);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    EXPECT_EQ(bitmap.stride, 1560);
    EXPECT_FALSE(bitmap.topDown);
    EXPECT_EQ(bitmap.palette, nullptr);
    EXPECT_EQ(bitmap.bits + std::ptrdiff_t(320) * 1560, file.data() + file.size());
}

TEST(BitmapResource, PaletteAndRowOrder)
{
    Bytes file = MakeBmp(3, -2, 8, 2);
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    EXPECT_TRUE(bitmap.topDown);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(bitmap.stride, 4);
    EXPECT_EQ(bitmap.paletteSize, 2);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(bitmap.palette), file.data() + 54);
    EXPECT_EQ(bitmap.bits, file.data() + 62);

    // A colour count of 0 or one above the depth's range means the full palette.
    file = MakeBmp(8, 1, 1, 0);
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    EXPECT_EQ(bitmap.paletteSize, 2);
    Put32(file, 46, 5000);
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    EXPECT_EQ(bitmap.paletteSize, 2);
}

TEST(BitmapResource, RefusesDamagedFilesAtEveryLength)
{
    const Bytes good = MakeBmp(5, 3, 24);
    BitmapDescription bitmap;
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(resources::DescribeBitmapFile(good.data(), size, bitmap)) << size;
    EXPECT_FALSE(resources::DescribeBitmapFile(nullptr, good.size(), bitmap));

    auto refused = [&](std::size_t at, std::uint32_t value, bool wide) {
        Bytes bad = good;
        wide ? Put32(bad, at, value) : Put16(bad, at, value);
        return !resources::DescribeBitmapFile(bad.data(), bad.size(), bitmap);
    };
    EXPECT_TRUE(refused(0, 'X', false));
    EXPECT_TRUE(refused(30, 1, true));           // run-length compressed
    EXPECT_TRUE(refused(28, 12, false));         // no such depth
    EXPECT_TRUE(refused(18, 0, true));           // no width
    EXPECT_TRUE(refused(22, 0x80000000u, true)); // height that cannot be negated
    EXPECT_TRUE(refused(18, 0x7FFFFFFF, true));  // rows far beyond the data
    EXPECT_TRUE(refused(10, 20, true));          // pixels inside the header
    EXPECT_TRUE(refused(14, 0xFFFFFFF0u, true)); // header larger than the file
    EXPECT_TRUE(resources::DescribeBitmapFile(good.data(), good.size(), bitmap));
}

TEST(SplashScreen, TakesTheArtworkAndLaysOutTheThreeLines)
{
    const Bytes file = testsupport::ReadFile(kSplashFile);
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));

    splash::SplashScreen screen;
    splash::Params params{&bitmap, 5, false, splash::kLine1, splash::kLine2, splash::kLine3};
    ASSERT_TRUE(screen.Prepare(params));
    EXPECT_EQ(screen.GetWidth(), 520);
    EXPECT_EQ(screen.GetHeight(), 320);
    EXPECT_EQ(screen.GetPicture().GetBpp(), 24u);
    EXPECT_EQ(screen.CentreOn(1024, 768), (splash::Position{252, 224}));
    EXPECT_EQ(screen.CentreOn(1023, 767), (splash::Position{251, 223}));
    EXPECT_EQ(screen.CentreOn(300, 200), (splash::Position{-110, -60}));

    const auto& lines = screen.GetLines();
    const int expected[3][3] = {{15, 95, 42}, {15, 135, 22}, {15, 291, 14}};
    const char* texts[] = {"Vistrel", "Version 1.4", splash::kLine3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].x, expected[i][0]);
        EXPECT_EQ(lines[i].y, expected[i][1]);
        EXPECT_EQ(lines[i].height, expected[i][2]);
        EXPECT_EQ(lines[i].text, texts[i]);
        EXPECT_TRUE(lines[i].IsDrawable());
    }

    // The artwork lands unscaled at (0, 0): compare with the file's own bottom-up rows.
    RasterDC dc(600, 400);
    ASSERT_TRUE(screen.Paint(dc));
    for (int y : {0, 95, 319})
        for (int x : {0, 15, 400, 519}) {
            const std::uint8_t* p = bitmap.bits + std::ptrdiff_t(319 - y) * bitmap.stride + 3 * std::ptrdiff_t(x);
            EXPECT_EQ(dc.GetPixel(x, y), MakeColorRef(p[2], p[1], p[0])) << x << "," << y;
        }
    EXPECT_EQ(dc.GetPixel(520, 0), MakeColorRef(0, 0, 0));
}

TEST(SplashScreen, TextNeedsAllThreeLinesAndIsCut)
{
    const Bytes file = MakeBmp(4, 4, 24);
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    splash::SplashScreen screen;

    ASSERT_TRUE(screen.Prepare({&bitmap, 0, false, "a", nullptr, "c"}));
    for (const splash::TextLine& line : screen.GetLines()) EXPECT_FALSE(line.IsDrawable());

    const std::string longLine(300, 'x');
    ASSERT_TRUE(screen.Prepare({&bitmap, 0, false, longLine.c_str(), "", "c"}));
    EXPECT_EQ(screen.GetLines()[0].text.size(), 255u);
    EXPECT_FALSE(screen.GetLines()[1].IsDrawable());
    EXPECT_TRUE(screen.GetLines()[2].IsDrawable());

    EXPECT_FALSE((splash::TextLine{-1, 0, 10, "x"}.IsDrawable()));
    EXPECT_FALSE((splash::TextLine{0, 0, 0, "x"}.IsDrawable()));
}

TEST(SplashScreen, TimerClicksAndKeys)
{
    const Bytes file = MakeBmp(4, 4, 24);
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(file.data(), file.size(), bitmap));
    splash::SplashScreen screen;

    // Start-up: closes at the fifth tick or at a click.
    ASSERT_TRUE(screen.Prepare({&bitmap, 5, false, nullptr, nullptr, nullptr}));
    EXPECT_TRUE(screen.UsesTimer());
    for (int tick = 1; tick < 5; ++tick) EXPECT_FALSE(screen.OnTimerTick()) << tick;
    EXPECT_TRUE(screen.OnTimerTick());
    EXPECT_TRUE(screen.OnClickOrKey());

    // Showing again starts counting from zero.
    ASSERT_TRUE(screen.Prepare({&bitmap, 2, true, nullptr, nullptr, nullptr}));
    EXPECT_FALSE(screen.OnClickOrKey());
    EXPECT_FALSE(screen.OnTimerTick());
    EXPECT_TRUE(screen.OnTimerTick());

    // About, and time-outs outside 0-60: no timer, so ignoreClicks has nothing to guard.
    for (int timeout : {0, 61, -1}) {
        ASSERT_TRUE(screen.Prepare({&bitmap, timeout, true, nullptr, nullptr, nullptr}));
        EXPECT_FALSE(screen.UsesTimer()) << timeout;
        EXPECT_FALSE(screen.OnTimerTick());
        EXPECT_TRUE(screen.OnClickOrKey());
    }
    ASSERT_TRUE(screen.Prepare({&bitmap, 60, false, nullptr, nullptr, nullptr}));
    EXPECT_TRUE(screen.UsesTimer());
}

TEST(SplashScreen, MissingArtworkFails)
{
    splash::SplashScreen screen;
    EXPECT_FALSE(screen.Prepare({nullptr, 5, false, "a", "b", "c"}));
    BitmapDescription empty;
    EXPECT_FALSE(screen.Prepare({&empty, 5, false, "a", "b", "c"}));
}
