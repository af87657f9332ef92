// Hand-made metafiles with known geometry: picture sizes and their limits, shapes, pens, text,
// mapping, world transforms, clipping and embedded bitmaps land where the records put them.
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "MetafileBuilder.h"
#include "TestSupport.h"
#include "WmfCodec.h"
#include "metafile/MetafileData.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>

using namespace testsupport;

namespace {

constexpr std::uint32_t kRed = 0x0000FF; // as a picture colour and as a metafile COLORREF
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0;

struct Decoded {
    bool ok = false;
    WmfCodec picture;
};

std::unique_ptr<Decoded> Decode(const std::vector<std::uint8_t>& bytes, int width = 0, int height = 0)
{
    auto result = std::make_unique<Decoded>();
    MemoryStream in(bytes.data(), bytes.size());
    result->ok = result->picture.Decode(in, width, height);
    return result;
}

::testing::AssertionResult PixelIs(const Picture& picture, int x, int y, std::uint32_t expected, int tolerance = 8)
{
    const std::uint32_t got = PictureRgb(picture, x, y);
    if (ChannelDistance(got, expected) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << got << ", expected "
                                         << expected;
}

// A 96 x 48 picture: 1440 x 720 units at 1440 units per inch.
std::vector<std::uint8_t> Wmf96x48(const WmfBuilder& records)
{
    return records.Build(0, 0, 1440, 720, 1440);
}

WmfBuilder& RedBrushNullPen(WmfBuilder& wmf)
{
    return wmf.Record(0x02FC, {0, int(kRed & 0xFFFF), int(kRed >> 16), 0})
        .Record(0x012D, {0})
        .Record(0x02FA, {5, 0, 0, 0, 0})
        .Record(0x012D, {1});
}

std::uint32_t FloatBits(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

EmfBuilder& EmfRedBrushNullPen(EmfBuilder& emf)
{
    return emf.Record(39, {1, 0, kRed, 0}).Record(37, {1}).Record(37, {0x80000008});
}

// The tail of a font record: no italic, underline or strike-out, then the face name.
std::vector<std::uint8_t> FontTail(const std::string& name = "Arial")
{
    std::vector<std::uint8_t> face(8, 0);
    for (char c : name) face.push_back(std::uint8_t(c));
    face.resize(8 + 32, 0);
    return face;
}

// The tail of a text record: the characters, then where they go.
std::vector<std::uint8_t> TextAt(const std::string& text, int x, int y)
{
    std::vector<std::uint8_t> tail(text.begin(), text.end());
    if (tail.size() % 2) tail.push_back(0);
    Put16(tail, std::uint32_t(y));
    Put16(tail, std::uint32_t(x));
    return tail;
}

int DarkPixels(const Picture& picture, int left, int top, int right, int bottom)
{
    int dark = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) dark += ChannelDistance(PictureRgb(picture, x, y), kWhite) > 128;
    return dark;
}

} // namespace

TEST(Metafile, PictureSizeFollowsTheHeaderAtNinetySixDpi)
{
    const auto wmf = Decode(Wmf96x48(WmfBuilder()));
    ASSERT_TRUE(wmf->ok) << wmf->picture.GetLastError();
    EXPECT_EQ(96, wmf->picture.GetWidth());
    EXPECT_EQ(48, wmf->picture.GetHeight());
    EXPECT_EQ(24u, wmf->picture.GetBpp());
    EXPECT_EQ(ImageFormat::Wmf, wmf->picture.GetType());
    EXPECT_FALSE(wmf->picture.IsPartial());
    EXPECT_TRUE(PixelIs(wmf->picture, 50, 20, kWhite, 0));

    const struct {
        int left, top, right, bottom, width, height;
    } emfCases[] = {
        {0, 0, 5000, 2000, 4000, 1600},
        {0, 0, 1000, 5000, 800, 4000},
        {-20, -10, 180, 90, 200, 100},
        // Sides held in 64 bits; the short side never reaches 0.
        {INT_MIN, 0, INT_MAX, 3, 4000, 1},
    };
    for (const auto& c : emfCases) {
        const auto emf = Decode(EmfBuilder().Build(c.left, c.top, c.right, c.bottom));
        ASSERT_TRUE(emf->ok) << emf->picture.GetLastError();
        EXPECT_EQ(c.width, emf->picture.GetWidth()) << c.right - std::int64_t(c.left);
        EXPECT_EQ(c.height, emf->picture.GetHeight());
    }
    const auto wide = Decode(WmfBuilder().Build(0, 0, 32767, 1, 1));
    ASSERT_TRUE(wide->ok);
    EXPECT_EQ(4000, wide->picture.GetWidth());
    EXPECT_EQ(1, wide->picture.GetHeight());
    const auto asked = Decode(Wmf96x48(WmfBuilder()), 200, 0);
    ASSERT_TRUE(asked->ok);
    EXPECT_EQ(200, asked->picture.GetWidth());
    EXPECT_EQ(48, asked->picture.GetHeight());
}

TEST(Metafile, EmptyAndDamagedHeadersFailWithTheirMessage)
{
    const struct {
        std::vector<std::uint8_t> bytes;
        const char* message;
    } cases[] = {
        {WmfBuilder().Build(100, 0, 0, 100, 1440), "empty WMF"},
        {WmfBuilder().Build(0, 0, 10, 10, 2540), "empty WMF"},
        {WmfBuilder().Build(0, 0, 0, 0, 1440), "empty WMF"},
        {WmfBuilder().Build(0, 0, 100, 100, 0), "corrupted WMF"},
        {WmfBuilder().Build(0, 0, 100, 100, 2541), "corrupted WMF"},
        {EmfBuilder().Build(0, 0, 0, 100), "empty WMF"},
        {EmfBuilder().Build(0, 0, -1, -1), "empty WMF"},
        {std::vector<std::uint8_t>(300, 'x'), "corrupted WMF"},
        {{}, "corrupted WMF"},
    };
    for (const auto& c : cases) {
        const auto decoded = Decode(c.bytes);
        EXPECT_FALSE(decoded->ok);
        EXPECT_STREQ(c.message, decoded->picture.GetLastError());
        EXPECT_FALSE(decoded->picture.IsValid());
    }
    std::vector<std::uint8_t> badChecksum = Wmf96x48(WmfBuilder());
    badChecksum[20] ^= 1;
    EXPECT_STREQ("corrupted WMF", Decode(badChecksum)->picture.GetLastError());
}

// Unknown data reaches the metafile reader last: only a consistent EMF header may pass.
TEST(Metafile, AnEnhancedMetafileNeedsAConsistentHeader)
{
    const std::vector<std::uint8_t> good = EmfBuilder().Record(43, {0, 0, 10, 10}).Build(0, 0, 100, 50);
    ASSERT_TRUE(Decode(good)->ok);
    const struct {
        std::size_t offset;
        std::uint32_t value;
    } damage[] = {
        {0, 2},                          // record type
        {4, 84},                         // header size below the header's fields
        {4, 90},                         // header size not a multiple of 4
        {40, 0x464D4521},                // signature
        {48, std::uint32_t(good.size() + 4)}, // more bytes than the stream holds
        {48, 80},                        // fewer bytes than the header
        {52, 0},                         // no records
        {52, 1000},                      // more records than bytes could hold
    };
    for (const auto& d : damage) {
        std::vector<std::uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i) bytes[d.offset + i] = std::uint8_t(d.value >> (8 * i));
        EXPECT_STREQ("corrupted WMF", Decode(bytes)->picture.GetLastError()) << d.offset;
        MemoryStream in(bytes.data(), bytes.size());
        Picture any;
        EXPECT_FALSE(any.Decode(in, ImageFormat::Unknown));
    }
}

TEST(Metafile, ThePlaceableReadStaysInsideTheStream)
{
    WmfBuilder records;
    RedBrushNullPen(records).Record(0x041B, {720, 720, 0, 0});
    std::vector<std::uint8_t> bytes = Wmf96x48(records);
    // A size field far beyond the data: what is there is played, and it is whole.
    std::vector<std::uint8_t> overstated = bytes;
    for (int i = 0; i < 4; ++i) overstated[22 + 6 + i] = 0xFF;
    const auto big = Decode(overstated);
    ASSERT_TRUE(big->ok) << big->picture.GetLastError();
    EXPECT_FALSE(big->picture.IsPartial());
    EXPECT_TRUE(PixelIs(big->picture, 24, 24, kRed));
    // Cut before the end-of-file record: drawn as far as it goes, and partial.
    bytes.resize(bytes.size() - 6);
    const auto cut = Decode(bytes);
    ASSERT_TRUE(cut->ok);
    EXPECT_TRUE(cut->picture.IsPartial());
    EXPECT_TRUE(PixelIs(cut->picture, 24, 24, kRed));
    // Cut inside the header: not a metafile.
    bytes.resize(30);
    EXPECT_STREQ("corrupted WMF", Decode(bytes)->picture.GetLastError());

    // A metafile further into a stream is read from where the stream stands, not from its start.
    EmfBuilder emf;
    EmfRedBrushNullPen(emf).Record(43, {0, 0, 100, 50});
    for (const std::vector<std::uint8_t>& metafile : {Wmf96x48(records), emf.Build(0, 0, 100, 50)}) {
        std::vector<std::uint8_t> embedded(7, 'x');
        embedded.insert(embedded.end(), metafile.begin(), metafile.end());
        MemoryStream in(embedded.data(), embedded.size());
        ASSERT_TRUE(in.Seek(7, 0));
        WmfCodec codec;
        ASSERT_TRUE(codec.Decode(in)) << codec.GetLastError();
        EXPECT_FALSE(codec.IsPartial());
        EXPECT_TRUE(PixelIs(codec, 20, 20, kRed));
    }
}

TEST(Metafile, FilledShapesCoverTheirInsideOnly)
{
    WmfBuilder records;
    RedBrushNullPen(records)
        .Record(0x041B, {720, 720, 0, 0})                       // rectangle, left half
        .Record(0x02FC, {0, int(kBlue & 0xFFFF), int(kBlue >> 16), 0})
        .Record(0x012D, {2})
        .Record(0x0418, {720, 1440, 0, 720})                    // ellipse, right half
        .Record(0x02FC, {0, int(kGreen & 0xFFFF), 0, 0})
        .Record(0x012D, {3})
        .Record(0x0324, {3, 0, 720, 360, 360, 0, 0});           // triangle in the rectangle's corner
    const auto decoded = Decode(Wmf96x48(records));
    ASSERT_TRUE(decoded->ok);
    const Picture& p = decoded->picture;
    EXPECT_TRUE(PixelIs(p, 40, 8, kRed));
    EXPECT_TRUE(PixelIs(p, 4, 40, kGreen));
    EXPECT_TRUE(PixelIs(p, 72, 24, kBlue));
    EXPECT_TRUE(PixelIs(p, 50, 2, kWhite));
    EXPECT_TRUE(PixelIs(p, 94, 46, kWhite));
}

// Arcs run counter-clockwise as seen on the picture, whichever way the window's y axis points.
TEST(Metafile, PiesTurnCounterClockwiseOnThePicture)
{
    WmfBuilder down;
    RedBrushNullPen(down).Record(0x081A, {0, 720, 360, 1440, 720, 1440, 0, 0}); // east to north
    WmfBuilder up;
    up.Record(0x020B, {720, 0}).Record(0x020C, {-720, 1440});
    RedBrushNullPen(up).Record(0x081A, {720, 720, 360, 1440, 720, 1440, 0, 0});
    for (const WmfBuilder* records : {&down, &up}) {
        const auto decoded = Decode(Wmf96x48(*records));
        ASSERT_TRUE(decoded->ok);
        EXPECT_TRUE(PixelIs(decoded->picture, 60, 16, kRed));
        EXPECT_TRUE(PixelIs(decoded->picture, 36, 16, kWhite));
        EXPECT_TRUE(PixelIs(decoded->picture, 60, 32, kWhite));
    }
}

TEST(Metafile, PaletteIndexColoursComeFromTheSelectedPalette)
{
    WmfBuilder records;
    records.Record(0x00F7, {0x300, 2}, {0, 0, 0, 0, 0, 255, 0, 0})
        .Record(0x0234, {0})
        .Record(0x02FC, {0, 1, 0x0100, 0}) // palette entry 1
        .Record(0x012D, {1})
        .Record(0x02FA, {5, 0, 0, 0, 0})
        .Record(0x012D, {2})
        .Record(0x041B, {720, 1440, 0, 0});
    const auto decoded = Decode(Wmf96x48(records));
    ASSERT_TRUE(decoded->ok);
    EXPECT_TRUE(PixelIs(decoded->picture, 48, 24, kGreen));
}

TEST(Metafile, PenWidthsAreLogicalUnitsAndZeroIsOnePixel)
{
    WmfBuilder records;
    records.Record(0x02FA, {0, 150, 0, 0, 0}) // 150 units = 10 pixels
        .Record(0x012D, {0})
        .Record(0x0214, {180, 0})
        .Record(0x0213, {180, 1440})
        .Record(0x02FA, {0, 0, 0, 0, 0})
        .Record(0x012D, {1})
        .Record(0x0214, {540, 0})
        .Record(0x0213, {540, 1440});
    const auto decoded = Decode(Wmf96x48(records));
    ASSERT_TRUE(decoded->ok);
    const Picture& p = decoded->picture;
    for (int y : {8, 12, 16}) EXPECT_TRUE(PixelIs(p, 48, y, kBlack)) << y;
    for (int y : {3, 21}) EXPECT_TRUE(PixelIs(p, 48, y, kWhite)) << y;
    EXPECT_TRUE(PixelIs(p, 48, 36, kBlack));
    EXPECT_TRUE(PixelIs(p, 48, 35, kWhite));
    EXPECT_TRUE(PixelIs(p, 48, 37, kWhite));
}

TEST(Metafile, TextIsDrawnWhereTheRecordPutsIt)
{
    WmfBuilder records;
    records.Record(0x02FB, {-400, 0, 0, 0, 700}, FontTail()).Record(0x012D, {0}).Record(0x0521, {2}, TextAt("HH", 100, 100));
    const auto decoded = Decode(Wmf96x48(records));
    ASSERT_TRUE(decoded->ok);
    EXPECT_GT(DarkPixels(decoded->picture, 6, 6, 48, 40), 60);
    EXPECT_EQ(0, DarkPixels(decoded->picture, 56, 0, 96, 48));
}

TEST(Metafile, LargeTextAndOddFontsAreDrawn)
{
    // Sizes in pixels, at one unit a pixel. Ems past 256 pixels are filled as outlines, smaller
    // ones drawn as glyph images: either way the ink grows with the square of the em.
    const auto ink = [](int em) {
        WmfBuilder records;
        records.Record(0x02FB, {-em, 0, 0, 0, 700}, FontTail()).Record(0x012D, {0}).Record(0x0521, {2}, TextAt("HH", 0, 0));
        const auto decoded = Decode(records.Build(0, 0, 800, 400, 96));
        return decoded->ok ? DarkPixels(decoded->picture, 0, 0, 800, 400) : 0;
    };
    const double small = ink(250);
    ASSERT_GT(small, 10000);
    EXPECT_NEAR(ink(300) / small, 1.44, 0.05);

    // Fonts Cairo would refuse, and with it all later drawing: an em wider than the rasteriser
    // takes is narrowed, a face name that is not UTF-8 is made ASCII.
    const struct {
        int height, width;
        std::string face;
        int y; // puts part of the "H" inside the strip
    } refused[] = {{-4096, 32767, "Arial", -1500}, {-400, 0, "Arial\xFF\xFE", 0}};
    for (const auto& font : refused) {
        WmfBuilder records;
        records.Record(0x02FB, {font.height, font.width, 0, 0, 400}, FontTail(font.face)).Record(0x012D, {0});
        records.Record(0x0521, {1}, TextAt("H", 0, font.y));
        RedBrushNullPen(records).Record(0x041B, {100, 2100, 0, 2000}); // rectangle, right end
        const auto decoded = Decode(records.Build(0, 0, 2100, 100, 96));
        ASSERT_TRUE(decoded->ok);
        EXPECT_GT(DarkPixels(decoded->picture, 0, 0, 2000, 100), 100) << font.face;
        EXPECT_TRUE(PixelIs(decoded->picture, 2050, 50, kRed)) << font.face;
    }
}

TEST(Metafile, TextIsReadInTheFontsCharacterSet)
{
    const struct {
        std::string bytes;
        std::uint8_t charset;
        const char* utf8;
    } ansi[] = {
        {"A\x80\xE9", 0, "A\u20AC\u00E9"},
        {"\xC0\xFF", 204, "\u0410\u044F"},
        {"\xE1", 161, "\u03B1"},
        {"a\xD6" "D", 2, "\u03B1\u221A\u0394"},
        {std::string("x\x01\0y", 4), 0, "x  y"},
    };
    for (const auto& c : ansi) {
        const RecordView view(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(c.utf8, AnsiToUtf8(view, c.bytes.size(), c.charset)) << int(c.charset);
    }
    const struct {
        std::vector<std::uint16_t> units;
        std::uint8_t charset;
        const char* utf8;
    } wide[] = {
        {{'A', 0xD83D, 0xDE00}, 0, "A\U0001F600"},
        {{0xDE00, 'b', 0xD83D, 'c', 0xD83D}, 0, " b c "},
        {{'a', 0xFFFF, 0xFDD0, 0xD83F, 0xDFFE, 'b'}, 0, "a   b"},
        {{0xF061, 'b'}, 2, "\u03B1\u03B2"},
    };
    for (const auto& c : wide) {
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t u : c.units) Put16(bytes, u);
        EXPECT_EQ(c.utf8, Utf16ToUtf8(RecordView(bytes.data(), bytes.size()), c.units.size(), c.charset));
    }
}

TEST(Metafile, MappingModesAndWorldTransformsPlaceShapes)
{
    // A window with its y axis pointing up: the rectangle lands in the bottom-left quarter.
    WmfBuilder flipped;
    flipped.Record(0x020B, {720, 0}).Record(0x020C, {-720, 1440});
    RedBrushNullPen(flipped).Record(0x041B, {360, 720, 0, 0});
    const auto wmf = Decode(Wmf96x48(flipped));
    ASSERT_TRUE(wmf->ok);
    EXPECT_TRUE(PixelIs(wmf->picture, 24, 36, kRed));
    EXPECT_TRUE(PixelIs(wmf->picture, 24, 12, kWhite));
    EXPECT_TRUE(PixelIs(wmf->picture, 72, 36, kWhite));

    // Tenths of a millimetre with y up: 1000 x 500 units are 378 x 189 pixels at 96 dpi.
    EmfBuilder metric;
    metric.Record(17, {2});
    EmfRedBrushNullPen(metric).Record(43, {0, 0, 1000, -500});
    const auto emf = Decode(metric.Build(0, 0, 400, 200));
    ASSERT_TRUE(emf->ok);
    EXPECT_TRUE(PixelIs(emf->picture, 370, 180, kRed));
    EXPECT_TRUE(PixelIs(emf->picture, 390, 100, kWhite));
    EXPECT_TRUE(PixelIs(emf->picture, 100, 195, kWhite));

    EmfBuilder world;
    world.Record(35, {FloatBits(2), 0, 0, FloatBits(2), FloatBits(10), FloatBits(20)});
    EmfRedBrushNullPen(world).Record(43, {0, 0, 50, 40});
    // Left-multiplying by a translation moves the shape by twice the offset.
    world.Record(36, {FloatBits(1), 0, 0, FloatBits(1), FloatBits(60), 0, 2}).Record(43, {0, 50, 10, 60});
    const auto transformed = Decode(world.Build(0, 0, 400, 200));
    ASSERT_TRUE(transformed->ok);
    EXPECT_TRUE(PixelIs(transformed->picture, 60, 60, kRed));
    EXPECT_TRUE(PixelIs(transformed->picture, 5, 60, kWhite));
    EXPECT_TRUE(PixelIs(transformed->picture, 115, 60, kWhite));
    EXPECT_TRUE(PixelIs(transformed->picture, 60, 105, kWhite));
    EXPECT_TRUE(PixelIs(transformed->picture, 140, 130, kRed));
    EXPECT_TRUE(PixelIs(transformed->picture, 125, 130, kWhite));
}

TEST(Metafile, ClipRectanglesAndPathsLimitDrawing)
{
    WmfBuilder inside;
    RedBrushNullPen(inside).Record(0x0416, {720, 720, 0, 0}).Record(0x041B, {720, 1440, 0, 0});
    const auto intersected = Decode(Wmf96x48(inside));
    ASSERT_TRUE(intersected->ok);
    EXPECT_TRUE(PixelIs(intersected->picture, 24, 24, kRed));
    EXPECT_TRUE(PixelIs(intersected->picture, 72, 24, kWhite));

    // Saving the state keeps the clip that a restore brings back.
    WmfBuilder outside;
    RedBrushNullPen(outside)
        .Record(0x001E, {})
        .Record(0x0415, {720, 720, 0, 0})
        .Record(0x041B, {360, 1440, 0, 0})
        .Record(0x0127, {0xFFFF})
        .Record(0x041B, {720, 1440, 360, 0});
    const auto excluded = Decode(Wmf96x48(outside));
    ASSERT_TRUE(excluded->ok);
    EXPECT_TRUE(PixelIs(excluded->picture, 24, 12, kWhite));
    EXPECT_TRUE(PixelIs(excluded->picture, 72, 12, kRed));
    EXPECT_TRUE(PixelIs(excluded->picture, 24, 36, kRed));

    EmfBuilder path;
    path.Record(59, {}).Record(42, {0, 0, 200, 100}).Record(60, {}).Record(67, {5});
    EmfRedBrushNullPen(path).Record(43, {0, 0, 200, 100});
    const auto clipped = Decode(path.Build(0, 0, 200, 100));
    ASSERT_TRUE(clipped->ok);
    EXPECT_TRUE(PixelIs(clipped->picture, 100, 50, kRed));
    EXPECT_TRUE(PixelIs(clipped->picture, 4, 4, kWhite));
    EXPECT_TRUE(PixelIs(clipped->picture, 195, 95, kWhite));
}

TEST(Metafile, RegionsAreFilledAndClip)
{
    // One scan from y 0 to 720 holding x 0..720: the left half.
    const std::initializer_list<int> leftHalf = {0, 6, 0, 0, 34, 1, 2, 0, 0, 720, 720, 2, 0, 720, 0, 720, 2};
    WmfBuilder filled;
    filled.Record(0x06FF, leftHalf).Record(0x02FC, {0, int(kRed & 0xFFFF), 0, 0}).Record(0x0228, {0, 1});
    WmfBuilder clipped;
    RedBrushNullPen(clipped).Record(0x06FF, leftHalf).Record(0x012C, {2}).Record(0x041B, {720, 1440, 0, 0});
    for (const WmfBuilder* records : {&filled, &clipped}) {
        const auto decoded = Decode(Wmf96x48(*records));
        ASSERT_TRUE(decoded->ok);
        EXPECT_TRUE(PixelIs(decoded->picture, 24, 24, kRed));
        EXPECT_TRUE(PixelIs(decoded->picture, 72, 24, kWhite));
    }
}

TEST(Metafile, EmbeddedBitmapsAreStretchedOntoTheirRectangle)
{
    // Colours as 0xRRGGBB: red, green on top; blue, yellow below.
    const std::vector<std::uint8_t> quarters = Dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    WmfBuilder wmf;
    wmf.Record(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 720, 1440, 0, 0}, quarters);
    const auto stretched = Decode(Wmf96x48(wmf));
    ASSERT_TRUE(stretched->ok);
    const Picture& p = stretched->picture;
    EXPECT_TRUE(PixelIs(p, 10, 10, kRed));
    EXPECT_TRUE(PixelIs(p, 86, 10, kGreen));
    EXPECT_TRUE(PixelIs(p, 10, 38, kBlue));
    EXPECT_TRUE(PixelIs(p, 86, 38, 0x00FFFF));

    // The same through an EMF StretchBlt: header and pixels at their offsets in the record.
    // Source pixels are repeated unless the stretch mode asks for halftone (4).
    for (const bool halftone : {false, true}) {
        EmfBuilder emf;
        if (halftone) emf.Record(21, {4});
        const std::uint32_t bitsSize = std::uint32_t(quarters.size() - 40);
        emf.Record(77, {0, 0, 99, 99, 0, 0, 100, 100, 0xCC0020, 0, 0, FloatBits(1), 0, 0, FloatBits(1), 0, 0, 0, 0,
                        108, 40, 148, bitsSize, 2, 2},
                   quarters);
        const auto blitted = Decode(emf.Build(0, 0, 100, 100));
        ASSERT_TRUE(blitted->ok);
        EXPECT_TRUE(PixelIs(blitted->picture, 25, 25, kRed));
        EXPECT_TRUE(PixelIs(blitted->picture, 75, 75, 0x00FFFF));
        EXPECT_EQ(!halftone, PixelIs(blitted->picture, 48, 25, kRed, 0)) << halftone;
    }

    // The oldest stretch record carries a device bitmap: rows top-down, blue, green, red.
    std::vector<std::uint8_t> device;
    for (int v : {0, 2, 2, 6}) Put16(device, std::uint32_t(v));
    device.insert(device.end(), {1, 24, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 255, 255});
    WmfBuilder old;
    old.Record(0x0B23, {0x0020, 0x00CC, 2, 2, 0, 0, 720, 1440, 0, 0}, device);
    const auto blitted = Decode(Wmf96x48(old));
    ASSERT_TRUE(blitted->ok);
    EXPECT_TRUE(PixelIs(blitted->picture, 10, 10, kRed));
    EXPECT_TRUE(PixelIs(blitted->picture, 86, 38, 0x00FFFF));

    // A bitmap that claims more pixels than its record holds is left out, the rest still drawn.
    std::vector<std::uint8_t> liar = quarters;
    liar[4] = 0xFF;
    liar[5] = 0x7F;
    WmfBuilder lying;
    lying.Record(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 720, 1440, 0, 0}, liar);
    const auto skipped = Decode(Wmf96x48(lying));
    ASSERT_TRUE(skipped->ok);
    EXPECT_TRUE(PixelIs(skipped->picture, 10, 10, kWhite));
}

TEST(Metafile, SavingIsRefusedAndCancellingStops)
{
    TempDir dir;
    const std::string target = dir.file("kept.wmf");
    WriteFile(target, std::string("what was there"));
    Picture picture(10, 10, 24);
    EXPECT_FALSE(picture.Save(target, ImageFormat::Wmf));
    EXPECT_STREQ("Save WMF not supported", picture.GetLastError());
    const std::vector<unsigned char> kept = ReadFile(target);
    EXPECT_EQ("what was there", std::string(kept.begin(), kept.end()));

    const std::vector<std::uint8_t> bytes = Wmf96x48(WmfBuilder());
    MemoryStream in(bytes.data(), bytes.size());
    WmfCodec codec;
    codec.SetEscape(1);
    EXPECT_FALSE(codec.Decode(in));
    EXPECT_STREQ("Cancelled", codec.GetLastError());
}

// Records that would cost much or point nowhere: each ends cleanly and the picture is made.
TEST(Metafile, HostileRecordsEndCleanly)
{
    WmfBuilder wmf;
    wmf.Record(0x020C, {1, 1})                                // one unit is a whole picture
        .Record(0x02FA, {1, 32767, 0, 0, 0})                  // dashed and very wide
        .Record(0x012D, {0})
        .Record(0x0214, {-32768, -32768})
        .Record(0x0213, {32767, 32767})
        .Record(0x0418, {32767, 32767, -32768, -32768})
        .Record(0x081A, {0, 1, 0, 1, 32767, 32767, -32768, -32768})
        .Record(0x012D, {60000})                              // no such object
        .Record(0x01F0, {60000})
        .Record(0x0127, {-100})
        .Record(0x0538, {2, 60000, 60000})                    // counts beyond the record
        .Record(0x0325, {30000, 0, 0})
        .Record(0x0A32, {0, 0, 30000, 6})                     // text longer than the record
        .Record(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 720, 1440, 0, 0}, {40, 0, 0});
    for (int i = 0; i < 200; ++i) wmf.Record(0x001E, {});
    const auto decoded = Decode(Wmf96x48(wmf));
    EXPECT_TRUE(decoded->ok) << decoded->picture.GetLastError();

    EmfBuilder emf;
    emf.Record(35, {FloatBits(1e30f), 0, 0, FloatBits(1e30f), 0, 0})
        .Record(35, {FloatBits(std::numeric_limits<float>::quiet_NaN()), 0, 0, FloatBits(1), 0, 0})
        .Record(42, {INT_MIN, INT_MIN, INT_MAX, INT_MAX})
        .Record(41, {0, 0, 0xFFFFFFFF, FloatBits(0), FloatBits(1e9f)})
        .Record(37, {7})
        .Record(38, {1000000, 0, 5, 0, 0})
        .Record(86, {0, 0, 0, 0, 0x7FFFFFFF})
        .Record(91, {0, 0, 0, 0, 0x40000000, 0x40000000})
        .Record(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0x7FFFFFFF, 0x7FFFFFF0, 0, 0, 0, 0, 0, 0xFFFFFFF0})
        .Record(81, {0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0xFFFFFF00, 40, 80, 16, 0, 0xCC0020, 10, 10})
        .Record(75, {48, 5, 32, 1, 0x10000000, 0, 0, 0, 0, 0})
        .Record(34, {-1000});
    const auto emfDecoded = Decode(emf.Build(0, 0, 300, 300));
    EXPECT_TRUE(emfDecoded->ok) << emfDecoded->picture.GetLastError();
}
