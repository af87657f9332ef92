// The metafile codec over the corpus: every good file renders and is not blank, the WMF files
// look like what libwmf's wmf2gd makes of them, and damaged files end cleanly.
#include "ExternalDecoder.h"
#include "MemoryStream.h"
#include "TestSupport.h"
#include "WmfCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// Good metafiles: not under bad/ and not the standard WMFs without placeable header.
std::vector<fs::path> Metafiles(const fs::path& corpus)
{
    std::vector<fs::path> files;
    for (const char* folder : {"wmf", "emf"}) {
        for (const auto& entry : fs::recursive_directory_iterator(corpus / folder)) {
            const std::string path = entry.path().generic_string();
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".wmf" && extension != ".emf")) continue;
            if (path.find("/bad/") != std::string::npos || path.find("/non-placeable/") != std::string::npos) continue;
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Decode(WmfCodec& codec, const std::vector<unsigned char>& bytes, std::size_t length)
{
    MemoryStream in(bytes.data(), length);
    return codec.Decode(in);
}

// Darkness (255 - grey) averaged over a grid of cells; `at(x, y)` gives 0xBBGGRR from the top row.
template <class Pixel>
std::vector<double> InkGrid(int width, int height, Pixel at, int cells = 12)
{
    std::vector<double> grid(std::size_t(cells * cells), 0);
    std::vector<int> counts(grid.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = at(x, y);
            const double grey = 0.299 * (c & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * ((c >> 16) & 0xFF);
            const std::size_t cell = std::size_t(y * cells / height) * cells + std::size_t(x * cells / width);
            grid[cell] += 255 - grey;
            ++counts[cell];
        }
    }
    for (std::size_t i = 0; i < grid.size(); ++i) grid[i] /= std::max(1, counts[i]);
    return grid;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    const double n = double(a.size());
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ma += a[i] / n;
        mb += b[i] / n;
    }
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

} // namespace

TEST(MetafileCorpus, EveryGoodFileRendersAndIsNotBlank)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    int rendered = 0;
    for (const fs::path& file : Metafiles(corpus)) {
        SCOPED_TRACE(file.string());
        const std::vector<unsigned char> bytes = ReadFile(file);
        WmfCodec codec;
        const bool ok = Decode(codec, bytes, bytes.size());
        // Its bounds are the empty rectangle (0, 0, -1, -1): it draws nothing.
        if (file.filename() == "test-030.emf") {
            EXPECT_STREQ("empty WMF", codec.GetLastError());
            continue;
        }
        ASSERT_TRUE(ok) << codec.GetLastError();
        EXPECT_FALSE(codec.IsPartial());
        const int width = codec.GetWidth();
        const int height = codec.GetHeight();
        int inked = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) inked += PictureRgb(codec, x, y) != 0xFFFFFF;
        EXPECT_GT(inked, std::max(100, width * height / 1000)) << "blank";
        ++rendered;
    }
    EXPECT_GE(rendered, 50);
}

TEST(MetafileCorpus, StandardMetafilesWithoutPlaceableHeaderAreRefused)
{
    VISTREL_REQUIRE_CORPUS(folder, "wmf/non-placeable");
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::vector<unsigned char> bytes = ReadFile(entry.path());
        WmfCodec codec;
        EXPECT_FALSE(Decode(codec, bytes, bytes.size()));
        EXPECT_STREQ("corrupted WMF", codec.GetLastError());
    }
}

// A similarity measure, not pixels: both renderings are reduced to a grid of how much ink each
// cell holds, and the grids must correlate.
TEST(MetafileCorpus, WmfFilesLookLikeWhatWmf2gdDraws)
{
    VISTREL_REQUIRE_CORPUS(corpus, "wmf");
    if (!HaveTool("wmf2gd") || !HaveTool("convert")) GTEST_SKIP() << "wmf2gd (libwmf-bin) or ImageMagick missing";
    TempDir dir;
    int compared = 0;
    for (const fs::path& file : Metafiles(corpus.parent_path())) {
        if (file.extension() != ".wmf") continue;
        SCOPED_TRACE(file.string());
        const std::vector<unsigned char> bytes = ReadFile(file);
        WmfCodec codec;
        ASSERT_TRUE(Decode(codec, bytes, bytes.size())) << codec.GetLastError();
        const std::string png = dir.file("reference.png");
        const std::string command = "wmf2gd --maxwidth=" + std::to_string(codec.GetWidth()) + " --maxheight=" +
                                    std::to_string(codec.GetHeight()) + " --maxpect -o " + ShellQuote(png) + " " +
                                    ShellQuote(file.string()) + " >/dev/null 2>&1";
        // wmf2gd gives up on some records it finds too short; there is nothing to compare then.
        if (std::system(command.c_str()) != 0) continue;
        const auto reference = DecodeWithImageMagick(png);
        ASSERT_TRUE(reference);
        const auto theirs = InkGrid(reference->width, reference->height, [&](int x, int y) {
            const std::uint32_t rgba = reference->Rgba(x, y);
            const unsigned alpha = rgba >> 24;
            std::uint32_t over = 0;
            for (int i = 0; i < 3; ++i) {
                const unsigned c = (rgba >> (8 * i)) & 0xFF;
                over |= ((c * alpha + 255 * (255 - alpha)) / 255) << (8 * i);
            }
            return over;
        });
        const auto ours = InkGrid(codec.GetWidth(), codec.GetHeight(), [&](int x, int y) { return PictureRgb(codec, x, y); });
        const double similarity = Correlation(ours, theirs);
        std::printf("%-40s %.2f\n", file.filename().c_str(), similarity);
        // Where the two differ knowingly: wmf2gd sets fulltest's titles in a larger size than
        // their boxes, and maps drawing.wmf by the extent of what it draws, not by its window.
        const bool known = file.filename() == "fulltest.wmf" || file.filename() == "drawing.wmf";
        EXPECT_GT(similarity, known ? 0.3 : 0.6);
        ++compared;
    }
    EXPECT_GE(compared, 12);
}

TEST(MetafileCorpus, DamagedFilesEndCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    // Big renderings are refused by a lower ceiling: the damage, not the drawing, is under test.
    const std::uint64_t ceiling = Picture::GetMaxPixels();
    Picture::SetMaxPixels(std::uint64_t(1) << 20);
    std::mt19937 random(17);
    auto check = [](const std::vector<unsigned char>& bytes, std::size_t length, const std::string& what) {
        WmfCodec codec;
        if (Decode(codec, bytes, length)) {
            EXPECT_TRUE(codec.IsValid()) << what;
            EXPECT_LE(codec.GetWidth(), 4000) << what;
        } else {
            EXPECT_STRNE("", codec.GetLastError()) << what;
        }
    };
    for (const char* bad : {"wmf/bad", "emf/bad"}) {
        for (const auto& entry : fs::recursive_directory_iterator(corpus / bad)) {
            if (entry.is_regular_file() && entry.path().extension() != ".md") {
                const std::vector<unsigned char> bytes = ReadFile(entry.path());
                check(bytes, bytes.size(), entry.path().string());
            }
        }
    }
    for (const fs::path& file : Metafiles(corpus)) {
        const std::vector<unsigned char> bytes = ReadFile(file);
        for (const std::size_t length : {std::size_t(40), bytes.size() / 3, bytes.size() / 2, bytes.size() * 9 / 10})
            check(bytes, std::min(length, bytes.size()), file.string() + " cut at " + std::to_string(length));
        for (int round = 0; round < 12; ++round) {
            std::vector<unsigned char> flipped = bytes;
            for (int i = 0; i < 4; ++i) flipped[random() % flipped.size()] ^= std::uint8_t(1 + random() % 255);
            check(flipped, flipped.size(), file.string() + " flipped");
        }
    }
    Picture::SetMaxPixels(ceiling);
}
