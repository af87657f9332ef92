// Every animation of the corpus read frame by frame against ImageMagick's composition of the
// same file (-coalesce): pixels, transparency, delays and the loop count.
#include "ExternalDecoder.h"
#include "FrameReader.h"
#include "Picture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// Differences from ImageMagick's frame, in pixels: opaque against transparent, or another colour.
int Differences(const Picture& ours, const RawImage& theirs)
{
    int wrong = 0;
    for (int y = 0; y < theirs.height; ++y) {
        const int row = ours.GetHeight() - 1 - y;
        const std::uint8_t* bits = ours.GetBits() + std::size_t(row) * ours.GetEffWidth();
        for (int x = 0; x < theirs.width; ++x) {
            const std::uint32_t want = theirs.Rgba(x, y);
            const bool opaque = !ours.GetAlpha() || ours.AlphaGet(x, row) == 255;
            const std::uint8_t* pixel = bits + 3 * std::size_t(x);
            const bool sameColour = std::uint32_t(pixel[2] | pixel[1] << 8 | pixel[0] << 16) == (want & 0xFFFFFF);
            if (opaque != (want >> 24 == 255) || (opaque && !sameColour)) ++wrong;
        }
    }
    return wrong;
}

} // namespace

TEST(GifFrameReader, CorpusAnimationsMatchImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    if (!HaveTool("convert") || !HaveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
    // Where the first frame leaves the screen uncovered, ImageMagick paints the background
    // colour; browsers, and we, leave it transparent.
    const std::set<std::string> differ = {"anim-issue_1455_undersized.gif", "anim-border_touching_layers.gif"};
    int animations = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".gif" || path.find("/bad/") != std::string::npos) continue;
        const std::unique_ptr<FrameReader> reader = FrameReader::Open(path);
        if (!reader) continue;
        SCOPED_TRACE(path);
        ++animations;
        const std::vector<std::uint8_t> delays = OutputOf("identify -format '%T\\n' " + ShellQuote(path));
        std::istringstream facts(std::string(delays.begin(), delays.end()));
        const std::vector<std::uint8_t> verbose = OutputOf("identify -verbose " + ShellQuote(path) + "[0]");
        const std::string described(verbose.begin(), verbose.end());
        const std::size_t iterations = described.find("Iterations: ");
        const int loops = iterations == std::string::npos ? -1 : std::stoi(described.substr(iterations + 12));
        int delay = 0;
        TempDir frames;
        std::system(("convert " + ShellQuote(path) + " -coalesce -depth 8 +adjoin " +
                     ShellQuote((frames.path() / "%d").string()) + ".pam").c_str());
        int wrongFrames = 0;
        Picture frame;
        int index = 0;
        for (; reader->Next(frame); ++index) {
            ASSERT_TRUE(facts >> delay);
            EXPECT_EQ(frame.GetFrameDelay(), delay) << "frame " << index;
            const auto theirs = DecodeWith("cat " + ShellQuote((frames.path() / (std::to_string(index) + ".pam")).string()));
            ASSERT_TRUE(theirs);
            ASSERT_EQ(frame.GetWidth(), theirs->width);
            wrongFrames += Differences(frame, *theirs) != 0;
        }
        EXPECT_EQ(index, reader->GetFrameCount());
        EXPECT_EQ(wrongFrames != 0, differ.count(entry.path().filename().string()) == 1) << wrongFrames;
        // ImageMagick counts showings: the repetitions the file asks for and the first one.
        EXPECT_EQ(reader->GetLoopCount() > 0 ? reader->GetLoopCount() + 1 : reader->GetLoopCount(), loops);
        ASSERT_TRUE(reader->Rewind());
        EXPECT_TRUE(reader->Next(frame));
    }
    EXPECT_GT(animations, 15);
}

TEST(GifFrameReader, StillsAndOtherFormatsAreNoAnimation)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    EXPECT_FALSE(FrameReader::Open((corpus / "gif-test-suite/static_nontransparent.gif").string()));
    EXPECT_FALSE(FrameReader::Open((CorpusDir("pngsuite") / "basn2c08.png").string()));
    EXPECT_FALSE(FrameReader::Open("/nonexistent.gif"));
}
