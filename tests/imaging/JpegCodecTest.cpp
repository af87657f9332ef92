// JPEG encode and decode through the codec: depths, refusals, resolution rules, failures.
#include "ExternalDecoder.h"
#include "JpegCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> Bytes(MemoryStream& stream)
{
    return {stream.GetBuffer(), stream.GetBuffer() + stream.Size()};
}

Picture Gradient(int width, int height)
{
    Picture picture(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 4), std::uint8_t(y * 4), 128, 0});
    return picture;
}

std::vector<std::uint8_t> EncodeJpeg(Picture& picture)
{
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, ImageFormat::Jpg)) << picture.GetLastError();
    return Bytes(out);
}

bool DecodeJpeg(JpegCodec& codec, const std::vector<std::uint8_t>& bytes)
{
    MemoryStream in(bytes.data(), bytes.size());
    return codec.Decode(in);
}

// The JFIF APP0 segment our encoder writes right after the start-of-image marker.
constexpr std::size_t kJfifUnits = 13;
constexpr std::size_t kJfifSegmentEnd = 20;

void SetJfifDensity(std::vector<std::uint8_t>& jpeg, std::uint8_t unit, std::uint16_t x, std::uint16_t y)
{
    ASSERT_EQ(0, std::memcmp(jpeg.data() + 6, "JFIF", 4));
    jpeg[kJfifUnits] = unit;
    jpeg[kJfifUnits + 1] = std::uint8_t(x >> 8);
    jpeg[kJfifUnits + 2] = std::uint8_t(x);
    jpeg[kJfifUnits + 3] = std::uint8_t(y >> 8);
    jpeg[kJfifUnits + 4] = std::uint8_t(y);
}

} // namespace

TEST(JpegCodec, ColourRoundTripKeepsPixelsAndWritesDensity)
{
    Picture picture = Gradient(40, 24);
    picture.SetJpegQuality(100);
    picture.SetDpiX(300);
    picture.SetDpiY(150);
    JpegCodec codec;
    ASSERT_TRUE(DecodeJpeg(codec, EncodeJpeg(picture))) << codec.GetLastError();
    EXPECT_EQ(24u, codec.GetBpp());
    EXPECT_EQ(40, codec.GetWidth());
    EXPECT_EQ(24, codec.GetHeight());
    EXPECT_EQ(300, codec.GetDpiX());
    EXPECT_EQ(150, codec.GetDpiY());
    for (int y = 0; y < 24; y += 5)
        for (int x = 0; x < 40; x += 7)
            EXPECT_LE(testsupport::ChannelDistance(picture.GetPixelColor(x, y).Value(), codec.GetPixelColor(x, y).Value()), 4)
                << x << "," << y;
}

TEST(JpegCodec, GreyPicturesWriteOneComponent)
{
    Picture grey(16, 8, 8);
    grey.SetGrayPalette();
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 8; ++y) grey.SetPixelIndex(x, y, std::uint8_t(x * 16));
    JpegCodec codec;
    ASSERT_TRUE(DecodeJpeg(codec, EncodeJpeg(grey)));
    EXPECT_EQ(8u, codec.GetBpp());
    EXPECT_TRUE(codec.IsGrayScale());
    EXPECT_NEAR(codec.GetPixelIndex(9, 3), 144, 3);
}

TEST(JpegCodec, OneAndFourBitGreyRampsAreWidenedToSamples)
{
    for (std::uint32_t bits : {1u, 4u}) {
        const std::uint32_t levels = 1u << bits;
        Picture picture(32, 8, bits);
        for (std::uint32_t i = 0; i < levels; ++i) picture.SetPaletteEntry(i, std::uint8_t(i), std::uint8_t(i), std::uint8_t(i));
        ASSERT_TRUE(picture.IsGrayScale());
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 8; ++y) picture.SetPixelIndex(x, y, std::uint8_t(x / 8 % levels));
        picture.SetJpegQuality(100);
        JpegCodec codec;
        ASSERT_TRUE(DecodeJpeg(codec, EncodeJpeg(picture))) << bits;
        EXPECT_EQ(8u, codec.GetBpp());
        EXPECT_EQ(32, codec.GetWidth());
        for (int x = 2; x < 32; x += 8) EXPECT_NEAR(codec.GetPixelIndex(x, 4), x / 8 % levels, 1) << bits << " " << x;
    }
}

TEST(JpegCodec, ColourPalettesAreRefused)
{
    Picture palette(4, 4, 4);
    palette.SetPaletteEntry(1, 255, 0, 0);
    MemoryStream out;
    EXPECT_FALSE(palette.Encode(out, ImageFormat::Jpg));
    EXPECT_STREQ("JPEG can save only RGB or GreyScale images", palette.GetLastError());
    EXPECT_EQ(0, out.Size());
}

TEST(JpegCodec, QualityDefaultsTo75)
{
    Picture picture = Gradient(16, 16);
    Picture explicit75 = Gradient(16, 16);
    explicit75.SetJpegQuality(75);
    Picture other = Gradient(16, 16);
    other.SetJpegQuality(30);
    EXPECT_EQ(EncodeJpeg(explicit75), EncodeJpeg(picture));
    EXPECT_NE(EncodeJpeg(other), EncodeJpeg(picture));
}

TEST(JpegCodec, JfifDensityUnitsGiveDpi)
{
    Picture picture = Gradient(8, 8);
    struct Case {
        std::uint8_t unit;
        std::uint16_t x, y;
        std::int32_t dpiX, dpiY;
    } cases[] = {{1, 300, 300, 300, 300}, {2, 118, 59, 300, 150}, {0, 1, 1, 1, 1}, {0, 3, 2, 3, 2}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> jpeg = EncodeJpeg(picture);
        SetJfifDensity(jpeg, c.unit, c.x, c.y);
        JpegCodec codec;
        ASSERT_TRUE(DecodeJpeg(codec, jpeg));
        EXPECT_EQ(c.dpiX, codec.GetDpiX()) << int(c.unit);
        EXPECT_EQ(c.dpiY, codec.GetDpiY()) << int(c.unit);
    }
}

TEST(JpegCodec, NeitherJfifNorExifGivesOneDpi)
{
    Picture picture = Gradient(8, 8);
    std::vector<std::uint8_t> jpeg = EncodeJpeg(picture);
    jpeg.erase(jpeg.begin() + 2, jpeg.begin() + kJfifSegmentEnd);
    JpegCodec codec;
    ASSERT_TRUE(DecodeJpeg(codec, jpeg)) << codec.GetLastError();
    EXPECT_EQ(1, codec.GetDpiX());
    EXPECT_EQ(1, codec.GetDpiY());
}

TEST(JpegCodec, FailuresCarryLibjpegMessagesAndLeaveNoPicture)
{
    JpegCodec empty;
    EXPECT_FALSE(DecodeJpeg(empty, {}));
    EXPECT_STREQ("Empty input file", empty.GetLastError());

    JpegCodec text;
    EXPECT_FALSE(DecodeJpeg(text, {'h', 'e', 'l', 'l', 'o'}));
    EXPECT_STREQ("Not a JPEG file: starts with 0x68 0x65", text.GetLastError());
    EXPECT_FALSE(text.IsValid());

    // Huffman data replaced by a marker that cannot appear there.
    Picture picture = Gradient(64, 64);
    std::vector<std::uint8_t> jpeg = EncodeJpeg(picture);
    jpeg.resize(jpeg.size() / 2);
    jpeg.insert(jpeg.end(), {0xFF, 0xC0, 0x00, 0x02});
    JpegCodec broken;
    if (!DecodeJpeg(broken, jpeg)) {
        EXPECT_STRNE("", broken.GetLastError());
        EXPECT_FALSE(broken.IsValid());
    }
}

TEST(JpegCodec, TruncatedDataDecodesToTheEnd)
{
    Picture picture = Gradient(64, 64);
    std::vector<std::uint8_t> jpeg = EncodeJpeg(picture);
    jpeg.resize(jpeg.size() * 2 / 3);
    JpegCodec codec;
    ASSERT_TRUE(DecodeJpeg(codec, jpeg));
    EXPECT_EQ(64, codec.GetHeight());
}

TEST(JpegCodec, CancelStopsWithoutText)
{
    Picture picture = Gradient(16, 16);
    JpegCodec codec;
    codec.SetEscape(1);
    EXPECT_FALSE(DecodeJpeg(codec, EncodeJpeg(picture)));
    EXPECT_STREQ("", codec.GetLastError());
    EXPECT_FALSE(codec.IsValid());
}

TEST(JpegCodec, WriteFailureIsReported)
{
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "/dev/full not available";
    Picture picture = Gradient(64, 64);
    EXPECT_FALSE(picture.Encode(full, ImageFormat::Jpg));
    EXPECT_STREQ("Output file write error --- out of disk space?", picture.GetLastError());
    std::fclose(full);
}

TEST(JpegCodec, PictureLoadsAndSavesThroughTheDispatcher)
{
    testsupport::TempDir dir;
    Picture picture = Gradient(20, 10);
    ASSERT_TRUE(picture.Save(dir.file("a.jpg"), ImageFormat::Jpg)) << picture.GetLastError();
    Picture loaded;
    ASSERT_TRUE(loaded.Load(dir.file("a.jpg")));
    EXPECT_EQ(ImageFormat::Jpg, loaded.GetType());
    EXPECT_EQ(20, loaded.GetWidth());
    EXPECT_EQ(96, loaded.GetDpiX());
}
