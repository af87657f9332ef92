// WBMP and ICO: the corpus and netpbm's files against wbmptopbm and ImageMagick, what we write
// read back by them, refused and failed saves, damaged headers.
#include "EncoderFailures.h"
#include "ExternalDecoder.h"
#include "IcoCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"
#include "WbmpCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

using Bytes = std::vector<unsigned char>;

bool DecodeBytes(Picture& picture, const Bytes& bytes, ImageFormat format)
{
    MemoryStream in(bytes.data(), bytes.size());
    return picture.Decode(in, format);
}

std::vector<fs::path> GoodFiles(const fs::path& root)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().generic_string().find("/bad/") == std::string::npos)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool PatternBit(int x, int y)
{
    return (x * 7 + y * 3) % 5 < 2;
}

// A picture of the given depth whose pixels differ along both axes.
Picture Pattern(std::int32_t width, std::int32_t height, std::uint32_t bits, bool withAlpha = false)
{
    Picture picture(width, height, bits);
    for (std::uint32_t i = 0; i < picture.GetNumColors(); ++i)
        picture.SetPaletteEntry(i, std::uint8_t(i * 37), std::uint8_t(255 - i * 11), std::uint8_t(i * 101));
    if (withAlpha) picture.AlphaCreate();
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            if (bits == 1) picture.SetPixelIndex(x, y, PatternBit(x, y));
            else if (bits <= 8) picture.SetPixelIndex(x, y, std::uint8_t((x * 7 + y * 3) % picture.GetNumColors()));
            else picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 5), std::uint8_t(y * 9), std::uint8_t(x ^ y), 0});
            if (withAlpha) picture.AlphaSet(x, y, std::uint8_t(x * 11 + y));
        }
    }
    return picture;
}

Bytes Block(const Picture& picture)
{
    return {picture.GetDib(), picture.GetDib() + picture.GetSize()};
}

// The pattern as a raw PBM (1 = black), for netpbm to turn into its own WBMP.
void WritePbm(const fs::path& path, int width, int height)
{
    const std::string head = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    Bytes bytes(head.begin(), head.end());
    const int rowBytes = (width + 7) / 8;
    for (int y = 0; y < height; ++y) {
        Bytes row(std::size_t(rowBytes), 0);
        for (int x = 0; x < width; ++x)
            if (PatternBit(x, y)) row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    WriteFile(path, bytes);
}

// Every pixel's colour, and alpha where the peer has it; colours under full transparency are
// not compared.
void ExpectSamePixels(const Picture& ours, const RawImage& peer, bool compareAlpha)
{
    ASSERT_EQ(ours.GetWidth(), peer.width);
    ASSERT_EQ(ours.GetHeight(), peer.height);
    int wrong = 0;
    for (int y = 0; y < peer.height && wrong < 5; ++y) {
        for (int x = 0; x < peer.width && wrong < 5; ++x) {
            const std::uint32_t want = peer.Rgba(x, y);
            const int row = ours.GetHeight() - 1 - y;
            const std::uint32_t ourAlpha = ours.GetAlpha() ? ours.AlphaGet(x, row) : 255;
            const bool sameAlpha = !compareAlpha || ourAlpha == want >> 24;
            const bool sameColour = (compareAlpha && ourAlpha == 0) || PictureRgb(ours, x, y) == (want & 0xFFFFFF);
            if (!sameAlpha || !sameColour) {
                ++wrong;
                ADD_FAILURE() << "pixel " << x << "," << y << ": ours " << std::hex << PictureRgb(ours, x, y) << "/"
                              << ourAlpha << ", peer " << want;
            }
        }
    }
}

} // namespace

// The corpus' files and netpbm's own, sides of 128 and more included (they take two bytes).
TEST(WbmpReading, CorpusAndNetpbmFilesMatchWbmptopbm)
{
    VISTREL_REQUIRE_CORPUS(corpus, "wbmp");
    if (!HaveTool("wbmptopbm") || !HaveTool("pbmtowbmp")) GTEST_SKIP() << "netpbm not installed";
    TempDir dir;
    std::vector<fs::path> files = GoodFiles(corpus);
    for (const auto& [width, height] : {std::pair{1, 1}, {100, 7}, {203, 130}, {128, 300}}) {
        const std::string name = std::to_string(width) + "x" + std::to_string(height);
        WritePbm(dir.path() / (name + ".pbm"), width, height);
        const std::string wbmp = dir.file(name + ".wbmp");
        const std::string command = "pbmtowbmp " + dir.file(name + ".pbm").append(" > ").append(wbmp);
        ASSERT_EQ(std::system(command.c_str()), 0);
        files.push_back(wbmp);
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        Picture picture;
        ASSERT_TRUE(DecodeBytes(picture, ReadFile(file), ImageFormat::Wbmp)) << picture.GetLastError();
        EXPECT_FALSE(picture.IsPartial());
        const auto peer = DecodeWith("wbmptopbm " + ShellQuote(file.string()) + " | pamdepth 255");
        ASSERT_TRUE(peer);
        ExpectSamePixels(picture, *peer, false);
    }
    EXPECT_EQ(files.size(), 5u);
}

// Widths on both sides of 128 and 255; a picture whose first colour is white goes out inverted
// and keeps its own bits.
TEST(WbmpWriting, NetpbmAndImageMagickReadWhatWeWrite)
{
    if (!HaveTool("wbmptopbm") || !HaveTool("convert")) GTEST_SKIP() << "netpbm or ImageMagick not installed";
    TempDir dir;
    for (const std::int32_t width : {100, 203, 300}) {
        for (const bool whiteFirst : {false, true}) {
            SCOPED_TRACE("width " + std::to_string(width) + (whiteFirst ? ", white first" : ""));
            Picture picture = Pattern(width, 130, 1);
            picture.SetPaletteEntry(0, whiteFirst ? 255 : 0, whiteFirst ? 255 : 0, whiteFirst ? 255 : 0);
            picture.SetPaletteEntry(1, whiteFirst ? 0 : 255, whiteFirst ? 0 : 255, whiteFirst ? 0 : 255);
            const Bytes before = Block(picture);
            const std::string path = dir.file("out.wbmp");
            ASSERT_TRUE(picture.Save(path, ImageFormat::Wbmp)) << picture.GetLastError();
            EXPECT_EQ(Block(picture), before) << "encoding changed the picture";
            for (const std::string& command : {"wbmptopbm " + path + " | pamdepth 255",
                                              "convert wbmp:" + path + " -depth 8 ppm:-"}) {
                const auto peer = DecodeWith(command);
                ASSERT_TRUE(peer) << command;
                ExpectSamePixels(picture, *peer, false);
            }
            Picture again;
            ASSERT_TRUE(again.Load(path, ImageFormat::Wbmp));
            for (int y = 0; y < 130; ++y)
                for (int x = 0; x < width; ++x) ASSERT_EQ(PictureRgb(again, x, y), PictureRgb(picture, x, y));
        }
    }
}

TEST(WbmpReading, DamagedHeadersAndCutRows)
{
    struct Case {
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {{0, 0, 5}, "Not a WBMP"},
        {{0, 0, 0x81}, "Not a WBMP"},
        {{1, 0, 5, 5, 0}, "Unsupported WBMP type"},
        {{0, 0, 0, 5, 0}, "Corrupted WBMP"},
        {{0, 0, 0x81, 0x80, 0x80, 0x80, 0x80, 0x01, 5, 0}, "Corrupted WBMP"},
        {{0, 0, 0x88, 0x80, 0x80, 0x80, 0x00, 1, 0}, "Corrupted WBMP"},
        {{0, 0, 8, 2}, "Corrupted WBMP"},
        {{0, 0, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0x7F, 0}, "WBMP Create failed"},
    };
    for (const Case& c : cases) {
        WbmpCodec codec;
        MemoryStream in(c.file.data(), c.file.size());
        EXPECT_FALSE(codec.Decode(in)) << c.message;
        EXPECT_STREQ(codec.GetLastError(), c.message);
    }
    const Bytes cut = {0, 0, 8, 2, 0xF0};
    Picture picture;
    ASSERT_TRUE(DecodeBytes(picture, cut, ImageFormat::Wbmp));
    EXPECT_TRUE(picture.IsPartial());
    EXPECT_EQ(PictureRgb(picture, 3, 0), 0xFFFFFFu);
    EXPECT_EQ(PictureRgb(picture, 4, 0), 0u);
    EXPECT_EQ(PictureRgb(picture, 0, 1), 0u);
}

namespace {

std::uint32_t Get32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

// The colour rows of an icon's first image, a 24-bit DIB, as a BMP file.
void WriteAsBmp(const Bytes& icon, const fs::path& path)
{
    Bytes file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    file.insert(file.end(), icon.begin() + Get32(icon, 18), icon.end());
    Put32(file, 2, std::uint32_t(file.size()));
    Put32(file, 10, 14 + Get32(file, 14));
    Put32(file, 22, Get32(file, 22) / 2);
    WriteFile(path, file);
}

} // namespace

// Every image of every icon in the corpus, chosen by frame number through the dispatcher.
// ImageMagick reads no OS/2 icons. It takes a width from the directory's byte (44 of 300) and
// misplaces the rows behind a 124-byte header: those colours are checked against its BMP
// reader. It ignores the mask of 32-bit images, where ours hides pixels the alpha would show.
TEST(IcoReading, EveryImageMatchesImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "ico");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    TempDir dir;
    int compared = 0;
    for (const fs::path& file : GoodFiles(corpus)) {
        SCOPED_TRACE(file.string());
        const Bytes bytes = ReadFile(file);
        const std::string name = file.filename().string();
        Picture first;
        const bool ok = DecodeBytes(first, bytes, ImageFormat::Ico);
        if (file.generic_string().find("/os2/") != std::string::npos) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(first.GetLastError(), "Not an icon");
            continue;
        }
        ASSERT_TRUE(ok) << first.GetLastError();
        EXPECT_EQ(first.IsPartial(), name == "truncated_mask_32bpp.ico");
        for (int frame = 0; frame < first.GetNumFrames(); ++frame) {
            SCOPED_TRACE("image " + std::to_string(frame));
            Picture picture;
            picture.SetFrame(frame);
            ASSERT_TRUE(DecodeBytes(picture, bytes, ImageFormat::Ico)) << picture.GetLastError();
            EXPECT_EQ(picture.GetNumFrames(), first.GetNumFrames());
            std::string source = file.string() + "[" + std::to_string(frame) + "]";
            const bool asBmp = name == "bmp_v5_with_icc.ico" || name.starts_with("Oregon");
            if (asBmp) {
                source = dir.file("image.bmp");
                WriteAsBmp(bytes, source);
            }
            const auto peer = DecodeWithImageMagick(source);
            ASSERT_TRUE(peer);
            ExpectSamePixels(picture, *peer, !asBmp && name != "bmp-32bpp-conflicting-and-mask.ico");
            ++compared;
        }
    }
    EXPECT_EQ(compared, 54);
}

// Each depth we write read back by ImageMagick and by us with the same colours and
// transparency: alpha of 24-bit pictures as 32-bit icons, a transparent index whose colour the
// palette also holds elsewhere, the largest side.
TEST(IcoWriting, ImageMagickReadsWhatWeWrite)
{
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    struct Case {
        std::uint32_t bits;
        bool alpha;
        std::int32_t side;
    };
    TempDir dir;
    for (const Case& c : {Case{1, false, 13}, Case{4, false, 13}, Case{8, false, 13}, Case{24, false, 13},
                          Case{24, true, 13}, Case{24, true, 256}}) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.alpha ? " alpha " : " ") + std::to_string(c.side));
        Picture picture = Pattern(c.side, c.side / 2 + 1, c.bits, c.alpha);
        if (c.bits == 8) {
            picture.SetPaletteColor(3, picture.GetPaletteColor(4));
            picture.SetTransparentIndex(4);
        }
        const Bytes before = Block(picture);
        const std::string path = dir.file("out.ico");
        ASSERT_TRUE(picture.Save(path, ImageFormat::Ico)) << picture.GetLastError();
        EXPECT_EQ(Block(picture), before) << "encoding changed the picture";

        Picture ours;
        ASSERT_TRUE(ours.Load(path, ImageFormat::Ico)) << ours.GetLastError();
        const auto peer = DecodeWithImageMagick(path);
        ASSERT_TRUE(peer);
        for (const Picture* read : {static_cast<const Picture*>(&ours), static_cast<const Picture*>(nullptr)}) {
            for (int y = 0; y < picture.GetHeight(); ++y) {
                for (int x = 0; x < picture.GetWidth(); ++x) {
                    const int row = picture.GetHeight() - 1 - y;
                    const bool hidden = c.alpha ? picture.AlphaGet(x, row) == 0
                                                : c.bits == 8 && picture.GetPixelIndex(x, row) == 4;
                    const std::uint32_t wantAlpha = c.alpha ? picture.AlphaGet(x, row) : hidden ? 0 : 255;
                    const std::uint32_t gotAlpha = read ? (read->GetAlpha() ? read->AlphaGet(x, row) : 255) : peer->Rgba(x, y) >> 24;
                    const std::uint32_t gotRgb = read ? PictureRgb(*read, x, y) : peer->Rgba(x, y) & 0xFFFFFF;
                    ASSERT_EQ(gotAlpha, wantAlpha) << x << "," << y << (read ? " ours" : " ImageMagick");
                    if (!hidden) {
                        ASSERT_EQ(gotRgb, PictureRgb(picture, x, y)) << x << "," << y;
                    }
                }
            }
        }
    }
}

// A failed write fails the encode wherever it happens; a refused save leaves the file there.
TEST(WbmpIcoWriting, FailuresAreReportedAndLeaveTheTargetAlone)
{
    for (Picture& picture : std::vector{Pattern(300, 300, 1), Pattern(200, 200, 8), Pattern(200, 200, 24, true)})
        ExpectShortWritesFail(picture, picture.GetBpp() == 1 ? ImageFormat::Wbmp : ImageFormat::Ico);
    ExpectRefusalsKeepTheTarget({
        {ImageFormat::Wbmp, 8, 8, 4, "Can't save this image as WBMP"},
        {ImageFormat::Wbmp, 8, 8, 24, "Can't save this image as WBMP"},
        {ImageFormat::Ico, 300, 300, 24, "Can't save this image as icon"},
        {ImageFormat::Ico, 16, 257, 8, "Can't save this image as icon"},
    });
}

namespace {

// An icon of one 2 x 2 8-bit image, with the mask's bottom-left bit set.
Bytes SmallIcon()
{
    Picture picture = Pattern(2, 2, 8);
    picture.SetTransparentIndex(picture.GetPixelIndex(0, 0));
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, ImageFormat::Ico));
    return {out.GetBuffer(), out.GetBuffer() + out.Size()};
}

} // namespace

TEST(IcoReading, DirectoryAndImageHeadersAreChecked)
{
    struct Case {
        std::size_t at;
        std::vector<unsigned char> bytes;
        const char* message;
    };
    const Case cases[] = {
        {2, {2}, nullptr},
        {0, {1}, "Not an icon"},
        {2, {3}, "Not an icon"},
        {4, {0}, "Icon file without images"},
        {4, {2}, "Corrupted icon directory"},
        {18, {0xFF, 0xFF}, "Corrupted icon directory"},
        {18, {6}, "Corrupted icon directory"},
        {14, {0xFF, 0xFF}, "Corrupted icon directory"},
        {22, {12}, "Corrupted icon image"},
        {34, {0}, "Corrupted icon image"},
        {36, {16}, "Corrupted icon image"},
        {38, {1}, "Corrupted icon image"},
        {30, {1}, "Corrupted icon image"},
    };
    for (const Case& c : cases) {
        Bytes file = SmallIcon();
        std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + std::ptrdiff_t(c.at));
        IcoCodec codec;
        MemoryStream in(file.data(), file.size());
        const bool ok = codec.Decode(in);
        EXPECT_EQ(ok, c.message == nullptr) << c.at;
        if (c.message) {
            EXPECT_STREQ(codec.GetLastError(), c.message) << c.at;
        }
    }

    Picture picture;
    picture.SetFrame(1);
    EXPECT_FALSE(DecodeBytes(picture, SmallIcon(), ImageFormat::Ico));
    EXPECT_STREQ(picture.GetLastError(), "ICO: no image 1 in 1");
    EXPECT_EQ(picture.GetNumFrames(), 1);

    // Of a mask cut short only the rows read count.
    Bytes cut = SmallIcon();
    cut.resize(cut.size() - 4);
    Put32(cut, 14, Get32(cut, 14) - 4);
    Picture partial;
    ASSERT_TRUE(DecodeBytes(partial, cut, ImageFormat::Ico));
    EXPECT_TRUE(partial.IsPartial());
    EXPECT_EQ(partial.AlphaGet(0, 0), 0);
    EXPECT_EQ(partial.AlphaGet(0, 1), 255);
}

// Writers without alpha leave the fourth byte of 32-bit pixels 0: the mask says what is
// transparent, not the zeros.
TEST(IcoReading, AlphaOfZeroThroughoutLeavesItToTheMask)
{
    Picture picture = Pattern(13, 7, 24, true);
    MemoryStream out;
    ASSERT_TRUE(picture.Encode(out, ImageFormat::Ico));
    Bytes file(out.GetBuffer(), out.GetBuffer() + out.Size());
    for (std::size_t i = 0; i < std::size_t(13 * 7); ++i) file[22 + 40 + 4 * i + 3] = 0;
    Picture read;
    ASSERT_TRUE(DecodeBytes(read, file, ImageFormat::Ico));
    EXPECT_EQ(read.AlphaGet(0, 0), 0);
    EXPECT_EQ(read.AlphaGet(1, 0), 255);
    EXPECT_EQ(read.AlphaGet(12, 6), 255);
}

// The corpus' damaged files: what each gives.
TEST(WbmpIcoReading, BadCorpusFilesEndCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    struct Case {
        const char* file;
        ImageFormat format;
        const char* message;
    };
    const Case cases[] = {
        // The directory gives the image too few bytes; the image itself is whole.
        {"ico/bad/image-rs/Bad_smile-incorrect-image-length.ico", ImageFormat::Ico, nullptr},
        {"ico/bad/pillow/decompression_bomb.ico", ImageFormat::Ico, "Can't allocate memory"},
        {"ico/bad/pillow/no_cursors.cur", ImageFormat::Ico, "Icon file without images"},
        {"wbmp/bad/derived/Oregon Scientific DS6639 - DSC_0307 - small-truncated-at-4278.wbmp", ImageFormat::Wbmp,
         nullptr},
    };
    for (const Case& c : cases) {
        Picture picture;
        const bool ok = DecodeBytes(picture, ReadFile(corpus / c.file), c.format);
        EXPECT_EQ(ok, c.message == nullptr) << c.file << ": " << picture.GetLastError();
        EXPECT_STREQ(picture.GetLastError(), c.message ? c.message : "") << c.file;
        if (ok) {
            EXPECT_EQ(picture.IsPartial(), c.format == ImageFormat::Wbmp) << c.file;
        }
    }
}
