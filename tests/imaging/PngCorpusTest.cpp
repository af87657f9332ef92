// The PNG codec over the shared corpus: pixels against ImageMagick, broken and cut-off files.
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "PngChunks.h"
#include "PngCodec.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::vector<fs::path> PngFiles(const fs::path& root, bool broken)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        if (!entry.is_regular_file() || path.extension() != ".png") continue;
        const bool bad = path.string().find("/bad/") != std::string::npos || path.filename().string()[0] == 'x';
        if (bad == broken) files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool DecodeBytes(PngCodec& codec, const std::vector<unsigned char>& bytes)
{
    MemoryStream in(bytes.data(), bytes.size());
    return codec.Decode(in);
}

std::uint32_t Composite(std::uint32_t rgba, std::uint32_t background)
{
    const unsigned a = rgba >> 24;
    std::uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
        const unsigned fg = (rgba >> (8 * i)) & 0xFF;
        const unsigned bg = (background >> (8 * i)) & 0xFF;
        out |= ((fg * a + bg * (255 - a) + 127) / 255) << (8 * i);
    }
    return out;
}

} // namespace

// What the picture must show: files with 32-bit pixels (8-bit RGBA, 16-bit grey + alpha) keep
// their alpha as a plane; palette files keep their colours with tRNS as palette alpha; every
// other file with transparency is composited by libpng over its bKGD colour, else grey 192.
TEST(PngCorpus, PixelsMatchImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    int compared = 0;
    for (const fs::path& root : {corpus / "pngsuite", corpus / "png"}) {
        for (const fs::path& file : PngFiles(root, false)) {
            SCOPED_TRACE(file.string());
            const std::vector<unsigned char> bytes = ReadFile(file);
            const PngFacts facts = ReadPngFacts(bytes);
            PngCodec codec;
            ASSERT_TRUE(DecodeBytes(codec, bytes)) << codec.GetLastError();
            const auto reference = DecodeWithImageMagick(file.string(), true);
            ASSERT_TRUE(reference);
            ASSERT_EQ(reference->width, codec.GetWidth());
            ASSERT_EQ(reference->height, codec.GetHeight());

            const bool alphaPlane = facts.PixelDepth() == 32 || facts.colourType == 6;
            EXPECT_EQ(alphaPlane, codec.GetAlpha() != nullptr);
            const bool composited = facts.PixelDepth() != 32 && facts.colourType != 3;
            const std::uint32_t background = facts.hasBackground ? facts.background : 0xC0C0C0;
            // ImageMagick rounds 16-bit samples to 8 bits where libpng cuts them.
            const int tolerance = facts.bitDepth == 16 ? 2 : composited ? 1 : 0;
            int worst = 0;
            for (int y = 0; y < reference->height; ++y) {
                for (int x = 0; x < reference->width; ++x) {
                    const std::uint32_t expected = reference->Rgba(x, y);
                    const std::uint32_t got = PictureRgb(codec, x, y);
                    const int row = codec.GetHeight() - 1 - y;
                    if (alphaPlane) {
                        // 16-bit RGBA is composited by libpng and keeps an opaque plane.
                        const std::uint32_t want =
                            facts.PixelDepth() == 32 ? expected : Composite(expected, background) | 0xFF000000u;
                        const std::uint32_t plane = std::uint32_t(codec.AlphaGet(x, row)) << 24;
                        worst = std::max(worst, ChannelDistance(want, got | plane, 4));
                    } else if (facts.colourType == 3) {
                        const std::uint32_t palette = codec.GetPixelColor(x, row).reserved;
                        const std::uint32_t alpha = codec.IsAlphaPaletteEnabled() ? palette
                                                    : codec.GetTransparentIndex() == codec.GetPixelIndex(x, row) ? 0 : 255;
                        worst = std::max(worst, ChannelDistance(expected, got | alpha << 24, expected >> 24 ? 4 : 3));
                    } else {
                        worst = std::max(worst, ChannelDistance(Composite(expected, background), got));
                    }
                }
            }
            EXPECT_LE(worst, tolerance);
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(PngCorpus, BrokenFilesFailWithLibpngsMessage)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    for (const fs::path& root : {corpus / "pngsuite", corpus / "png"}) {
        for (const fs::path& file : PngFiles(root, true)) {
            SCOPED_TRACE(file.string());
            PngCodec codec;
            EXPECT_FALSE(DecodeBytes(codec, ReadFile(file)));
            EXPECT_STRNE("", codec.GetLastError());
            EXPECT_FALSE(codec.IsValid());
            EXPECT_EQ(nullptr, codec.GetAlpha());
        }
    }
}

TEST(PngCorpus, CutFilesFailCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "pngsuite");
    for (const char* name : {"basi6a08.png", "basi0g02.png", "basn3p08.png", "basn6a16.png", "tbbn2c16.png"}) {
        const std::vector<unsigned char> whole = ReadFile(corpus / name);
        ASSERT_GT(whole.size(), 100u) << name;
        for (std::size_t length : {std::size_t(0), std::size_t(7), std::size_t(8), std::size_t(30), whole.size() / 3,
                                   whole.size() / 2, whole.size() - 13}) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(length));
            PngCodec codec;
            EXPECT_FALSE(DecodeBytes(codec, {whole.begin(), whole.begin() + std::ptrdiff_t(length)}));
            EXPECT_STRNE("", codec.GetLastError());
            EXPECT_FALSE(codec.IsValid());
        }
    }
}
