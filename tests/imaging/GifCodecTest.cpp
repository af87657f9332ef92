// GIF: the corpus against giftopnm and the reference frames, the three encoders and the mosaic
// read back by us, giftopnm and ImageMagick, and damaged or odd files built by hand.
#include "ExternalDecoder.h"
#include "GifCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

using Bytes = std::vector<unsigned char>;

std::vector<fs::path> GifFiles(const fs::path& root, bool bad)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const bool inBad = entry.path().generic_string().find("/bad/") != std::string::npos;
        if (entry.is_regular_file() && entry.path().extension() == ".gif" && inBad == bad) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool DecodeBytes(GifCodec& codec, const Bytes& bytes, std::size_t length, int frame = 0)
{
    MemoryStream in(bytes.data(), length);
    codec.SetFrame(frame);
    return codec.Decode(in);
}

[[maybe_unused]] Bytes EncodeToBytes(Picture& picture)
{
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, ImageFormat::Gif)) << picture.GetLastError();
    return Bytes(out.GetBuffer(), out.GetBuffer() + out.Size());
}

// Counts pixels whose colour differs from the peer's (alpha ignored where the peer has none).
int Differences(const Picture& ours, const RawImage& peer)
{
    if (ours.GetWidth() != peer.width || ours.GetHeight() != peer.height) return -1;
    int wrong = 0;
    for (int y = 0; y < peer.height; ++y)
        for (int x = 0; x < peer.width; ++x) wrong += PictureRgb(ours, x, y) != (peer.Rgba(x, y) & 0xFFFFFF);
    return wrong;
}

std::optional<RawImage> Giftopnm(const std::string& path)
{
    return DecodeWith("giftopnm " + ShellQuote(path));
}

// GIF data written by hand: codes of one fixed width (9 bits: code size 8 stays at 9 bits for
// the first 254 codes after a clear).
struct GifFile {
    Bytes bytes;

    GifFile(std::uint32_t width, std::uint32_t height, bool globalTable = true)
    {
        bytes = {'G', 'I', 'F', '8', '9', 'a'};
        Put16(width);
        Put16(height);
        bytes.insert(bytes.end(), {std::uint8_t(globalTable ? 0x87 : 0), 0, 0});
        if (globalTable) Table();
    }
    void Put16(std::uint32_t v) { bytes.insert(bytes.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
    // Entry i is (i, 255 - i, i / 2).
    void Table()
    {
        for (int i = 0; i < 256; ++i) bytes.insert(bytes.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    }
    void Control(std::uint8_t flags, std::uint8_t transparent, std::uint16_t delay = 0)
    {
        bytes.insert(bytes.end(), {'!', 0xF9, 4, flags, std::uint8_t(delay), std::uint8_t(delay >> 8), transparent, 0});
    }
    void Descriptor(std::uint32_t left, std::uint32_t top, std::uint32_t width, std::uint32_t height, std::uint8_t flags)
    {
        bytes.push_back(',');
        Put16(left);
        Put16(top);
        Put16(width);
        Put16(height);
        bytes.push_back(flags);
    }
    // Code size byte, the codes in sub-blocks of `blockSize` and, when asked, the terminator.
    void Data(const std::vector<unsigned>& codes, bool terminator = true, int codeSize = 8, std::size_t blockSize = 255)
    {
        bytes.push_back(std::uint8_t(codeSize));
        Bytes packed;
        std::uint32_t accumulator = 0;
        int bits = 0;
        for (unsigned code : codes) {
            accumulator |= code << bits;
            for (bits += codeSize + 1; bits >= 8; bits -= 8, accumulator >>= 8) packed.push_back(std::uint8_t(accumulator));
        }
        if (bits > 0) packed.push_back(std::uint8_t(accumulator));
        for (std::size_t i = 0; i < packed.size(); i += blockSize) {
            const std::size_t n = std::min(blockSize, packed.size() - i);
            bytes.push_back(std::uint8_t(n));
            bytes.insert(bytes.end(), packed.begin() + std::ptrdiff_t(i), packed.begin() + std::ptrdiff_t(i + n));
        }
        if (terminator) bytes.push_back(0);
    }
    // A whole image of the given indices, rows top first: clear, one code per pixel, end.
    void Image(std::uint32_t left, std::uint32_t top, std::uint32_t width, std::uint32_t height,
               const std::vector<unsigned>& indices, std::uint8_t flags = 0)
    {
        Descriptor(left, top, width, height, flags);
        std::vector<unsigned> codes{256};
        codes.insert(codes.end(), indices.begin(), indices.end());
        codes.push_back(257);
        Data(codes);
    }
    Bytes Done()
    {
        bytes.push_back(';');
        return bytes;
    }
};

[[maybe_unused]] std::uint32_t Entry(unsigned i)
{
    return i | (255 - i) << 8 | (i / 2) << 16;
}

[[maybe_unused]] std::vector<unsigned> Indices(const Picture& picture)
{
    std::vector<unsigned> out;
    for (int y = picture.GetHeight() - 1; y >= 0; --y)
        for (int x = 0; x < picture.GetWidth(); ++x) out.push_back(picture.GetPixelIndex(x, y));
    return out;
}

} // namespace

// Frame 0 of every good file, pixel for pixel as giftopnm shows it.
TEST(GifCorpus, FirstFramesMatchGiftopnm)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    if (!HaveTool("giftopnm")) GTEST_SKIP() << "netpbm not installed";
    // Files the rules read differently: no image lies on the screen; an initial code size of 11.
    const std::map<std::string, std::string> refused = {{"simple-issue_1455_oversized.gif", "GIF: no image on the screen"}};
    const std::set<std::string> undecoded = {"issue_2811.gif"};
    int compared = 0;
    for (const fs::path& file : GifFiles(corpus, false)) {
        SCOPED_TRACE(file.string());
        const Bytes bytes = ReadFile(file);
        GifCodec ours;
        const auto reason = refused.find(file.filename().string());
        if (reason != refused.end()) {
            EXPECT_FALSE(DecodeBytes(ours, bytes, bytes.size()));
            EXPECT_STREQ(ours.GetLastError(), reason->second.c_str());
            continue;
        }
        ASSERT_TRUE(DecodeBytes(ours, bytes, bytes.size())) << ours.GetLastError();
        EXPECT_EQ(ours.IsPartial(), undecoded.count(file.filename().string()) == 1);
        const auto peer = Giftopnm(file.string());
        if (!peer || ours.IsPartial()) continue;
        EXPECT_EQ(Differences(ours, *peer), 0);
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

namespace {

// Pixels that differ from a composed reference frame: opaque pixels by colour, transparent
// ones must hold the picture's transparent index.
int FrameDifferences(const Picture& ours, const RawImage& reference)
{
    if (ours.GetWidth() != reference.width || ours.GetHeight() != reference.height) return -1;
    int wrong = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const std::uint32_t want = reference.Rgba(x, y);
            if (want >> 24 == 255) {
                wrong += PictureRgb(ours, x, y) != (want & 0xFFFFFF);
            } else if (ours.GetBpp() <= 8) {
                wrong += ours.GetPixelIndex(x, ours.GetHeight() - 1 - y) != ours.GetTransparentIndex();
            } else {
                const RgbQuad clear = ours.GetInfo().transparentColor;
                const std::uint32_t rgb = clear.red | clear.green << 8 | std::uint32_t(clear.blue) << 16;
                wrong += ours.GetTransparentIndex() == -1 || PictureRgb(ours, x, y) != rgb;
            }
        }
    }
    return wrong;
}

} // namespace

// The suite's composed frames: frames that leave the previous one in place and share its colour
// table are drawn over it as the suite draws them; the others are shown as the frame's own image.
TEST(GifCorpus, FramesMatchTheSuiteReferences)
{
    VISTREL_REQUIRE_CORPUS(suite, "gif/gif-test-suite");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    std::map<std::string, int> results;
    for (const auto& entry : fs::directory_iterator(suite / "frames")) {
        const std::string stem = entry.path().stem().string();
        const auto dash = stem.rfind('-');
        const std::string name = dash == std::string::npos ? stem : stem.substr(0, dash);
        const int frame = dash == std::string::npos ? 0 : std::stoi(stem.substr(dash + 1));
        const Bytes bytes = ReadFile(suite / (name + ".gif"));
        GifCodec ours;
        ASSERT_TRUE(DecodeBytes(ours, bytes, bytes.size(), frame)) << stem << ": " << ours.GetLastError();
        const auto reference = DecodeWithImageMagick(entry.path().string());
        ASSERT_TRUE(reference) << stem;
        results[stem] = FrameDifferences(ours, *reference);
    }
    int composed = 0;
    for (const auto& [stem, wrong] : results) {
        // -1: a frame that restores what was below is shown alone, at its own size.
        EXPECT_TRUE(wrong == 0 || (wrong == -1 && stem.find("restoreprev") != std::string::npos) ||
                    (wrong == -1 && stem.starts_with("animated_transparent_loop")))
            << stem << ": " << wrong << " pixels differ";
        composed += wrong == 0;
    }
    EXPECT_EQ(composed, 21);
}

namespace {

// True on success; a failure must say why, a success must hold an image.
::testing::AssertionResult EndsCleanly(const Bytes& bytes, std::size_t length, int frame = 0)
{
    GifCodec codec;
    if (DecodeBytes(codec, bytes, length, frame)) {
        if (codec.IsValid() && codec.GetWidth() > 0 && codec.GetHeight() > 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "decoded without an image";
    }
    if (*codec.GetLastError()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "failed without a reason";
}

int RowsMatchingFromTop(const Picture& a, const Picture& b)
{
    int rows = 0;
    for (int y = a.GetHeight() - 1; y >= 0; --y, ++rows) {
        const std::uint8_t* ra = a.GetBits() + std::size_t(y) * a.GetEffWidth();
        const std::uint8_t* rb = b.GetBits() + std::size_t(y) * b.GetEffWidth();
        if (std::memcmp(ra, rb, a.GetEffWidth()) != 0) break;
    }
    return rows;
}

} // namespace

// Every good file cut short and with bytes flipped, every bad file and every kept crasher: an
// image or a reason, never a crash, a hang or a read outside the input.
TEST(GifCorpus, DamagedFilesEndCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    std::mt19937 random(14);
    int cutInsideData = 0;
    for (const fs::path& file : GifFiles(corpus, false)) {
        SCOPED_TRACE(file.string());
        const Bytes bytes = ReadFile(file);
        GifCodec whole;
        const bool decodes = DecodeBytes(whole, bytes, bytes.size());
        const std::size_t step = std::max<std::size_t>(1, bytes.size() / 400);
        for (std::size_t length = 0; length < bytes.size(); length += step) {
            ASSERT_TRUE(EndsCleanly(bytes, length)) << "cut at " << length;
            ASSERT_TRUE(EndsCleanly(bytes, length, whole.GetNumFrames() - 1)) << "cut at " << length;
        }
        // Cut inside the data of a single image: the rows that arrived stay, and it says so.
        if (decodes && !whole.IsPartial() && whole.GetNumFrames() == 1 && bytes.size() > 2000) {
            GifCodec cut;
            ASSERT_TRUE(DecodeBytes(cut, bytes, bytes.size() * 3 / 4));
            EXPECT_TRUE(cut.IsPartial());
            EXPECT_GT(RowsMatchingFromTop(cut, whole), 0);
            ++cutInsideData;
        }
        for (int flip = 0; flip < 60; ++flip) {
            Bytes damaged = bytes;
            damaged[random() % damaged.size()] ^= std::uint8_t(1 + random() % 255);
            ASSERT_TRUE(EndsCleanly(damaged, damaged.size(), int(random() % 3))) << "flip " << flip;
        }
    }
    EXPECT_GT(cutInsideData, 4);

    std::vector<fs::path> bad = GifFiles(corpus, true);
    const fs::path crashers = fs::path(VISTREL_SOURCE_DIR) / "tests/data/crashers/gif";
    if (fs::is_directory(crashers))
        for (const auto& entry : fs::directory_iterator(crashers)) bad.push_back(entry.path());
    for (const fs::path& file : bad) {
        const Bytes bytes = ReadFile(file);
        EXPECT_TRUE(EndsCleanly(bytes, bytes.size())) << file;
        EXPECT_TRUE(EndsCleanly(bytes, bytes.size(), 5)) << file;
    }
}
