// PCX and TGA: the corpus against netpbm and ImageMagick, what we write read back by
// ImageMagick, refused saves, damaged headers.
#include "EncoderFailures.h"
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "PcxCodec.h"
#include "TestSupport.h"
#include "TgaCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::vector<fs::path> GoodFiles(const fs::path& root)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().generic_string();
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (entry.is_regular_file() && (ext == ".pcx" || ext == ".tga") && path.find("/bad/") == std::string::npos)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool DecodeBytes(ImageCodec& codec, const std::vector<unsigned char>& bytes)
{
    MemoryStream in(bytes.data(), bytes.size());
    return codec.Decode(in);
}

int Luminance(std::uint32_t rgb)
{
    return (306 * int(rgb & 0xFF) + 601 * int((rgb >> 8) & 0xFF) + 117 * int(rgb >> 16 & 0xFF)) >> 10;
}

// Compares every pixel; 1-bit pictures are black and white, so there only the order of
// brightness has to agree with the peer's two colours.
void ExpectSamePixels(const Picture& ours, const RawImage& peer, int tolerance)
{
    ASSERT_EQ(ours.GetWidth(), peer.width);
    ASSERT_EQ(ours.GetHeight(), peer.height);
    int brightest = 0;
    for (int y = 0; y < peer.height; ++y)
        for (int x = 0; x < peer.width; ++x) brightest = std::max(brightest, Luminance(peer.Rgba(x, y)));
    int wrong = 0;
    for (int y = 0; y < peer.height && wrong < 5; ++y) {
        for (int x = 0; x < peer.width && wrong < 5; ++x) {
            const std::uint32_t want = peer.Rgba(x, y) & 0xFFFFFF;
            const std::uint32_t got = PictureRgb(ours, x, y);
            const bool same = ours.GetBpp() == 1 ? (got == 0xFFFFFF) == (Luminance(want) == brightest)
                                                  : ChannelDistance(got, want) <= tolerance;
            if (!same) {
                ++wrong;
                ADD_FAILURE() << "pixel " << x << "," << y << ": ours " << std::hex << got << ", peer " << want;
            }
        }
    }
}

} // namespace

// Files we refuse, with the reason: every other corpus file must decode whole and match.
TEST(PcxCorpus, PixelsMatchPcxtoppm)
{
    VISTREL_REQUIRE_CORPUS(corpus, "pcx");
    if (!HaveTool("pcxtoppm")) GTEST_SKIP() << "netpbm not installed";
    const std::map<std::string, std::string> refused = {
        {"1plane1bppUncompressed.pcx", "PCX file has unknown encoding scheme"},
        {"1plane8bppUncompressed.pcx", "PCX file has unknown encoding scheme"},
        {"1plane24bppCompressed.pcx", "PCX file has unsupported bits per pixel"},
        // 88 pixels of 8 bits in 12 bytes per line.
        {"01r_00.pcx", "corrupted PCX"},
    };
    int compared = 0;
    for (const fs::path& file : GoodFiles(corpus)) {
        SCOPED_TRACE(file.string());
        PcxCodec codec;
        const bool ok = DecodeBytes(codec, ReadFile(file));
        const auto reason = refused.find(file.filename().string());
        if (reason != refused.end()) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(codec.GetLastError(), reason->second.c_str());
            continue;
        }
        ASSERT_TRUE(ok) << codec.GetLastError();
        EXPECT_FALSE(codec.IsPartial());
        const auto peer = DecodeWith("pcxtoppm " + ShellQuote(file.string()));
        ASSERT_TRUE(peer);
        ExpectSamePixels(codec, *peer, 0);
        ++compared;
    }
    EXPECT_EQ(compared, 21);
}

// Bit planes of 1 bit become 4-bit pictures that keep the header's colours.
TEST(PcxCorpus, BitPlanesKeepTheirColours)
{
    VISTREL_REQUIRE_CORPUS(corpus, "pcx");
    for (const char* name : {"commons-imaging/3plane1bppCompressed.pcx", "metadata-extractor/lena6.pcx",
                             "metadata-extractor/lena4.pcx"}) {
        PcxCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, ReadFile(corpus / name))) << name;
        EXPECT_EQ(codec.GetBpp(), 4u) << name;
    }
}

// tgatoppm leaves right-to-left files as stored and reads grey with alpha as 5-5-5 colour;
// ImageMagick turns the former and fails on a true-colour file with a colour map, so each file
// is checked against the peer that reads it.
TEST(TgaCorpus, PixelsMatchTgatoppmAndImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "tga");
    if (!HaveTool("tgatoppm") || !HaveTool("convert")) GTEST_SKIP() << "netpbm or ImageMagick not installed";
    int compared = 0;
    for (const fs::path& file : GoodFiles(corpus)) {
        SCOPED_TRACE(file.string());
        const std::vector<unsigned char> bytes = ReadFile(file);
        TgaCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, bytes)) << codec.GetLastError();
        EXPECT_FALSE(codec.IsPartial());
        const int depth = bytes[16];
        const int kind = bytes[2] & 7;
        const std::string quoted = ShellQuote(file.string());
        if (kind == 3 && depth == 16) {
            // GIMP's grey + alpha files: the grey is the plain grey file of the same picture.
            const fs::path grey = file.parent_path() / "200x32_l_bl_raw.tga";
            if (file.filename().string().rfind("200x32_la", 0) != 0) continue;
            const auto peer = DecodeWith("tgatoppm " + ShellQuote(grey.string()) + " | pamdepth 255");
            ASSERT_TRUE(peer);
            ExpectSamePixels(codec, *peer, 0);
            ASSERT_TRUE(codec.GetAlpha());
            ++compared;
            continue;
        }
        const bool rightToLeft = bytes[17] & 0x10;
        const auto peer = rightToLeft ? DecodeWith("convert " + quoted + " -auto-orient -depth 8 ppm:-")
                                      : DecodeWith("tgatoppm " + quoted + " | pamdepth 255");
        ASSERT_TRUE(peer);
        ExpectSamePixels(codec, *peer, depth == 15 || depth == 16 || bytes[7] == 16 ? 7 : 0);
        if (depth == 32) {
            const auto withAlpha = DecodeWith("convert " + quoted + " -auto-orient -alpha on -depth 8 pam:-");
            ASSERT_TRUE(withAlpha);
            ASSERT_TRUE(codec.GetAlpha());
            for (int y = 0; y < withAlpha->height; ++y)
                for (int x = 0; x < withAlpha->width; ++x)
                    ASSERT_EQ(codec.AlphaGet(x, codec.GetHeight() - 1 - y), withAlpha->Rgba(x, y) >> 24) << x << "," << y;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 41);
}

// Files of the formats tried after TGA are not taken for TGA.
TEST(TgaCorpus, OtherFormatsAreNotTakenForTga)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    for (const char* folder : {"pcx", "wbmp", "wmf", "emf"}) {
        for (const auto& entry : fs::recursive_directory_iterator(corpus / folder)) {
            if (!entry.is_regular_file()) continue;
            TgaCodec codec;
            EXPECT_FALSE(DecodeBytes(codec, ReadFile(entry.path()))) << entry.path();
        }
    }
}

namespace {

// A picture of the given depth whose pixels differ along both axes.
Picture Pattern(std::int32_t width, std::int32_t height, std::uint32_t bits, bool withAlpha = false)
{
    Picture picture(width, height, bits);
    if (bits <= 8) {
        const std::uint32_t colours = picture.GetNumColors();
        for (std::uint32_t i = 0; i < colours; ++i)
            picture.SetPaletteEntry(i, std::uint8_t(i * 37), std::uint8_t(255 - i * 11), std::uint8_t(i * 101));
    }
    if (withAlpha) picture.AlphaCreate();
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            if (bits <= 8) {
                picture.SetPixelIndex(x, y, std::uint8_t((x * 7 + y * 3) % picture.GetNumColors()));
            } else {
                picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 5), std::uint8_t(y * 9), std::uint8_t(x ^ y), 0});
            }
            if (withAlpha) picture.AlphaSet(x, y, std::uint8_t(x * 11 + y));
        }
    }
    return picture;
}

std::vector<std::uint8_t> Block(const Picture& picture)
{
    return {picture.GetDib(), picture.GetDib() + picture.GetSize()};
}

} // namespace

// Each depth we write, read back by ImageMagick with the same pixels (and alpha), and by us.
TEST(PcxTgaWriting, ImageMagickReadsWhatWeWrite)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    struct Case {
        ImageFormat format;
        std::uint32_t bits;
        bool alpha;
    };
    const Case cases[] = {
        {ImageFormat::Pcx, 1, false}, {ImageFormat::Pcx, 4, false}, {ImageFormat::Pcx, 8, false},
        {ImageFormat::Pcx, 24, false}, {ImageFormat::Pcx, 24, true}, {ImageFormat::Tga, 8, false},
        {ImageFormat::Tga, 24, false}, {ImageFormat::Tga, 24, true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        for (const std::int32_t width : {1, 13, 64}) {
            SCOPED_TRACE(std::string(c.format == ImageFormat::Pcx ? "pcx " : "tga ") + std::to_string(c.bits) +
                         (c.alpha ? " alpha" : "") + " width " + std::to_string(width));
            Picture picture = Pattern(width, 5, c.bits, c.alpha);
            if (c.bits == 1) {
                // White first: the file's bits go out inverted.
                picture.SetPaletteEntry(0, 255, 255, 255);
                picture.SetPaletteEntry(1, 0, 0, 0);
            }
            const std::vector<std::uint8_t> before = Block(picture);
            const std::string path = dir.file("out");
            ASSERT_TRUE(picture.Save(path, c.format)) << picture.GetLastError();
            EXPECT_EQ(Block(picture), before) << "encoding changed the picture";

            const std::vector<unsigned char> bytes = ReadFile(path);
            if (c.format == ImageFormat::Pcx) {
                const unsigned bytesPerLine = bytes[66] | bytes[67] << 8;
                EXPECT_EQ(bytesPerLine % 2, 0u);
                EXPECT_GE(bytesPerLine * 8, unsigned(width) * (c.bits >= 8 ? 8 : 1));
            }
            // ImageMagick reads the bits of 1-bit PCX files the other way round from netpbm and
            // from the header palette.
            const std::string typed = (c.format == ImageFormat::Pcx ? "pcx:" : "tga:") + path;
            const auto peer = c.bits == 1 ? DecodeWith("pcxtoppm " + ShellQuote(path))
                                          : DecodeWith("convert " + ShellQuote(typed) + " -auto-orient -alpha on -depth 8 pam:-");
            ASSERT_TRUE(peer);
            Picture again;
            ASSERT_TRUE(again.Load(path, c.format)) << again.GetLastError();
            for (int y = 0; y < 5; ++y) {
                for (int x = 0; x < width; ++x) {
                    const int row = 4 - y;
                    ASSERT_EQ(PictureRgb(picture, x, y), peer->Rgba(x, y) & 0xFFFFFF) << x << "," << y;
                    ASSERT_EQ(PictureRgb(again, x, y), PictureRgb(picture, x, y)) << x << "," << y;
                    if (c.alpha) {
                        ASSERT_EQ(peer->Rgba(x, y) >> 24, picture.AlphaGet(x, row)) << x << "," << y;
                        ASSERT_EQ(again.AlphaGet(x, row), picture.AlphaGet(x, row));
                    }
                }
            }
        }
    }
}

// A failed write fails the encode, wherever it happens; a refused save leaves the file there.
TEST(PcxTgaWriting, FailuresAreReportedAndLeaveTheTargetAlone)
{
    for (const ImageFormat format : {ImageFormat::Pcx, ImageFormat::Tga}) {
        Picture picture = Pattern(300, 300, 8);
        ExpectShortWritesFail(picture, format);
    }
    ExpectRefusalsKeepTheTarget({
        {ImageFormat::Tga, 8, 8, 1, "Bit depth must be 8 or 24"},
        {ImageFormat::Tga, 8, 8, 4, "Bit depth must be 8 or 24"},
        {ImageFormat::Tga, 65536, 1, 24, "Image too large for TGA"},
        {ImageFormat::Tga, 1, 65536, 8, "Image too large for TGA"},
        {ImageFormat::Pcx, 65536, 1, 1, "Image too large for PCX"},
        {ImageFormat::Pcx, 1, 65536, 24, "Image too large for PCX"},
        // An odd width of 65535 needs 65536 bytes per line.
        {ImageFormat::Pcx, 65535, 1, 8, "Image too large for PCX"},
    });
}

namespace {

std::vector<unsigned char> PcxHeader(int bits, int planes, int xMax, int bytesPerLine, int xMin = 0)
{
    std::vector<unsigned char> file(128, 0);
    file[0] = 10;
    file[1] = 5;
    file[2] = 1;
    file[3] = std::uint8_t(bits);
    file[4] = std::uint8_t(xMin);
    file[8] = std::uint8_t(xMax);
    file[9] = std::uint8_t(xMax >> 8);
    file[10] = 1;
    file[65] = std::uint8_t(planes);
    file[66] = std::uint8_t(bytesPerLine);
    file[67] = std::uint8_t(bytesPerLine >> 8);
    file.resize(128 + 4096, 0x00);
    return file;
}

} // namespace

TEST(PcxDecoding, HeadersThatCannotDescribeAnImageAreRefused)
{
    struct Case {
        std::vector<unsigned char> file;
        const char* message;
    };
    const Case cases[] = {
        {PcxHeader(8, 1, 9, 10, 20), "corrupted PCX"},
        {PcxHeader(8, 1, 9, 9), "corrupted PCX"},
        {PcxHeader(1, 4, 17, 2), "corrupted PCX"},
        {PcxHeader(1, 0, 9, 2), "corrupted PCX"},
        {PcxHeader(3, 1, 9, 10), "PCX file has unsupported bits per pixel"},
        {PcxHeader(24, 1, 9, 30), "PCX file has unsupported bits per pixel"},
        {PcxHeader(2, 2, 9, 4), "Can't handle packed pixels with more than 1 plane."},
        {PcxHeader(4, 3, 9, 6), "Can't handle packed pixels with more than 1 plane."},
        {PcxHeader(8, 5, 9, 10), "Can't handle image with more than 4 planes"},
        {PcxHeader(8, 2, 9, 10), "Can't handle more than 1 bit per pixel"},
    };
    for (const Case& c : cases) {
        PcxCodec codec;
        EXPECT_FALSE(DecodeBytes(codec, c.file)) << c.message;
        EXPECT_STREQ(codec.GetLastError(), c.message);
    }
    // The largest lines are cheap: 65535 x 2 pixels of 4 planes, with data for one row only.
    std::vector<unsigned char> wide = PcxHeader(8, 4, 65534, 65535);
    PcxCodec codec;
    EXPECT_TRUE(DecodeBytes(codec, wide));
    EXPECT_TRUE(codec.IsPartial());
}

// A run may cross the end of a row but not the end of the image.
TEST(PcxDecoding, RunsCrossRowsButNotTheEnd)
{
    std::vector<unsigned char> file = PcxHeader(8, 1, 1, 2);
    file.resize(128);
    file.insert(file.end(), {0xC3, 7, 9});
    std::vector<unsigned char> palette(769, 0);
    palette[0] = 12;
    file.insert(file.end(), palette.begin(), palette.end());
    PcxCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, file)) << codec.GetLastError();
    EXPECT_EQ(codec.GetPixelIndex(0, 0), 7);
    EXPECT_EQ(codec.GetPixelIndex(1, 0), 9);
    EXPECT_EQ(codec.GetPixelIndex(1, 1), 7);

    file[128] = 0xC5;
    PcxCodec over;
    EXPECT_FALSE(DecodeBytes(over, file));
    EXPECT_STREQ(over.GetLastError(), "repeat count spans end of image");
}

// Runs whose count byte ends one block of read-ahead and whose value starts the next.
TEST(PcxDecoding, RunsSplitAcrossReadBlocks)
{
    const int width = 1000;
    const int height = 200;
    std::vector<unsigned char> file = PcxHeader(8, 1, width - 1, width);
    file.resize(128);
    file[10] = std::uint8_t(height - 1);
    auto value = [](int i) { return std::uint8_t(i * 7); };
    // One literal first puts every later count byte at an odd offset.
    file.push_back(value(0) & 0x3F);
    for (int i = 1; i < width * height; ++i) file.insert(file.end(), {0xC1, value(i)});
    file.push_back(12);
    file.resize(file.size() + 768, 0);
    PcxCodec codec;
    ASSERT_TRUE(DecodeBytes(codec, file)) << codec.GetLastError();
    for (int i = 1; i < width * height; ++i)
        ASSERT_EQ(codec.GetPixelIndex(i % width, height - 1 - i / width), value(i)) << i;
}

namespace {

std::vector<unsigned char> TgaFile(int type, int depth, int descriptor, std::vector<unsigned char> data,
                                   int mapType = 0, int mapFirst = 0, int mapLength = 0, int mapBits = 0)
{
    std::vector<unsigned char> file = {0, std::uint8_t(mapType), std::uint8_t(type), std::uint8_t(mapFirst), 0,
                                       std::uint8_t(mapLength), 0, std::uint8_t(mapBits), 0, 0, 0, 0, 2, 0, 2, 0,
                                       std::uint8_t(depth), std::uint8_t(descriptor)};
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

} // namespace

TEST(TgaDecoding, HeaderFieldsMustFitTogether)
{
    struct Case {
        std::vector<unsigned char> file;
        const char* message;
    };
    const std::vector<unsigned char> data(64, 1);
    const Case cases[] = {
        {TgaFile(4, 8, 0, data), "Unknown TGA image type"},
        {TgaFile(2, 8, 0, data), "bad TGA header"},
        {TgaFile(3, 24, 0, data), "bad TGA header"},
        {TgaFile(1, 16, 0, data, 1, 0, 2, 24), "bad TGA header"},
        {TgaFile(1, 8, 0, data), "bad TGA header"},
        {TgaFile(2, 24, 0, data, 2, 0, 2, 24), "bad TGA header"},
        {TgaFile(1, 8, 0, data, 1, 0, 2, 12), "bad TGA header"},
        {TgaFile(2, 24, 0, data, 0, 0, 0, 7), "bad TGA header"},
        {TgaFile(1, 8, 0, {}, 1, 0, 2, 24), "corrupted TGA"},
    };
    for (const Case& c : cases) {
        TgaCodec codec;
        EXPECT_FALSE(DecodeBytes(codec, c.file)) << c.message;
        EXPECT_STREQ(codec.GetLastError(), c.message);
    }
}

// Colour maps of 16 and 32 bits from their first index; grey with alpha; a top-down RLE image
// whose packet runs on into the next row; a right-to-left image.
TEST(TgaDecoding, MapsGreyAlphaAndPacketsAcrossRows)
{
    TgaCodec mapped;
    ASSERT_TRUE(DecodeBytes(mapped, TgaFile(1, 8, 0, {0xFF, 0x7F, 0x1F, 0x00, 5, 6, 6, 5}, 1, 5, 2, 16)));
    EXPECT_EQ(mapped.GetPaletteColor(5), (RgbQuad{248, 248, 248, 0}));
    EXPECT_EQ(mapped.GetPaletteColor(6), (RgbQuad{248, 0, 0, 0}));
    EXPECT_EQ(mapped.GetPixelIndex(1, 0), 6);

    TgaCodec wide;
    ASSERT_TRUE(DecodeBytes(wide, TgaFile(1, 8, 0, {1, 2, 3, 4, 0, 0, 0, 0}, 1, 0, 1, 32)));
    EXPECT_EQ(wide.GetPaletteColor(0), (RgbQuad{1, 2, 3, 0}));

    TgaCodec grey;
    ASSERT_TRUE(DecodeBytes(grey, TgaFile(3, 16, 8, {10, 200, 20, 201, 30, 202, 40, 203})));
    EXPECT_EQ(grey.GetPixelColor(1, 0), (RgbQuad{20, 20, 20, 201}));
    EXPECT_EQ(grey.AlphaGet(0, 1), 202);

    TgaCodec packets;
    ASSERT_TRUE(DecodeBytes(packets, TgaFile(11, 8, 0x20, {0x82, 50, 0x00, 60})));
    EXPECT_EQ(packets.GetPixelIndex(0, 1), 50);
    EXPECT_EQ(packets.GetPixelIndex(1, 1), 50);
    EXPECT_EQ(packets.GetPixelIndex(0, 0), 50);
    EXPECT_EQ(packets.GetPixelIndex(1, 0), 60);
    EXPECT_FALSE(packets.IsPartial());

    TgaCodec mirrored;
    ASSERT_TRUE(DecodeBytes(mirrored, TgaFile(3, 8, 0x10, {1, 2, 3, 4})));
    EXPECT_EQ(mirrored.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(mirrored.GetPixelIndex(1, 1), 3);

    TgaCodec cut;
    ASSERT_TRUE(DecodeBytes(cut, TgaFile(3, 8, 0, {1, 2, 3})));
    EXPECT_TRUE(cut.IsPartial());
    EXPECT_EQ(cut.GetPixelIndex(0, 1), 3);
    EXPECT_EQ(cut.GetPixelIndex(1, 1), 0);
}
