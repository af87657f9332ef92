// PNG decode and encode: the colour-type table, transparency, resolution, saving rules, failures.
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "PngChunks.h"
#include "PngCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

bool DecodeBytes(PngCodec& codec, const std::vector<unsigned char>& bytes)
{
    MemoryStream in(bytes.data(), bytes.size());
    return codec.Decode(in);
}

std::vector<unsigned char> EncodePng(Picture& picture)
{
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, ImageFormat::Png)) << picture.GetLastError();
    return {out.GetBuffer(), out.GetBuffer() + out.Size()};
}

Picture PalettePicture(std::uint32_t bits)
{
    Picture picture(9, 5, bits);
    for (std::uint32_t i = 0; i < picture.GetNumColors(); ++i)
        picture.SetPaletteEntry(i, std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) picture.SetPixelIndex(x, y, std::uint8_t((x + y) % picture.GetNumColors()));
    return picture;
}

} // namespace

TEST(PngCodec, ColourTypesMapToPictureDepths)
{
    VISTREL_REQUIRE_CORPUS(suite, "pngsuite");
    struct Case {
        const char* file;
        std::uint32_t bpp;
        bool alpha;
    } cases[] = {
        {"basn0g01.png", 1, false}, {"basn0g02.png", 4, false}, {"basn0g04.png", 4, false},
        {"basn0g08.png", 8, false}, {"basn2c08.png", 24, false},
        {"basn2c16.png", 24, false}, {"basn3p02.png", 4, false}, {"basn3p04.png", 4, false},
        {"basn3p08.png", 8, false}, {"basi4a08.png", 8, false}, {"basn4a16.png", 24, true},
        {"basi6a08.png", 24, true}, {"basn6a16.png", 24, true}, {"basi0g16.png", 8, false},
    };
    for (const Case& c : cases) {
        PngCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, ReadFile(suite / c.file))) << c.file << ": " << codec.GetLastError();
        EXPECT_EQ(c.bpp, codec.GetBpp()) << c.file;
        EXPECT_EQ(c.alpha, codec.GetAlpha() != nullptr) << c.file;
    }
}

TEST(PngCodec, TwoBitGreyBecomesFourBitWithItsOwnRamp)
{
    VISTREL_REQUIRE_CORPUS(suite, "pngsuite");
    PngCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, ReadFile(suite / "basn0g02.png")));
    const std::uint8_t levels[] = {0, 85, 170, 255};
    for (std::uint32_t i = 0; i < 16; ++i) {
        const RgbQuad c = codec.GetPaletteColor(i);
        EXPECT_EQ(i < 4 ? levels[i] : 0, c.red) << i;
        EXPECT_EQ(c.red, c.blue);
    }
}

TEST(PngCodec, SixteenBitAlphaIsCompositedToOpaque)
{
    VISTREL_REQUIRE_CORPUS(suite, "pngsuite");
    PngCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, ReadFile(suite / "basn6a16.png")));
    ASSERT_NE(nullptr, codec.GetAlpha());
    for (int y = 0; y < codec.GetHeight(); ++y)
        for (int x = 0; x < codec.GetWidth(); ++x) ASSERT_EQ(255, codec.AlphaGet(x, y));
}

// Without bKGD a transparent colour is composited over grey 192 (as near as a small grey file
// can store it), and nothing else in the row is touched.
TEST(PngCodec, TransparentColourWithoutBackgroundBecomesGrey)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    struct Case {
        const char* file;
        std::uint32_t grey;
    } cases[] = {{"png/commons-imaging/trns-gray.png", 0xC0C0C0}, {"pngsuite/tbbn2c16.png", 0xC0C0C0},
                 {"pngsuite/tbbn0g04.png", 0xBBBBBB}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto reference = DecodeWithImageMagick((corpus / c.file).string(), true);
        ASSERT_TRUE(reference);
        PngCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, WithoutChunk(ReadFile(corpus / c.file), "bKGD")));
        int transparent = 0;
        for (int y = 0; y < reference->height; ++y) {
            for (int x = 0; x < reference->width; ++x) {
                const std::uint32_t expected = reference->Rgba(x, y);
                if (expected >> 24 == 0) {
                    ++transparent;
                    ASSERT_EQ(c.grey, PictureRgb(codec, x, y)) << x << "," << y;
                } else {
                    ASSERT_LE(ChannelDistance(expected, PictureRgb(codec, x, y)), 1) << x << "," << y;
                }
            }
        }
        EXPECT_GT(transparent, 0);
    }
}

TEST(PngCodec, PaletteTransparency)
{
    VISTREL_REQUIRE_CORPUS(corpus, "png/commons-imaging");
    PngCodec single;
    ASSERT_TRUE(DecodeBytes(single, ReadFile(corpus / "trns-palette8.png")));
    EXPECT_EQ(0, single.GetTransparentIndex());
    EXPECT_FALSE(single.IsAlphaPaletteEnabled());

    Picture picture = PalettePicture(8);
    RgbQuad* palette = picture.GetPalette();
    for (int i = 0; i < 256; ++i) palette[i].reserved = std::uint8_t(255 - i);
    picture.SetAlphaPaletteEnabled(true);
    PngCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, EncodePng(picture)));
    EXPECT_TRUE(codec.IsAlphaPaletteEnabled());
    EXPECT_EQ(-1, codec.GetTransparentIndex());
    for (std::uint32_t i = 0; i < 256; ++i) EXPECT_EQ(255 - i, codec.GetPaletteColor(i).reserved) << i;
}

TEST(PngCodec, TransparentIndexMovesToEntryZeroInTheFileOnly)
{
    Picture picture = PalettePicture(4);
    picture.SetTransparentIndex(5);
    const Picture before(picture);
    const std::vector<unsigned char> first = EncodePng(picture);

    // The caller's picture is untouched, so a second save writes the same file.
    EXPECT_EQ(5, picture.GetTransparentIndex());
    EXPECT_EQ(0, std::memcmp(before.GetDib(), picture.GetDib(), before.GetSize()));
    EXPECT_EQ(first, EncodePng(picture));

    PngCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, first));
    EXPECT_EQ(0, codec.GetTransparentIndex());
    EXPECT_EQ(picture.GetPaletteColor(5).Value() & 0xFFFFFF, codec.GetPaletteColor(0).Value() & 0xFFFFFF);
    EXPECT_EQ(picture.GetPaletteColor(0).Value() & 0xFFFFFF, codec.GetPaletteColor(5).Value() & 0xFFFFFF);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(picture.GetPixelColor(x, y).Value() & 0xFFFFFF, codec.GetPixelColor(x, y).Value() & 0xFFFFFF);
}

TEST(PngCodec, RoundTripsKeepPixelsAndResolution)
{
    for (std::uint32_t bits : {1u, 4u, 8u, 24u}) {
        Picture picture = bits == 24 ? Picture(7, 3, 24) : PalettePicture(bits);
        if (bits == 24)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 7; ++x) picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 30), std::uint8_t(y * 80), 9, 0});
        picture.SetDpiX(72);
        picture.SetDpiY(300);
        const std::vector<unsigned char> png = EncodePng(picture);
        EXPECT_EQ(0, ReadPngFacts(png).interlace);
        PngCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, png)) << bits;
        EXPECT_EQ(bits, codec.GetBpp());
        EXPECT_EQ(72, codec.GetDpiX());
        EXPECT_EQ(300, codec.GetDpiY());
        EXPECT_EQ(0, std::memcmp(picture.GetBits(), codec.GetBits(), picture.GetHeader().imageSize)) << bits;
    }
}

TEST(PngCodec, AlphaPlanesAndTransparentColoursAreWrittenAsRgba)
{
    Picture picture(4, 2, 24);
    picture.SetPixelColor(1, 1, RgbQuad{10, 20, 30, 0});
    ASSERT_TRUE(picture.AlphaCreate());
    picture.AlphaSet(2, 0, 100);
    picture.SetAlphaMax(128);
    PngCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, EncodePng(picture)));
    ASSERT_NE(nullptr, codec.GetAlpha());
    EXPECT_EQ(100 * 128 / 255, codec.AlphaGet(2, 0));
    EXPECT_EQ(0, codec.AlphaGet(0, 0));

    Picture keyed(4, 2, 24);
    keyed.SetPixelColor(3, 1, RgbQuad{1, 2, 3, 0});
    keyed.SetTransparentColor(RgbQuad{1, 2, 3, 0});
    keyed.SetTransparentIndex(0);
    PngCodec keyedCodec;
    ASSERT_TRUE(DecodeBytes(keyedCodec, EncodePng(keyed)));
    EXPECT_EQ(nullptr, keyed.GetAlpha());
    ASSERT_NE(nullptr, keyedCodec.GetAlpha());
    EXPECT_EQ(0, keyedCodec.AlphaGet(3, 1));
    EXPECT_EQ(255, keyedCodec.AlphaGet(0, 1));
}

TEST(PngCodec, ResolutionFromPhys)
{
    VISTREL_REQUIRE_CORPUS(suite, "pngsuite");
    PngCodec none;
    ASSERT_TRUE(DecodeBytes(none, ReadFile(suite / "basn2c08.png")));
    EXPECT_EQ(0, none.GetDpiX());
    EXPECT_EQ(0, none.GetDpiY());
    PngCodec metre;
    ASSERT_TRUE(DecodeBytes(metre, ReadFile(suite / "cdun2c08.png")));
    EXPECT_EQ(25, metre.GetDpiX()); // 1000 pixels per metre
}

TEST(PngCodec, InterlacedFilesDecodeLikeTheirPlainTwins)
{
    VISTREL_REQUIRE_CORPUS(suite, "pngsuite");
    for (const char* name : {"0g01", "0g02", "0g08", "2c08", "3p04", "4a16"}) {
        PngCodec plain, interlaced;
        ASSERT_TRUE(DecodeBytes(plain, ReadFile(suite / (std::string("basn") + name + ".png")))) << name;
        ASSERT_TRUE(DecodeBytes(interlaced, ReadFile(suite / (std::string("basi") + name + ".png")))) << name;
        EXPECT_EQ(0, std::memcmp(plain.GetDib(), interlaced.GetDib(), plain.GetSize())) << name;
        if (plain.GetAlpha()) {
            ASSERT_NE(nullptr, interlaced.GetAlpha());
            EXPECT_EQ(0, std::memcmp(plain.GetAlpha(), interlaced.GetAlpha(), std::size_t(plain.GetWidth()) * plain.GetHeight()));
        }
    }
}

TEST(PngCodec, FailuresCarryLibpngMessages)
{
    PngCodec text;
    EXPECT_FALSE(DecodeBytes(text, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));
    EXPECT_STRNE("", text.GetLastError());

    Picture picture = PalettePicture(8);
    std::vector<unsigned char> png = EncodePng(picture);
    png.resize(png.size() - 20);
    PngCodec cut;
    EXPECT_FALSE(DecodeBytes(cut, png));
    EXPECT_STREQ("Read Error", cut.GetLastError());
    EXPECT_FALSE(cut.IsValid());

    PngCodec cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, EncodePng(picture)));
    EXPECT_STREQ("", cancelled.GetLastError());
    EXPECT_FALSE(cancelled.IsValid());

    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) return;
    // Noise, so that the file outgrows the stream's buffer while libpng writes it.
    Picture big(300, 300, 24);
    std::uint32_t seed = 1;
    for (std::uint32_t i = 0; i < big.GetHeader().imageSize; ++i) big.GetBits()[i] = std::uint8_t((seed = seed * 1664525 + 1013904223) >> 24);
    EXPECT_FALSE(big.Encode(full, ImageFormat::Png));
    EXPECT_STREQ("Error saving PNG file", big.GetLastError());
    std::fclose(full);
}
