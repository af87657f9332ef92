// Every real BMP of the shared corpus and every known crasher: good files must match an
// independent decode, everything else must decode or fail cleanly, also when cut short.
#include "BmpCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

std::vector<fs::path> BmpFiles(const fs::path& dir, bool recursive)
{
    std::vector<fs::path> files;
    auto take = [&](const fs::directory_entry& entry) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (entry.is_regular_file() && ext == ".bmp") files.push_back(entry.path());
    };
    if (recursive) {
        for (const auto& entry : fs::recursive_directory_iterator(dir)) take(entry);
    } else {
        for (const auto& entry : fs::directory_iterator(dir)) take(entry);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The corpus' good files: bmpsuite/g and bmp/<source>/ outside bmp/bad.
std::vector<fs::path> GoodFiles(const fs::path& corpus)
{
    std::vector<fs::path> files = BmpFiles(corpus / "bmpsuite/g", false);
    for (const auto& entry : fs::directory_iterator(corpus / "bmp")) {
        if (!entry.is_directory() || entry.path().filename() == "bad") continue;
        const auto more = BmpFiles(entry.path(), false);
        files.insert(files.end(), more.begin(), more.end());
    }
    return files;
}

std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Top-down RGB bytes as ImageMagick decodes the file; empty when it cannot. Its exit status is
// not used: it also fails on files it decodes with a warning (a file size that does not match).
Bytes ImageMagickRgb(const fs::path& file)
{
    const std::string command = "convert " + Quoted(file.string()) + " -alpha off -depth 8 rgb:- 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    Bytes out;
    unsigned char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + got);
    pclose(pipe);
    return out;
}

Bytes TopDownRgb(const Picture& picture)
{
    Bytes out;
    for (std::int32_t y = picture.GetHeight() - 1; y >= 0; --y) {
        for (std::int32_t x = 0; x < picture.GetWidth(); ++x) {
            const RgbQuad c = picture.GetPixelColor(x, y);
            out.insert(out.end(), {c.red, c.green, c.blue});
        }
    }
    return out;
}

// 16-bit files keep 5 or 6 bits per channel; scaling them up may differ in the low bits.
int Tolerance(const Bytes& file)
{
    if (file.size() < 30) return 0;
    const bool withFileHeader = file[0] == 'B' && file[1] == 'M';
    const std::size_t bitsAt = withFileHeader ? 28 : 14;
    return file[bitsAt] == 16 ? 7 : 0;
}

bool HasImageMagick()
{
    return std::system("convert -version >/dev/null 2>&1") == 0;
}

// True on success; on failure the reason must be stated.
::testing::AssertionResult DecodesOrFailsCleanly(const Bytes& bytes, std::size_t length)
{
    MemoryStream stream(bytes.data(), length);
    BmpCodec codec;
    if (codec.Decode(stream)) {
        if (codec.IsValid() && codec.GetWidth() > 0 && codec.GetHeight() > 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "decoded without an image";
    }
    if (*codec.GetLastError()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "failed without a reason";
}

// Decodes the file and compares it with the suite's own rendering where it has one, else with
// an independent decoder's.
void ExpectMatchesReference(const fs::path& corpus, const fs::path& file, std::string referenceName = {})
{
    SCOPED_TRACE(file.string());
    const Bytes bytes = testsupport::ReadFile(file);
    Picture picture;
    MemoryStream stream(bytes.data(), bytes.size());
    ASSERT_TRUE(picture.Decode(stream, ImageFormat::Unknown)) << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), ImageFormat::Bmp);
    // ImageMagick reads the 3-byte palettes of OS/2 bitmap arrays as 4-byte entries; the
    // array's own bitmap is checked by the unit tests.
    if (bytes[0] == 'B' && bytes[1] == 'A') return;

    if (referenceName.empty()) referenceName = file.stem().string();
    const fs::path reference = corpus / "bmpsuite/reference" / (referenceName + ".png");
    const Bytes expected = ImageMagickRgb(fs::exists(reference) ? reference : file);
    ASSERT_FALSE(expected.empty());
    const Bytes actual = TopDownRgb(picture);
    ASSERT_EQ(actual.size(), expected.size());
    std::size_t worst = 0;
    for (std::size_t i = 0; i < actual.size(); ++i)
        worst = std::max<std::size_t>(worst, std::size_t(std::abs(int(actual[i]) - int(expected[i]))));
    EXPECT_LE(worst, std::size_t(Tolerance(bytes)));
}

} // namespace

TEST(BmpCorpus, GoodFilesMatchTheReferenceDecode)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    ASSERT_TRUE(fs::is_directory(corpus / "bmpsuite/g")) << corpus;
    if (!HasImageMagick()) GTEST_SKIP() << "ImageMagick convert not found";
    const auto files = GoodFiles(corpus);
    ASSERT_GT(files.size(), 30u);
    for (const fs::path& file : files) ExpectMatchesReference(corpus, file);
    // Questionable files that are read in full: 2-bit, OS/2 2.x, odd palettes and bit fields.
    for (const char* name : {"pal2", "pal2color", "pal1p1", "rgb24largepal", "rgb32-xbgr", "rgb32h52"})
        ExpectMatchesReference(corpus, corpus / "bmpsuite/q" / (std::string(name) + ".bmp"));
    for (const char* name : {"pal8os2v2", "pal8os2v2-16", "pal8os2v2-sz", "pal8os2-sz", "pal8oversizepal", "pal8offs"})
        ExpectMatchesReference(corpus, corpus / "bmpsuite/q" / (std::string(name) + ".bmp"), "pal8");
}

TEST(BmpCorpus, QuestionableBadAndCrasherFilesDecodeOrFailCleanly)
{
    std::vector<fs::path> files = BmpFiles(fs::path(VISTREL_SOURCE_DIR) / "tests/data/crashers/bmp", false);
    ASSERT_FALSE(files.empty());
    const fs::path corpus = testsupport::CorpusDir();
    if (!corpus.empty()) {
        for (const char* sub : {"bmpsuite/q", "bmpsuite/b", "bmpsuite/x", "bmp/bad"}) {
            if (!fs::is_directory(corpus / sub)) continue;
            const auto more = BmpFiles(corpus / sub, true);
            files.insert(files.end(), more.begin(), more.end());
        }
    }
    for (const fs::path& file : files) {
        const Bytes bytes = testsupport::ReadFile(file);
        EXPECT_TRUE(DecodesOrFailsCleanly(bytes, bytes.size())) << file;
    }
    EXPECT_FALSE(corpus.empty()) << "corpus folder missing: " << VISTREL_CORPUS_DIR;
}

TEST(BmpCorpus, GoodFilesCutShortDecodeOrFailCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    ASSERT_TRUE(fs::is_directory(corpus / "bmpsuite/g")) << corpus;
    for (const fs::path& file : GoodFiles(corpus)) {
        const Bytes bytes = testsupport::ReadFile(file);
        const std::size_t n = bytes.size();
        for (std::size_t length : {std::size_t(0), std::size_t(1), std::size_t(13), std::size_t(14), std::size_t(20),
                                   std::size_t(53), std::size_t(54), std::size_t(70), n / 3, n / 2, n - 1}) {
            if (length > n) continue;
            EXPECT_TRUE(DecodesOrFailsCleanly(bytes, length)) << file << " cut at " << length;
        }
    }
}
