#include "BmpCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <climits>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Add16(Bytes& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Add32(Bytes& out, std::uint32_t v)
{
    Add16(out, v);
    Add16(out, v >> 16);
}

struct InfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::int32_t pelsPerMeter = 2835;
    std::uint32_t masks[3] = {};
};

Bytes Info(const InfoHeader& h)
{
    Bytes out;
    Add32(out, h.size);
    if (h.size == 12) {
        Add16(out, std::uint32_t(h.width));
        Add16(out, std::uint32_t(h.height));
        Add16(out, 1);
        Add16(out, h.bits);
        return out;
    }
    Add32(out, std::uint32_t(h.width));
    Add32(out, std::uint32_t(h.height));
    Add16(out, 1);
    Add16(out, h.bits);
    Add32(out, h.compression);
    Add32(out, 0);
    Add32(out, std::uint32_t(h.pelsPerMeter));
    Add32(out, std::uint32_t(h.pelsPerMeter));
    Add32(out, h.coloursUsed);
    Add32(out, 0);
    if (h.size >= 52) {
        for (std::uint32_t mask : h.masks) Add32(out, mask);
    }
    out.resize(h.size, 0);
    return out;
}

// A file with the 14-byte header; the pixel data follows `between` (masks, palette).
Bytes File(const InfoHeader& h, const Bytes& between, const Bytes& pixels)
{
    const Bytes info = Info(h);
    Bytes out{'B', 'M'};
    Add32(out, std::uint32_t(14 + info.size() + between.size() + pixels.size()));
    Add32(out, 0);
    Add32(out, std::uint32_t(14 + info.size() + between.size()));
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), between.begin(), between.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes GreyPalette(int count, int entrySize = 4)
{
    Bytes out;
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) out.push_back(std::uint8_t(i));
        if (entrySize == 4) out.push_back(0);
    }
    return out;
}

bool DecodeBytes(BmpCodec& codec, const Bytes& bytes)
{
    MemoryStream stream(bytes.data(), bytes.size());
    return codec.Decode(stream);
}

std::uint32_t Rgb(const Picture& p, int x, int y)
{
    return p.GetPixelColor(x, y).Value() & 0xFFFFFF;
}

} // namespace

TEST(BmpCodec, RefusesWhatIsNoBitmapWithTheFixedTexts)
{
    BmpCodec codec;
    EXPECT_FALSE(DecodeBytes(codec, Bytes{'B', 'M', 1}));
    EXPECT_STREQ(codec.GetLastError(), "Not a BMP");

    InfoHeader h;
    h.size = 20;
    EXPECT_FALSE(DecodeBytes(codec, File(h, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "Error reading BMP info");

    h = InfoHeader{};
    h.height = INT_MIN;
    EXPECT_FALSE(DecodeBytes(codec, File(h, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "Error reading BMP info");

    h = InfoHeader{};
    h.width = 0x7FFFFFFF;
    h.height = 0x7FFFFFFF;
    EXPECT_FALSE(DecodeBytes(codec, File(h, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "Can't allocate memory");

    h = InfoHeader{};
    h.bits = 8;
    h.compression = 4;
    EXPECT_FALSE(DecodeBytes(codec, File(h, GreyPalette(256), Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "compression type not supported");

    h.bits = 24;
    h.compression = 1;
    EXPECT_FALSE(DecodeBytes(codec, File(h, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "unknown compression");
    h.bits = 32;
    h.compression = 6;
    EXPECT_FALSE(DecodeBytes(codec, File(h, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "unknown compression");
}

TEST(BmpCodec, CancelledBeforeReadingPixels)
{
    BmpCodec codec;
    codec.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(codec, File(InfoHeader{}, {}, Bytes(4))));
    EXPECT_STREQ(codec.GetLastError(), "Cancelled");
}

TEST(BmpCodec, HeaderlessDibsOfEveryHeaderKind)
{
    // OS/2 1.x core header: 3-byte palette entries, pixels right behind them.
    InfoHeader core;
    core.size = 12;
    core.width = 2;
    core.height = 1;
    core.bits = 1;
    Bytes palette{0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, Concat(Concat(Info(core), palette), Bytes{0x40, 0, 0, 0})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0x302010u);
    EXPECT_EQ(Rgb(codec, 1, 0), 0x605040u);

    // 8 bits with 16 colours used: the pixels follow the 16 entries, not 256.
    InfoHeader info;
    info.width = 4;
    info.bits = 8;
    info.coloursUsed = 16;
    ASSERT_TRUE(DecodeBytes(codec, Concat(Concat(Info(info), GreyPalette(16)), Bytes{3, 7, 15, 1})));
    EXPECT_EQ(codec.GetNumColors(), 256u);
    EXPECT_EQ(codec.GetPixelIndex(1, 0), 7);
    EXPECT_EQ(Rgb(codec, 2, 0), 0x0F0F0Fu);
    EXPECT_EQ(codec.GetPaletteColor(16).Value(), 0u);

    // OS/2 2.x header of 64 bytes: 4-byte palette entries.
    InfoHeader os2 = info;
    os2.size = 64;
    ASSERT_TRUE(DecodeBytes(codec, Concat(Concat(Info(os2), GreyPalette(16)), Bytes{3, 7, 15, 1})));
    EXPECT_EQ(Rgb(codec, 2, 0), 0x0F0F0Fu);
}

TEST(BmpCodec, BitmapArrayShowsItsFirstBitmap)
{
    InfoHeader core;
    core.size = 12;
    core.width = 2;
    core.bits = 1;
    Bytes file{'B', 'A'};
    Add32(file, 14 + 14 + 12 + 6 + 4);
    file.resize(14, 0);
    // The embedded file header's data offset counts from the start of the array.
    file.insert(file.end(), {'B', 'M'});
    Add32(file, 0);
    Add32(file, 0);
    Add32(file, 14 + 14 + 12 + 6);
    file = Concat(Concat(Concat(file, Info(core)), Bytes{1, 2, 3, 4, 5, 6}), Bytes{0x80, 0, 0, 0});
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, file));
    EXPECT_EQ(Rgb(codec, 0, 0), 0x060504u);
    EXPECT_EQ(Rgb(codec, 1, 0), 0x030201u);
}

TEST(BmpCodec, FileHeaderDataOffsetAndResolution)
{
    InfoHeader h;
    h.width = 2;
    h.pelsPerMeter = 2835;
    // Junk between the header and the data offset is skipped.
    const Bytes file = File(h, Bytes(10, 0xEE), Bytes{1, 2, 3, 4, 5, 6, 0, 0});
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, file));
    EXPECT_EQ(codec.GetBpp(), 24u);
    EXPECT_EQ(Rgb(codec, 0, 0), 0x030201u);
    EXPECT_EQ(Rgb(codec, 1, 0), 0x060504u);
    EXPECT_EQ(codec.GetDpiX(), 72);
    EXPECT_EQ(codec.GetHeader().xPelsPerMeter, 2835);
}

TEST(BmpCodec, TopDownRowsEndBottomUp)
{
    InfoHeader h;
    h.height = -2;
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, {}, Bytes{1, 1, 1, 0, 2, 2, 2, 0})));
    EXPECT_EQ(codec.GetHeight(), 2);
    // The first stored row of the file is the top row: stored row 1.
    EXPECT_EQ(Rgb(codec, 0, 1), 0x010101u);
    EXPECT_EQ(Rgb(codec, 0, 0), 0x020202u);
}

TEST(BmpCodec, TwoBitRowsWidenToFourBits)
{
    InfoHeader h;
    h.width = 5;
    h.height = 2;
    h.bits = 2;
    // Row 0: indices 0 1 2 3 | 1; row 1: 3 3 3 3 | 3.
    const Bytes pixels{0x1B, 0x40, 0, 0, 0xFF, 0xC0, 0, 0};
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, GreyPalette(4), pixels)));
    EXPECT_EQ(codec.GetBpp(), 4u);
    const int row0[] = {0, 1, 2, 3, 1};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(codec.GetPixelIndex(x, 0), row0[x]) << x;
        EXPECT_EQ(codec.GetPixelIndex(x, 1), 3) << x;
    }
    EXPECT_EQ(Rgb(codec, 3, 0), 0x030303u);

    h.compression = 1;
    EXPECT_FALSE(DecodeBytes(codec, File(h, GreyPalette(4), pixels)));
    EXPECT_STREQ(codec.GetLastError(), "compression type not supported");
}

TEST(BmpCodec, SixteenBitMasks)
{
    InfoHeader h;
    h.width = 2;
    h.bits = 16;
    h.compression = 3;
    Bytes masks;
    for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Add32(masks, m);
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, masks, Bytes{0xFF, 0xFF, 0x1F, 0x00})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0xF8FCF8u);
    EXPECT_EQ(Rgb(codec, 1, 0), 0x0000F8u);

    // Default 5-5-5 without bit fields.
    h.compression = 0;
    ASSERT_TRUE(DecodeBytes(codec, File(h, {}, Bytes{0x00, 0x7C, 0xE0, 0x03})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0xF80000u);
    EXPECT_EQ(Rgb(codec, 1, 0), 0x00F800u);

    // 4-4-4 from a V5 header: every channel placed by its own mask.
    h.size = 124;
    h.compression = 3;
    h.masks[0] = 0x0F00;
    h.masks[1] = 0x00F0;
    h.masks[2] = 0x000F;
    ASSERT_TRUE(DecodeBytes(codec, File(h, {}, Bytes{0x21, 0x03, 0, 0})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0x302010u);
}

TEST(BmpCodec, ThirtyTwoBitMasksAreHonoured)
{
    InfoHeader h;
    h.size = 108;
    h.bits = 32;
    h.compression = 3;
    h.masks[0] = 0x000000FF;
    h.masks[1] = 0x0000FF00;
    h.masks[2] = 0x00FF0000;
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, {}, Bytes{0x11, 0x22, 0x33, 0x44})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0x112233u);

    // Standard masks in a 40-byte header read after it.
    InfoHeader standard;
    standard.bits = 32;
    standard.compression = 3;
    Bytes masks;
    for (std::uint32_t m : {0xFF0000u, 0xFF00u, 0xFFu}) Add32(masks, m);
    ASSERT_TRUE(DecodeBytes(codec, File(standard, masks, Bytes{0x11, 0x22, 0x33, 0x44})));
    EXPECT_EQ(Rgb(codec, 0, 0), 0x332211u);
}

TEST(BmpCodec, Rle8RunsContinueAcrossRowsAndStopAtTheEnd)
{
    InfoHeader h;
    h.width = 3; // rows of 4 bytes
    h.height = 2;
    h.bits = 8;
    h.compression = 1;
    // A 6-byte run from x = 0 fills row 0 (with its padding byte) and 2 bytes of row 1,
    // then an absolute run of 3 with its padding byte, then a run cut at the end of the rows.
    const Bytes rle{6, 9, 0, 3, 4, 5, 6, 0, 9, 8, 0, 1};
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, GreyPalette(256), rle)));
    const std::uint8_t* bits = codec.GetBits();
    EXPECT_EQ(Bytes(bits, bits + 8), (Bytes{9, 9, 9, 9, 9, 9, 4, 5}));

    // Without an end-of-bitmap code the end of the input ends the image.
    const Bytes endless{2, 7, 0, 2, 0, 1, 2, 5};
    ASSERT_TRUE(DecodeBytes(codec, File(h, GreyPalette(256), endless)));
    EXPECT_EQ(codec.GetPixelIndex(0, 0), 7);
    EXPECT_EQ(codec.GetPixelIndex(2, 0), 0);
    EXPECT_EQ(codec.GetPixelIndex(1, 1), 0);
    EXPECT_EQ(codec.GetPixelIndex(2, 1), 5);
}

TEST(BmpCodec, Rle4NibblesAndDeltas)
{
    InfoHeader h;
    h.width = 5;
    h.height = 2;
    h.bits = 4;
    h.compression = 2;
    // Run of 3 alternating 1/2, end of line, delta (1, 0), absolute run of 3 (4 5 6), end.
    const Bytes rle{3, 0x12, 0, 0, 0, 2, 1, 0, 0, 3, 0x45, 0x60, 0, 1};
    BmpCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, File(h, GreyPalette(16), rle)));
    const int row0[] = {1, 2, 1, 0, 0};
    const int row1[] = {0, 4, 5, 6, 0};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(codec.GetPixelIndex(x, 0), row0[x]) << x;
        EXPECT_EQ(codec.GetPixelIndex(x, 1), row1[x]) << x;
    }
}

TEST(BmpCodec, EncodeWritesTheDataOffsetOfEachDepth)
{
    for (const auto& [bits, offset] : {std::pair{24u, 54u}, {8u, 1078u}, {4u, 118u}, {1u, 62u}}) {
        Picture picture(3, 2, bits, ImageFormat::Bmp);
        MemoryStream out;
        ASSERT_TRUE(picture.Encode(out, ImageFormat::Bmp));
        const std::uint8_t* data = out.GetBuffer();
        std::uint32_t written;
        std::memcpy(&written, data + 10, 4);
        EXPECT_EQ(written, offset) << bits;
        std::memcpy(&written, data + 2, 4);
        EXPECT_EQ(written, std::uint32_t(out.Size())) << bits;
    }
}

TEST(BmpCodec, RoundTripKeepsPixelsPaletteAndResolution)
{
    Picture source(7, 5, 8, ImageFormat::Bmp);
    for (std::uint32_t i = 0; i < 256; ++i) source.SetPaletteEntry(i, std::uint8_t(i), std::uint8_t(255 - i), 7);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) source.SetPixelIndex(x, y, std::uint8_t(x * 31 + y));
    source.SetDpiX(300);
    source.SetDpiY(150);
    MemoryStream out;
    ASSERT_TRUE(source.Encode(out, ImageFormat::Bmp));
    out.Seek(0, 0);
    Picture back;
    ASSERT_TRUE(back.Decode(out, ImageFormat::Unknown));
    EXPECT_EQ(back.GetType(), ImageFormat::Bmp);
    ASSERT_EQ(back.GetSize(), source.GetSize());
    EXPECT_EQ(std::memcmp(back.GetBits(), source.GetBits(), source.GetHeader().imageSize), 0);
    EXPECT_EQ(std::memcmp(back.GetPalette(), source.GetPalette(), 1024), 0);
    EXPECT_EQ(back.GetDpiX(), 300);
    EXPECT_EQ(back.GetDpiY(), 150);
}

TEST(BmpCodec, EncodingAnEmptyPictureFails)
{
    Picture empty;
    MemoryStream out;
    EXPECT_FALSE(empty.Encode(out, ImageFormat::Bmp));
}
