// The TIFF codec on files made for the purpose: what we write, checked with tiffinfo and read back
// by us and ImageMagick; pages appended into one file; failed writes; every orientation on both
// ways of reading; tags no file should carry.
#include "EncoderFailures.h"
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "TestSupport.h"
#include "TiffCodec.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

using Bytes = std::vector<unsigned char>;

std::string CommandOutput(const std::string& command)
{
    std::string out;
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A picture of the depth with a pattern in every row; 1-, 4- and 8-bit ones get `palette`.
Picture Pattern(std::uint32_t bits, const std::vector<RgbQuad>& palette = {}, bool withAlpha = false)
{
    Picture picture(50, 37, bits, ImageFormat::Tif);
    for (std::uint32_t i = 0; i < palette.size(); ++i) picture.SetPaletteColor(i, palette[i]);
    if (withAlpha) picture.AlphaCreate();
    for (int y = 0; y < picture.GetHeight(); ++y) {
        for (int x = 0; x < picture.GetWidth(); ++x) {
            if (bits == 24) picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(5 * x), std::uint8_t(6 * y), std::uint8_t(2 * (x + y)), 0});
            else picture.SetPixelIndex(x, y, std::uint8_t((x + 3 * y) % (1 << bits)));
            if (withAlpha) picture.AlphaSet(x, y, std::uint8_t(4 * x + y));
        }
    }
    return picture;
}

std::vector<RgbQuad> Greys(int count, int step)
{
    std::vector<RgbQuad> greys(std::size_t(count), RgbQuad{});
    for (int i = 0; i < count; ++i) {
        const auto value = std::uint8_t(i * step);
        greys[std::size_t(i)] = {value, value, value, 0};
    }
    return greys;
}

std::vector<RgbQuad> Colours(int count)
{
    std::vector<RgbQuad> colours(std::size_t(count), RgbQuad{});
    for (int i = 0; i < count; ++i) colours[std::size_t(i)] = {std::uint8_t(255 - i), std::uint8_t(i * 7), std::uint8_t(i), 0};
    return colours;
}

// The largest difference of a channel (and alpha, where the picture has a plane) between two pictures.
int WorstDistance(const Picture& ours, const Picture& theirs)
{
    int worst = 0;
    for (int y = 0; y < ours.GetHeight(); ++y)
        for (int x = 0; x < ours.GetWidth(); ++x) {
            const std::uint32_t a = ours.GetAlpha() ? ours.AlphaGet(x, y) : 255;
            const std::uint32_t b = theirs.GetAlpha() ? theirs.AlphaGet(x, y) : 255;
            worst = std::max(worst, ChannelDistance((ours.GetPixelColor(x, y).Value() & 0xFFFFFF) | a << 24,
                                                    (theirs.GetPixelColor(x, y).Value() & 0xFFFFFF) | b << 24, 4));
        }
    return worst;
}

// With `multiplied` the peer's colours are taken as multiplied by their alpha.
int WorstDistance(const Picture& ours, const RawImage& theirs, bool multiplied = false)
{
    int worst = 0;
    for (int y = 0; y < theirs.height; ++y)
        for (int x = 0; x < theirs.width; ++x) {
            const std::uint32_t a = ours.GetAlpha() ? ours.AlphaGet(x, ours.GetHeight() - 1 - y) : 255;
            std::uint32_t colour = PictureRgb(ours, x, y);
            if (multiplied) {
                std::uint32_t product = 0;
                for (int shift = 0; shift < 24; shift += 8) product |= (((colour >> shift) & 0xFF) * a + 127) / 255 << shift;
                colour = product;
            }
            worst = std::max(worst, ChannelDistance(colour | a << 24, theirs.Rgba(x, y), 4));
        }
    return worst;
}

std::vector<std::uint8_t> Snapshot(const Picture& picture)
{
    std::vector<std::uint8_t> bytes(picture.GetDib(), picture.GetDib() + picture.GetSize());
    if (picture.GetAlpha())
        bytes.insert(bytes.end(), picture.GetAlpha(), picture.GetAlpha() + std::size_t(picture.GetWidth()) * picture.GetHeight());
    return bytes;
}

} // namespace

// Compression and photometric per depth, ColorMap values x 257, Predictor 2 with LZW where the
// samples allow it, JPEG strips of whole 8 rows; the picture is left as it was, and the file reads
// back the same (JPEG nearly so) by us and by ImageMagick.
TEST(TiffEncode, EachDepthWritesItsLayoutAndReadsBack)
{
    if (!HaveTool("tiffinfo")) GTEST_SKIP() << "libtiff's tools not installed";
    struct Case {
        const char* name;
        Picture picture;
        std::uint32_t compression;
        std::vector<std::string> tags;
        int tolerance;
    };
    const RgbQuad black{0, 0, 0, 0}, white{255, 255, 255, 0};
    Case cases[] = {
        {"1-bit black first", Pattern(1, {black, white}), 0, {"CCITT Group 4", "min-is-white", "Subfile Type: (0 = 0x0)"}, 0},
        {"1-bit white first", Pattern(1, {white, black}), 0, {"CCITT Group 4", "min-is-white"}, 0},
        {"4-bit grey", Pattern(4, Greys(16, 17)), 0, {"Compression Scheme: None", "palette color", "   1:  4369  4369  4369"}, 0},
        {"4-bit darkest greys", Pattern(4, Greys(16, 1)), 0, {"Compression Scheme: None", "palette color", "  15:  3855  3855  3855"}, 0},
        {"8-bit grey", Pattern(8, Greys(256, 1)), 0, {"PackBits", "min-is-black", "Bits/Sample: 8"}, 0},
        {"8-bit colour", Pattern(8, Colours(256)), 0, {"PackBits", "palette color", "   0:     0     0 65535", " 255: 65535 63993     0"}, 0},
        {"8-bit grey and alpha", Pattern(8, Greys(256, 1), true), 0, {"PackBits", "Samples/Pixel: 2", "Extra Samples: 1<unassoc-alpha>"}, 0},
        {"24-bit", Pattern(24), 0, {"Compression Scheme: JPEG", "RGB color", "Samples/Pixel: 3"}, 12},
        {"24-bit and alpha", Pattern(24, {}, true), 0, {"Compression Scheme: JPEG", "Samples/Pixel: 4", "Extra Samples: 1<unassoc-alpha>"}, 12},
        {"24-bit LZW", Pattern(24), COMPRESSION_LZW, {"Compression Scheme: LZW", "Predictor: horizontal differencing 2"}, 0},
        {"8-bit Deflate", Pattern(8, Colours(256)), COMPRESSION_ADOBE_DEFLATE, {"AdobeDeflate", "palette color"}, 0},
        {"4-bit LZW", Pattern(4, Colours(16)), COMPRESSION_LZW, {"Compression Scheme: LZW"}, 0},
    };
    TempDir dir;
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.picture.SetCodecOption(c.compression);
        const std::vector<std::uint8_t> before = Snapshot(c.picture);
        const std::string path = dir.file("out.tif");
        ASSERT_TRUE(c.picture.Save(path, ImageFormat::Tif)) << c.picture.GetLastError();
        EXPECT_EQ(before, Snapshot(c.picture)) << "the picture changed while it was written";

        const std::string info = CommandOutput("tiffinfo -c " + ShellQuote(path));
        for (const std::string& tag : c.tags) EXPECT_NE(info.find(tag), std::string::npos) << tag << " not in\n" << info;
        EXPECT_EQ(c.compression == COMPRESSION_LZW && c.picture.GetBpp() != 4, info.find("Predictor") != std::string::npos);
        const std::size_t rows = info.find("Rows/Strip: ");
        ASSERT_NE(rows, std::string::npos);
        if (c.picture.GetBpp() == 24 && c.compression == 0) {
            EXPECT_EQ(0, std::stoi(info.substr(rows + 12)) % 8);
        }

        Picture ours;
        ASSERT_TRUE(ours.Load(path, ImageFormat::Tif)) << ours.GetLastError();
        ASSERT_EQ(c.picture.GetWidth(), ours.GetWidth());
        ASSERT_EQ(c.picture.GetHeight(), ours.GetHeight());
        EXPECT_EQ(c.picture.GetAlpha() != nullptr, ours.GetAlpha() != nullptr);
        EXPECT_LE(WorstDistance(c.picture, ours), c.tolerance);
        if (!HaveTool("convert")) continue;
        const auto theirs = DecodeWithImageMagick(path);
        ASSERT_TRUE(theirs);
        // ImageMagick reads JPEG pages through libtiff's RGBA reader and keeps its multiplied colours.
        const bool multiplied = c.compression == 0 && c.picture.GetBpp() == 24 && c.picture.GetAlpha();
        EXPECT_LE(WorstDistance(c.picture, *theirs, multiplied), c.tolerance + multiplied);
    }
}

// Three pictures appended into one file: page tags, and each page read back by us and ImageMagick.
TEST(TiffEncode, AppendedPagesMakeOneFile)
{
    Picture pages[] = {Pattern(8, Colours(256)), Pattern(1, {{255, 255, 255, 0}, {0, 0, 0, 0}}), Pattern(4, Greys(16, 17))};
    pages[2].SetCodecOption(COMPRESSION_LZW);
    MemoryStream out;
    TiffCodec codec;
    for (int i = 0; i < 3; ++i) {
        codec.BorrowBuffers(pages[i]);
        ASSERT_TRUE(codec.Encode(out, i < 2)) << codec.GetLastError();
    }
    MemoryStream other;
    codec.BorrowBuffers(pages[0]);
    ASSERT_TRUE(codec.Encode(other, true));
    EXPECT_FALSE(codec.Encode(out, false)) << "a page for another stream while a file is open";
    EXPECT_STREQ("invalid file pointer", codec.GetLastError());

    TempDir dir;
    const std::string path = dir.file("pages.tif");
    WriteFile(path, Bytes(out.GetBuffer(), out.GetBuffer() + out.Size()));
    if (HaveTool("tiffinfo")) {
        const std::string info = CommandOutput("tiffinfo " + ShellQuote(path));
        EXPECT_EQ(3, Count(info, "Subfile Type: multi-page document (2 = 0x2)")) << info;
        for (const char* tag : {"Page Number: 0-0", "Page Number: 1-0", "Page Number: 2-0", "PageName: Page 1", "PageName: Page 3"})
            EXPECT_EQ(1, Count(info, tag)) << tag;
    }
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        Picture page(ImageFormat::Tif);
        page.SetFrame(i);
        ASSERT_TRUE(page.Load(path, ImageFormat::Tif)) << page.GetLastError();
        EXPECT_EQ(3, page.GetNumFrames());
        EXPECT_EQ(0, WorstDistance(pages[i], page));
        if (!HaveTool("convert")) continue;
        const auto theirs = DecodeWithImageMagick(path + "[" + std::to_string(i) + "]");
        ASSERT_TRUE(theirs);
        EXPECT_EQ(0, WorstDistance(pages[i], *theirs));
    }
}

// A write that falls short fails the save wherever it happens, including what is left in the
// stream's buffer when the file is closed; a failed page leaves the codec ready for a new file.
TEST(TiffEncode, FailedWritesAreReported)
{
    Picture picture = Pattern(8, Colours(256));
    ExpectShortWritesFail(picture, ImageFormat::Tif);

    TiffCodec codec;
    codec.BorrowBuffers(picture);
    ShortStream cut(100);
    EXPECT_FALSE(codec.Encode(cut, true));
    EXPECT_STRNE("", codec.GetLastError());
    MemoryStream fresh;
    EXPECT_TRUE(codec.Encode(fresh, false)) << codec.GetLastError();

    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "/dev/full not available";
    // The whole file fits the stdio buffer: only flushing it meets the full device.
    EXPECT_FALSE(picture.Encode(full, ImageFormat::Tif));
    EXPECT_STREQ("Error saving TIFF file", picture.GetLastError());
    std::fclose(full);
}

// All eight orientations, set with tiffset, on pages read row by row (G4, LZW RGB) and one read
// through libtiff's RGBA reader (2-bit grey), against ImageMagick's -auto-orient.
TEST(TiffDecode, EveryOrientationIsTurnedUpright)
{
    VISTREL_REQUIRE_CORPUS(corpus, "tiff/pillow");
    if (!HaveTool("tiffset") || !HaveTool("convert")) GTEST_SKIP() << "libtiff's tools or ImageMagick not installed";
    TempDir dir;
    for (const char* source : {"g4_orientation_1.tif", "hopper_lzw.tif", "hopper2.tif"}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(std::string(source) + " orientation " + std::to_string(orientation));
            const std::string path = dir.file("turned.tif");
            fs::copy_file(corpus / source, path, fs::copy_options::overwrite_existing);
            ASSERT_EQ(0, std::system(("tiffset -s 274 " + std::to_string(orientation) + " " + ShellQuote(path)).c_str()));
            Picture ours;
            ASSERT_TRUE(ours.Load(path, ImageFormat::Tif)) << ours.GetLastError();
            const auto theirs = DecodeWith("convert " + ShellQuote(path) + " -auto-orient -depth 8 pam:-");
            ASSERT_TRUE(theirs);
            ASSERT_EQ(theirs->width, ours.GetWidth());
            ASSERT_EQ(theirs->height, ours.GetHeight());
            EXPECT_EQ(0, WorstDistance(ours, *theirs));
        }
    }
}

namespace {

// A little-endian TIFF of one page: its strip right after the header, then the tags given
// (values that do not fit in an entry after them). A tag's values are SHORTs (type 3), LONGs (4),
// RATIONALs (5, numerator and denominator) or FLOATs (11, their bits). `stripOffset` is what the
// file says of where the strip is.
struct Tag {
    std::uint16_t tag;
    std::uint16_t type;
    std::vector<std::uint32_t> values;
};

Bytes BuildTiff(std::vector<Tag> tags, const Bytes& strip, std::uint32_t stripOffset = 8)
{
    const auto put = [](Bytes& to, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) to.push_back(std::uint8_t(value >> (8 * i)));
    };
    tags.push_back({TIFFTAG_STRIPOFFSETS, 4, {stripOffset}});
    tags.push_back({TIFFTAG_STRIPBYTECOUNTS, 4, {std::uint32_t(strip.size())}});
    std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.tag < b.tag; });
    const std::uint32_t ifdOffset = 8 + std::uint32_t(strip.size() + strip.size() % 2);
    const std::uint32_t extraOffset = ifdOffset + 2 + 12 * std::uint32_t(tags.size()) + 4;
    Bytes file = {'I', 'I', 42, 0};
    put(file, ifdOffset, 4);
    file.insert(file.end(), strip.begin(), strip.end());
    file.resize(ifdOffset);
    Bytes extra;
    put(file, std::uint32_t(tags.size()), 2);
    for (const Tag& t : tags) {
        put(file, t.tag, 2);
        put(file, t.type, 2);
        put(file, std::uint32_t(t.type == 5 ? t.values.size() / 2 : t.values.size()), 4);
        Bytes data;
        for (std::uint32_t v : t.values) put(data, v, t.type == 3 ? 2 : 4);
        if (data.size() > 4) {
            put(file, extraOffset + std::uint32_t(extra.size()), 4);
            extra.insert(extra.end(), data.begin(), data.end());
        } else {
            data.resize(4);
            file.insert(file.end(), data.begin(), data.end());
        }
    }
    put(file, 0, 4);
    file.insert(file.end(), extra.begin(), extra.end());
    return file;
}

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

std::vector<Tag> GreyTags(std::uint32_t width, std::uint16_t bits, std::uint16_t samples = 1)
{
    return {{TIFFTAG_IMAGEWIDTH, 4, {width}}, {TIFFTAG_IMAGELENGTH, 4, {1}}, {TIFFTAG_BITSPERSAMPLE, 3, std::vector<std::uint32_t>(samples, bits)},
            {TIFFTAG_SAMPLESPERPIXEL, 3, {samples}}, {TIFFTAG_PHOTOMETRIC, 3, {PHOTOMETRIC_MINISBLACK}}, {TIFFTAG_ROWSPERSTRIP, 4, {1}}};
}

std::vector<Tag> With(std::vector<Tag> tags, const std::vector<Tag>& more)
{
    tags.insert(tags.end(), more.begin(), more.end());
    return tags;
}

std::vector<Tag> PaletteTags(const std::vector<std::uint32_t>& map)
{
    return {{TIFFTAG_IMAGEWIDTH, 4, {2}}, {TIFFTAG_IMAGELENGTH, 4, {1}}, {TIFFTAG_BITSPERSAMPLE, 3, {4}},
            {TIFFTAG_PHOTOMETRIC, 3, {PHOTOMETRIC_PALETTE}}, {TIFFTAG_ROWSPERSTRIP, 4, {1}}, {TIFFTAG_COLORMAP, 3, map}};
}

// Colour maps of 16 entries per channel whose first entry is (red, green, blue).
std::vector<std::uint32_t> ColourMap(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    std::vector<std::uint32_t> map(48, 0);
    map[0] = red;
    map[16] = green;
    map[32] = blue;
    return map;
}

} // namespace

// Resolutions and positions that are no usable numbers are taken as absent, centimetres become
// inches; 16-bit grey and alpha keeps the high byte of every sample; colour maps are scaled only
// when a value needs it; pages without colour map or with tiles of no size, and strips beyond
// what 32-bit offsets reach, fail with a reason.
TEST(TiffDecode, TagsNoFileShouldCarryEndCleanly)
{
    const Bytes grey2 = {10, 20};
    struct Case {
        const char* name;
        Bytes file;
        std::function<void(const Picture&)> check;
    };
    Case cases[] = {
        {"huge resolution, NaN and negative positions",
         BuildTiff(With(GreyTags(2, 8), {{TIFFTAG_XRESOLUTION, 5, {4000000000u, 1}}, {TIFFTAG_YRESOLUTION, 11, {FloatBits(std::nanf(""))}},
                                        {TIFFTAG_XPOSITION, 11, {FloatBits(-5)}}, {TIFFTAG_YPOSITION, 11, {FloatBits(std::nanf(""))}}}),
                   grey2),
         [](const Picture& p) {
             EXPECT_EQ(96, p.GetDpiX());
             EXPECT_EQ(96, p.GetDpiY());
             EXPECT_EQ(0, p.GetOffsetX());
             EXPECT_EQ(0, p.GetOffsetY());
         }},
        {"centimetres",
         BuildTiff(With(GreyTags(2, 8), {{TIFFTAG_XRESOLUTION, 5, {100, 1}}, {TIFFTAG_YRESOLUTION, 5, {3779, 100}},
                                        {TIFFTAG_RESOLUTIONUNIT, 3, {RESUNIT_CENTIMETER}}, {TIFFTAG_XPOSITION, 5, {7, 2}}}),
                   grey2),
         [](const Picture& p) {
             EXPECT_EQ(254, p.GetDpiX());
             EXPECT_EQ(96, p.GetDpiY());
             EXPECT_EQ(3, p.GetOffsetX());
         }},
        {"16-bit grey and alpha",
         BuildTiff(With(GreyTags(3, 16, 2), {{TIFFTAG_EXTRASAMPLES, 3, {EXTRASAMPLE_UNASSALPHA}}}),
                   {0x34, 0x12, 0x00, 0xFF, 0x00, 0xAB, 0x00, 0x80, 0x01, 0x00, 0xFF, 0x00}),
         [](const Picture& p) {
             ASSERT_TRUE(p.GetAlpha());
             for (int x = 0; x < 3; ++x) {
                 EXPECT_EQ((std::array<int, 3>{0x12, 0xAB, 0x00}[x]), p.GetPixelIndex(x, 0));
                 EXPECT_EQ((std::array<int, 3>{0xFF, 0x80, 0x00}[x]), p.AlphaGet(x, 0));
             }
         }},
        {"8-bit colour map", BuildTiff(PaletteTags(ColourMap(1, 2, 3)), {0x01}),
         [](const Picture& p) { EXPECT_EQ((RgbQuad{3, 2, 1, 0}), p.GetPixelColor(0, 0)); }},
        {"16-bit colour map", BuildTiff(PaletteTags(ColourMap(65535, 257, 0)), {0x01}),
         [](const Picture& p) { EXPECT_EQ((RgbQuad{0, 1, 255, 0}), p.GetPixelColor(0, 0)); }},
        {"palette without colour map",
         BuildTiff({{TIFFTAG_IMAGEWIDTH, 4, {2}}, {TIFFTAG_IMAGELENGTH, 4, {1}}, {TIFFTAG_BITSPERSAMPLE, 3, {4}},
                    {TIFFTAG_PHOTOMETRIC, 3, {PHOTOMETRIC_PALETTE}}},
                   {0x01}),
         nullptr},
        {"tiles of no width",
         BuildTiff(With(GreyTags(2, 8), {{TIFFTAG_TILEWIDTH, 4, {0}}, {TIFFTAG_TILELENGTH, 4, {16}}}), grey2), nullptr},
        {"strip beyond 2 GiB", BuildTiff(GreyTags(2, 8), grey2, 0x80000008u), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TiffCodec codec;
        MemoryStream in(c.file.data(), c.file.size());
        const bool decoded = codec.Decode(in);
        if (!c.check) {
            EXPECT_FALSE(decoded);
            EXPECT_STRNE("", codec.GetLastError());
            continue;
        }
        ASSERT_TRUE(decoded) << codec.GetLastError();
        c.check(codec);
    }
}
