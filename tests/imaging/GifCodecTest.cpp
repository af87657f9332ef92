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

Bytes EncodeToBytes(Picture& picture)
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

std::uint32_t Entry(unsigned i)
{
    return i | (255 - i) << 8 | (i / 2) << 16;
}

std::vector<unsigned> Indices(const Picture& picture)
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

// Every frame of every animation against ImageMagick's composition, where the rules compose the
// same way: a frame drawn over the one before (disposal "leave in place" on its own control
// block) or shown alone at the size of the screen. Frames shown alone at their own size are left
// out, as are frames whose colours the file does not define.
TEST(GifCorpus, AnimationFramesMatchImageMagick)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    // ImageMagick composes these frames over the one before, the rules show them alone: they
    // have disposal 0, or take "leave in place" from the frame before; the last has no colour
    // table at all.
    const std::set<std::string> differ = {"different_transparency.gif:1", "transparent_dispose.gif:1",
                                          "no_palette_with_transparency.gif:1"};
    int compared = 0;
    for (const fs::path& file : GifFiles(corpus, false)) {
        const Bytes bytes = ReadFile(file);
        GifCodec first;
        if (!DecodeBytes(first, bytes, bytes.size()) || first.GetNumFrames() < 2) continue;
        const std::string quoted = ShellQuote(file.string());
        for (int frame = 0; frame < first.GetNumFrames(); ++frame) {
            const std::string name = file.filename().string() + ":" + std::to_string(frame);
            GifCodec ours;
            ASSERT_TRUE(DecodeBytes(ours, bytes, bytes.size(), frame)) << name << ": " << ours.GetLastError();
            const auto theirs = DecodeWith("convert " + quoted + " -coalesce " +
                                           (frame > 0 ? "-delete 0-" + std::to_string(frame - 1) + " " : "") +
                                           "-delete 1--1 -depth 8 pam:-");
            ASSERT_TRUE(theirs) << name;
            if (ours.GetWidth() != theirs->width || ours.GetHeight() != theirs->height) continue;
            int wrong = 0;
            for (int y = 0; y < theirs->height; ++y) {
                for (int x = 0; x < theirs->width; ++x) {
                    const std::uint32_t want = theirs->Rgba(x, y);
                    wrong += want >> 24 == 255 && PictureRgb(ours, x, y) != (want & 0xFFFFFF);
                }
            }
            EXPECT_EQ(wrong != 0, differ.count(name) == 1) << name << ": " << wrong << " pixels differ";
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
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

namespace {

// Index sequences that exercise the coders: runs of 1 to 5,000 pixels (crossing rows), long
// runs of one index broken by single pixels (the run table used again), and noise (well over
// 4,096 codes, so the tables fill and are cleared).
std::vector<unsigned> Pattern(int kind, unsigned colours)
{
    std::vector<unsigned> out;
    std::mt19937 random{unsigned(kind)};
    switch (kind) {
    case 0:
        for (unsigned length : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u, 13u, 20u, 100u, 255u, 256u, 1000u, 4095u, 4096u, 5000u})
            for (unsigned i = 0; i < 3; ++i) out.insert(out.end(), length, (length + i) % colours);
        break;
    case 1:
        for (unsigned i = 0; i < 60; ++i) {
            out.insert(out.end(), 40 + i * 7, 0);
            out.push_back(1 % colours);
        }
        break;
    default:
        for (unsigned i = 0; i < 20000; ++i) out.push_back(random() % colours);
    }
    return out;
}

Picture PalettePicture(std::uint32_t bits, const std::vector<unsigned>& indices, std::int32_t width)
{
    const std::int32_t height = std::int32_t((indices.size() + std::size_t(width) - 1) / std::size_t(width));
    Picture picture(width, height, bits, ImageFormat::Gif);
    for (unsigned i = 0; i < picture.GetNumColors(); ++i)
        picture.SetPaletteEntry(i, std::uint8_t(i * 37), std::uint8_t(255 - i), std::uint8_t(i * 11 + 3));
    for (std::size_t i = 0; i < std::size_t(width) * std::size_t(height); ++i) {
        const unsigned index = i < indices.size() ? indices[i] : indices.back();
        picture.SetPixelIndex(std::int32_t(i % std::size_t(width)), height - 1 - std::int32_t(i / std::size_t(width)),
                              std::uint8_t(index));
    }
    return picture;
}

// Header, palette, info block and pixels, to see that encoding changed nothing.
Bytes Snapshot(const Picture& picture)
{
    Bytes out(picture.GetDib(), picture.GetDib() + picture.GetSize());
    const auto* info = reinterpret_cast<const unsigned char*>(&picture.GetInfo());
    out.insert(out.end(), info, info + offsetof(PictureInfo, nearestCacheColour));
    return out;
}

} // namespace

TEST(GifEncode, EveryModeRoundTripsThroughUsAndGiftopnm)
{
    const bool peer = HaveTool("giftopnm");
    TempDir dir;
    const std::map<std::uint32_t, std::pair<std::uint8_t, std::uint8_t>> header = {{1, {0x80, 2}}, {4, {0xE3, 4}}, {8, {0xE7, 8}}};
    for (std::uint32_t mode = 0; mode < 3; ++mode) {
        for (const auto& [bits, expected] : header) {
            for (int kind = 0; kind < 3; ++kind) {
                SCOPED_TRACE("mode " + std::to_string(mode) + ", " + std::to_string(bits) + " bits, pattern " + std::to_string(kind));
                Picture picture = PalettePicture(bits, Pattern(kind, 1u << bits), 97);
                picture.SetCodecOption(mode);
                const Bytes before = Snapshot(picture);
                const Bytes file = EncodeToBytes(picture);
                EXPECT_EQ(Snapshot(picture), before);
                ASSERT_GT(file.size(), 13u);
                EXPECT_EQ(file[10], expected.first);
                const std::size_t codeSizeAt = 13 + 3 * picture.GetNumColors() + 8 + 10;
                EXPECT_EQ(file[codeSizeAt], expected.second);

                GifCodec ours;
                ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
                EXPECT_FALSE(ours.IsPartial());
                ASSERT_EQ(ours.GetBpp(), bits);
                EXPECT_EQ(Indices(ours), Indices(picture));
                if (!peer) continue;
                const std::string path = dir.file("out.gif");
                WriteFile(path, file);
                const auto theirs = Giftopnm(path);
                ASSERT_TRUE(theirs);
                EXPECT_EQ(Differences(picture, *theirs), 0);
            }
        }
    }
    if (!peer) GTEST_SKIP() << "netpbm not installed: read back by us only";
}

// A 24-bit photo goes out as tiles with their own tables and comes back whole, from us and from
// ImageMagick's composition; also pictures narrower or lower than a tile, strips one pixel wide or
// high (which no reader composes from tiles: they go out as one palette image), and a transparent
// colour.
TEST(GifEncode, MosaicOfAPhotoReadsBackLosslessly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "bmp/pillow");
    Picture photo;
    ASSERT_TRUE(photo.Load((corpus / "hopper.bmp").string(), ImageFormat::Bmp));
    ASSERT_EQ(photo.GetBpp(), 24u);
    const bool peer = HaveTool("convert");
    TempDir dir;
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{128, 128}, {101, 33}, {10, 40}, {40, 12}, {17, 15}, {1, 60}, {60, 1}}) {
        for (std::uint32_t mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + ", mode " + std::to_string(mode));
            Picture picture;
            ASSERT_TRUE(photo.Resample(width, height, 0, &picture));
            picture.SetCodecOption(mode);
            const bool transparent = width == 101;
            if (transparent) {
                picture.SetTransparentIndex(0);
                picture.SetTransparentColor(picture.GetPixelColor(5, 5));
            }
            const Bytes before = Snapshot(picture);
            const Bytes file = EncodeToBytes(picture);
            EXPECT_EQ(Snapshot(picture), before);
            const bool strip = width == 1 || height == 1;
            EXPECT_EQ(file[10], strip ? 0xE7 : 0x11);

            GifCodec ours;
            ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
            EXPECT_FALSE(ours.IsPartial());
            ASSERT_EQ(ours.GetWidth(), width);
            ASSERT_EQ(ours.GetHeight(), height);
            int wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) wrong += PictureRgb(ours, x, y) != PictureRgb(picture, x, y);
            EXPECT_EQ(wrong, 0);
            if (width * height > 255) {
                EXPECT_EQ(ours.GetBpp(), 24u);
                EXPECT_EQ(ours.GetTransparentIndex(), transparent ? 0 : -1);
                if (transparent) {
                    EXPECT_EQ(ours.GetInfo().transparentColor.Value() & 0xFFFFFF, picture.GetPixelColor(5, 5).Value() & 0xFFFFFF);
                }
            }
            if (!peer) continue;
            const std::string path = dir.file("mosaic.gif");
            WriteFile(path, file);
            const auto theirs = DecodeWith("convert " + path + " -coalesce -delete 0--2 -alpha off -depth 8 ppm:-");
            ASSERT_TRUE(theirs);
            if (!transparent) {
                EXPECT_EQ(Differences(picture, *theirs), 0);
            }
        }
    }
    if (!peer) GTEST_SKIP() << "ImageMagick not installed: read back by us only";
}

namespace {

class FailingStream : public MemoryStream {
public:
    explicit FailingStream(std::size_t bytes) : limit(bytes) {}
    std::size_t Write(const void* data, std::size_t itemSize, std::size_t itemCount) override
    {
        if (std::size_t(Size()) + itemSize * itemCount > limit) return 0;
        return MemoryStream::Write(data, itemSize, itemCount);
    }

private:
    std::size_t limit;
};

std::uint32_t TopRgb(const Picture& picture, int x, int y)
{
    return PictureRgb(picture, x, y);
}

} // namespace

TEST(GifEncode, RefusesWhatItCannotWriteWhole)
{
    Picture picture = PalettePicture(8, Pattern(2, 256), 97);
    for (const std::size_t limit : {std::size_t(0), std::size_t(12), std::size_t(800), std::size_t(5000)}) {
        FailingStream out(limit);
        EXPECT_FALSE(picture.Encode(out, ImageFormat::Gif)) << limit;
        EXPECT_STREQ(picture.GetLastError(), "Write Error in GIF file");
    }
    for (const auto& [width, left] : std::vector<std::pair<int, int>>{{65536, 0}, {65000, 536}, {10, -1}}) {
        Picture wide(width, 1, 1, ImageFormat::Gif);
        wide.SetOffset(left, 0);
        MemoryStream out;
        EXPECT_FALSE(wide.Encode(out, ImageFormat::Gif)) << width << " at " << left;
        EXPECT_STRNE(wide.GetLastError(), "");
    }
    Picture photo(65536, 1, 24, ImageFormat::Gif);
    MemoryStream out;
    EXPECT_FALSE(photo.Encode(out, ImageFormat::Gif));
    // A strip has no mosaic: its colours must fit one table.
    Picture strip(1, 257, 24, ImageFormat::Gif);
    for (int y = 0; y < 257; ++y) strip.SetPixelColor(0, y, RgbQuad{std::uint8_t(y), std::uint8_t(y >> 8), 0, 0});
    EXPECT_FALSE(strip.Encode(out, ImageFormat::Gif));
    EXPECT_STRNE(strip.GetLastError(), "");
}

// An image written at an offset lies on a screen that holds it, for us and for giftopnm.
TEST(GifEncode, OffsetImagesLieOnTheirScreen)
{
    Picture picture = PalettePicture(4, Pattern(0, 16), 30);
    picture.SetOffset(5, 7);
    const Bytes file = EncodeToBytes(picture);
    EXPECT_EQ(file[6] | file[7] << 8, 35);
    EXPECT_EQ(file[8] | file[9] << 8, picture.GetHeight() + 7);
    GifCodec ours;
    ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
    EXPECT_EQ(Indices(ours), Indices(picture));
    if (!HaveTool("giftopnm")) GTEST_SKIP() << "netpbm not installed";
    TempDir dir;
    WriteFile(dir.file("offset.gif"), file);
    const auto theirs = Giftopnm(dir.file("offset.gif"));
    ASSERT_TRUE(theirs);
    EXPECT_EQ(Differences(picture, *theirs), 0);
}

// Frames: counting, choosing, what a frame takes from its control block, and images that are
// passed over (off the screen, without pixels) whole.
TEST(GifDecode, FramesAreCountedAndChosenAlike)
{
    GifFile gif(4, 2);
    gif.Image(0, 0, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    // Off the screen, with a local table and data full of block introducers.
    gif.Descriptor(2, 0, 4, 2, 0x81);
    gif.bytes.insert(gif.bytes.end(), {',', '!', ';', ',', '!', ';', ',', '!', ';', ',', '!', ';'});
    gif.Data({256, ',', '!', ';', 257});
    gif.Descriptor(0, 0, 0, 2, 0);
    gif.Data({256, 257});
    gif.Control(0x05, 3, 50);
    gif.Image(1, 0, 2, 2, {3, 9, 9, 3});
    // No end code, then a sub-block of more codes before the terminator.
    gif.Control(0x04, 0, 70);
    gif.Descriptor(0, 1, 2, 1, 0);
    gif.Data({256, 20, 21});
    gif.bytes.insert(gif.bytes.end() - 1, {1, 0xFF});
    gif.Image(0, 0, 4, 2, {30, 31, 32, 33, 34, 35, 36, 37});
    const Bytes file = gif.Done();

    GifCodec first;
    ASSERT_TRUE(DecodeBytes(first, file, file.size(), 0)) << first.GetLastError();
    EXPECT_EQ(first.GetNumFrames(), 4);
    EXPECT_EQ(first.GetTransparentIndex(), -1);
    EXPECT_EQ(first.GetFrameDelay(), 0);
    EXPECT_EQ(TopRgb(first, 3, 1), Entry(8));

    GifCodec second;
    ASSERT_TRUE(DecodeBytes(second, file, file.size(), 1)) << second.GetLastError();
    EXPECT_EQ(second.GetFrameDelay(), 50);
    // Drawn over the first frame, index 3 transparent.
    const std::vector<std::uint32_t> composed = {Entry(1), Entry(2), Entry(9), Entry(4), Entry(5), Entry(9), Entry(7), Entry(8)};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(TopRgb(second, i % 4, i / 4), composed[std::size_t(i)]) << i;

    GifCodec third;
    ASSERT_TRUE(DecodeBytes(third, file, file.size(), 2)) << third.GetLastError();
    EXPECT_EQ(third.GetFrameDelay(), 70);
    EXPECT_EQ(third.GetTransparentIndex(), -1);
    EXPECT_EQ(Indices(third), (std::vector<unsigned>{1, 2, 9, 4, 20, 21, 7, 8}));

    GifCodec fourth;
    ASSERT_TRUE(DecodeBytes(fourth, file, file.size(), 3)) << fourth.GetLastError();
    EXPECT_EQ(Indices(fourth), (std::vector<unsigned>{30, 31, 32, 33, 34, 35, 36, 37}));

    Picture beyond;
    beyond.SetFrame(4);
    MemoryStream in(file.data(), file.size());
    EXPECT_FALSE(beyond.Decode(in, ImageFormat::Gif));
    EXPECT_EQ(beyond.GetNumFrames(), 4);
    EXPECT_STRNE(beyond.GetLastError(), "");
}

// Code streams that break the rules end their image, keep what arrived and say so; the file
// goes on behind them.
TEST(GifDecode, BrokenCodeStreamsEndTheirImageOnly)
{
    struct Case {
        const char* what;
        std::vector<unsigned> codes;
        int codeSize;
        std::vector<unsigned> top;
    };
    const std::vector<Case> cases = {
        {"a code that refers to nothing before any clear", {300, 1, 2}, 8, {0, 0, 0}},
        {"a string code first: nothing to extend", {258, 5}, 8, {0, 0, 0}},
        {"end right after clear", {256, 256, 257, 7, 7}, 8, {0, 0, 0}},
        {"literals before the first clear", {4, 5, 6, 257}, 8, {4, 5, 6}},
        {"code size 1", {4, 5}, 1, {0, 0, 0}},
        {"code size 10", {4, 5}, 10, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GifFile gif(3, 2);
        gif.Descriptor(0, 0, 3, 2, 0);
        gif.Data(c.codes, true, c.codeSize);
        gif.Image(0, 0, 3, 2, {9, 9, 9, 9, 9, 9});
        const Bytes file = gif.Done();
        GifCodec ours;
        ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
        EXPECT_TRUE(ours.IsPartial());
        const std::vector<unsigned> indices = Indices(ours);
        EXPECT_EQ(std::vector<unsigned>(indices.begin(), indices.begin() + 3), c.top);
        EXPECT_EQ(ours.GetNumFrames(), 2);
        GifCodec next;
        ASSERT_TRUE(DecodeBytes(next, file, file.size(), 1)) << next.GetLastError();
        EXPECT_EQ(Indices(next), std::vector<unsigned>(6, 9));
    }
}

TEST(GifDecode, RowsGoWhereTheyBelong)
{
    // Interlaced rows arrive as 0, 4, 2, 1, 3.
    GifFile interlaced(1, 5);
    interlaced.Image(0, 0, 1, 5, {10, 14, 12, 11, 13}, 0x40);
    Bytes file = interlaced.Done();
    GifCodec ours;
    ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
    EXPECT_EQ(Indices(ours), (std::vector<unsigned>{10, 11, 12, 13, 14}));
    EXPECT_FALSE(ours.IsPartial());

    // More pixels than the image holds are dropped; indices beyond a 2-colour table are masked.
    GifFile small(9, 2, false);
    small.bytes[10] = 0x80;
    small.bytes.insert(small.bytes.end(), {0, 0, 0, 255, 255, 255});
    small.Image(0, 0, 9, 2, std::vector<unsigned>(40, 3));
    file = small.Done();
    ASSERT_TRUE(DecodeBytes(ours, file, file.size())) << ours.GetLastError();
    EXPECT_EQ(ours.GetBpp(), 1u);
    EXPECT_EQ(Indices(ours), std::vector<unsigned>(18, 1));

    // An application block of another size than 11 stops the reading.
    GifFile stopped(2, 1);
    stopped.bytes.insert(stopped.bytes.end(), {'!', 0xFF, 5, 1, 2, 3, 4, 5, 0});
    stopped.Image(0, 0, 2, 1, {1, 2});
    file = stopped.Done();
    EXPECT_FALSE(DecodeBytes(ours, file, file.size()));
    EXPECT_STREQ(ours.GetLastError(), "GIF: no image on the screen");
}

// Frames before the one asked for that it does not rest on are passed over, but a colour table
// they bring stays for the frames after them.
TEST(GifDecode, PassedOverFramesKeepTheirColourTable)
{
    GifFile gif(2, 1);
    gif.Image(0, 0, 2, 1, {1, 2});
    gif.Control(0x00, 0);
    gif.Descriptor(0, 0, 2, 1, 0x87);
    for (int i = 255; i >= 0; --i) gif.bytes.insert(gif.bytes.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
    gif.Data({256, 3, 4, 257});
    gif.Image(0, 0, 2, 1, {5, 6});
    const Bytes file = gif.Done();
    GifCodec last;
    ASSERT_TRUE(DecodeBytes(last, file, file.size(), 2)) << last.GetLastError();
    EXPECT_EQ(TopRgb(last, 0, 0), Entry(250));
    EXPECT_EQ(TopRgb(last, 1, 0), Entry(249));
}
