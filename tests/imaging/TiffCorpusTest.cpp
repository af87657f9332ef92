// The TIFF codec over the corpus: every page of every good file against ImageMagick, turned
// upright as `convert -auto-orient` turns it; layouts libtiff cannot read refused with a reason;
// damaged files ending cleanly.
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "TestSupport.h"
#include "TiffCodec.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::vector<fs::path> TiffFiles(const fs::path& root, bool broken)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().generic_string();
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".tif" && extension != ".tiff" && extension != ".TIFF")) continue;
        if ((path.find("/bad/") != std::string::npos) == broken) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool DecodeBytes(TiffCodec& codec, const std::vector<unsigned char>& bytes, int frame = 0)
{
    MemoryStream in(bytes.data(), bytes.size());
    codec.SetFrame(frame);
    return codec.Decode(in);
}

// What a page's tags say about how far ImageMagick's pixels may lie from ours.
struct PageFacts {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t bits = 1;
};

PageFacts ReadFacts(const fs::path& file, int page)
{
    PageFacts facts;
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
    TIFF* tiff = TIFFOpen(file.c_str(), "r");
    if (!tiff) return facts;
    if (TIFFSetDirectory(tiff, tdir_t(page))) {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &facts.compression);
        TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &facts.photometric);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &facts.bits);
    }
    TIFFClose(tiff);
    return facts;
}

// Pages libtiff does not read, with what the codec says.
const std::set<std::string> kRefused = {
    "rgb32f_bw.tiff[0]", "c16f4894de3142b98e8f3d8fc6b3d23e.tif[0]", "test_float64_predictor2_le_lzw.tif[0]",
    "10ct_32bit_128.tiff[0]", "12bit.cropped.tif[0]",
    // The strip of the third page is missing from the file.
    "d664a73588796b59191ad8628065f04a.tif[2]"};

// Pages ImageMagick reads wrongly or not at all: old-style JPEG comes out in false colours, tiled
// CMYK JPEG is refused, and the BT.709 coefficients of a YCbCr file are not applied. They were
// checked by eye; here they must decode.
const std::set<std::string> kNoReference = {
    "1af8e95246f4cfa4e5e58f67d6428ea3.tif[0]", "9b286add70871bbbef1601997b429344.tif[3]",
    "d664a73588796b59191ad8628065f04a.tif[1]", "ojpeg_chewey_subsamp21_multi_strip.tiff[0]",
    "ojpeg_single_strip_no_rowsperstrip.tiff[0]", "tiff_tiled_cmyk_jpeg.tif[0]", "ycbcr_lzw_bt709.tif[0]"};

// ImageMagick rounds 16-bit samples where we keep the high byte, and so it does dividing out
// associated alpha and turning CMYK into RGB; Lab is turned into sRGB by another formula.
int Tolerance(const PageFacts& facts, bool alphaPlane)
{
    if (facts.photometric == PHOTOMETRIC_CIELAB) return 8;
    return facts.bits == 16 || facts.photometric == PHOTOMETRIC_SEPARATED || alphaPlane ? 1 : 0;
}

// The files of several pages, counted as ImageMagick counts them; every other file holds one.
const std::map<std::string, int> kPageCounts = {
    {"9b286add70871bbbef1601997b429344.tif", 4}, {"d664a73588796b59191ad8628065f04a.tif", 3},
    {"e00804b3169008f1c00bf250edccdae4.tif", 3}, {"tiff_with_subifd_chain.tif", 2}, {"compression.tif", 2},
    {"g4-multi.tiff", 3}, {"multipage.tiff", 3}};

} // namespace

// Strips and tiles, every compression, palette, grey, min-is-white, RGB, RGBA, Lab, separated,
// YCbCr and LogLuv pages, each page of multi-page files; pixels and alpha against ImageMagick.
TEST(TiffCorpus, PagesMatchImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "tiff");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    int compared = 0;
    for (const fs::path& file : TiffFiles(corpus, false)) {
        const std::vector<unsigned char> bytes = ReadFile(file);
        TiffCodec first;
        DecodeBytes(first, bytes);
        const int pages = first.GetNumFrames();
        const auto counted = kPageCounts.find(file.filename().string());
        EXPECT_EQ(counted == kPageCounts.end() ? 1 : counted->second, pages) << file;
        for (int page = 0; page < pages; ++page) {
            const std::string name = file.filename().string() + "[" + std::to_string(page) + "]";
            SCOPED_TRACE(name);
            TiffCodec codec;
            const bool decoded = DecodeBytes(codec, bytes, page);
            EXPECT_EQ(pages, codec.GetNumFrames());
            if (kRefused.count(name)) {
                EXPECT_FALSE(decoded);
                EXPECT_STRNE("", codec.GetLastError());
                continue;
            }
            ASSERT_TRUE(decoded) << codec.GetLastError();
            EXPECT_FALSE(codec.IsPartial());
            if (kNoReference.count(name)) continue;
            const auto reference = DecodeWith("convert " + ShellQuote(file.string() + "[" + std::to_string(page) + "]") +
                                              " -auto-orient -alpha on -depth 8 -type TrueColorAlpha pam:-");
            ASSERT_TRUE(reference);
            ASSERT_EQ(reference->width, codec.GetWidth());
            ASSERT_EQ(reference->height, codec.GetHeight());
            const bool alphaPlane = codec.GetAlpha() != nullptr;
            int worst = 0;
            for (int y = 0; y < reference->height; ++y) {
                for (int x = 0; x < reference->width; ++x) {
                    const std::uint32_t alpha = alphaPlane ? codec.AlphaGet(x, codec.GetHeight() - 1 - y) : 255;
                    worst = std::max(worst, ChannelDistance(reference->Rgba(x, y), PictureRgb(codec, x, y) | alpha << 24, 4));
                }
            }
            EXPECT_LE(worst, Tolerance(ReadFacts(file, page), alphaPlane));
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

// Damaged, fuzzed and looping files: every page fails with a reason or gives a whole picture.
TEST(TiffCorpus, DamagedFilesEndCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "tiff/bad");
    int failed = 0;
    for (const fs::path& file : TiffFiles(corpus, true)) {
        const std::vector<unsigned char> bytes = ReadFile(file);
        TiffCodec first;
        DecodeBytes(first, bytes);
        for (int page = 0; page < std::max(1, std::min(first.GetNumFrames(), 8)); ++page) {
            TiffCodec codec;
            if (DecodeBytes(codec, bytes, page)) {
                EXPECT_TRUE(codec.IsValid()) << file << " page " << page;
                continue;
            }
            EXPECT_STRNE("", codec.GetLastError()) << file << " page " << page;
            EXPECT_FALSE(codec.IsValid());
            ++failed;
        }
    }
    EXPECT_GT(failed, 10);
}
