// The Exif resolution walk: units, thumbnails, and hostile directory links.
#include "JpegCodec.h"
#include "JpegSectionReader.h"
#include "MemoryStream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Entry {
    std::uint16_t tag;
    std::uint16_t format;
    std::uint32_t count;
    std::uint32_t value;
    std::vector<std::uint32_t> data = {}; // stored after the directories; value becomes its offset
};

constexpr std::uint16_t kShort = 3, kRational = 5;

Entry Rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator)
{
    return {tag, kRational, 1, 0, {numerator, denominator}};
}

Entry Unit(std::uint16_t unit)
{
    return {0x0128, kShort, 1, unit};
}

// "Exif\0\0", then a TIFF block in either byte order with IFD0 at 8 and, when given, IFD1
// linked after it.
class ExifBuilder {
public:
    explicit ExifBuilder(bool bigEndian = false) : big(bigEndian) {}

    std::vector<std::uint8_t> Build(const std::vector<Entry>& ifd0, const std::vector<Entry>& ifd1 = {})
    {
        tiff.assign(2, big ? 'M' : 'I');
        U16(42);
        U32(8);
        const std::size_t ifd0Size = 2 + 12 * ifd0.size() + 4;
        const std::size_t ifd1Start = 8 + ifd0Size;
        const std::size_t ifd1Size = ifd1.empty() ? 0 : 2 + 12 * ifd1.size() + 4;
        std::size_t data = ifd1Start + ifd1Size;
        WriteDirectory(ifd0, ifd1.empty() ? 0 : std::uint32_t(ifd1Start), data);
        if (!ifd1.empty()) WriteDirectory(ifd1, 0, data);
        for (const auto* ifd : {&ifd0, &ifd1})
            for (const Entry& e : *ifd)
                for (std::uint32_t v : e.data) U32(v);
        std::vector<std::uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
        block.insert(block.end(), tiff.begin(), tiff.end());
        return block;
    }

    void U16(std::uint32_t v)
    {
        const std::uint8_t b[] = {std::uint8_t(v), std::uint8_t(v >> 8)};
        tiff.push_back(big ? b[1] : b[0]);
        tiff.push_back(big ? b[0] : b[1]);
    }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) tiff.push_back(std::uint8_t(v >> (big ? 24 - 8 * i : 8 * i)));
    }

private:
    void WriteDirectory(const std::vector<Entry>& entries, std::uint32_t next, std::size_t& data)
    {
        U16(std::uint32_t(entries.size()));
        for (const Entry& e : entries) {
            U16(e.tag);
            U16(e.format);
            U32(e.count);
            if (e.data.empty()) {
                if (e.format == kShort) {
                    U16(e.value);
                    U16(0);
                } else {
                    U32(e.value);
                }
            } else {
                U32(std::uint32_t(data));
                data += 4 * e.data.size();
            }
        }
        U32(next);
    }

    bool big;
    std::vector<std::uint8_t> tiff;
};

ExifSummary Process(const std::vector<std::uint8_t>& block, bool* ok = nullptr, std::string* problem = nullptr)
{
    ExifSummary summary;
    JpegSectionReader reader(summary);
    const bool result = reader.ProcessExif(block);
    if (ok) *ok = result;
    if (problem) *problem = reader.LastProblem();
    return summary;
}

// A small JPEG from the encoder (JFIF density 300 dpi) with the Exif block put in front.
std::vector<std::uint8_t> JpegWithExif(const std::vector<std::uint8_t>& exif)
{
    Picture picture(8, 8, 24);
    picture.SetDpiX(300);
    picture.SetDpiY(300);
    MemoryStream out;
    EXPECT_TRUE(picture.Encode(out, ImageFormat::Jpg));
    std::vector<std::uint8_t> jpeg(out.GetBuffer(), out.GetBuffer() + out.Size());
    const std::size_t length = exif.size() + 2;
    std::vector<std::uint8_t> app1 = {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)};
    app1.insert(app1.end(), exif.begin(), exif.end());
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

std::pair<int, int> DecodedDpi(const std::vector<std::uint8_t>& exif)
{
    const std::vector<std::uint8_t> jpeg = JpegWithExif(exif);
    MemoryStream in(jpeg.data(), jpeg.size());
    JpegCodec codec;
    EXPECT_TRUE(codec.Decode(in)) << codec.GetLastError();
    return {codec.GetDpiX(), codec.GetDpiY()};
}

} // namespace

TEST(JpegExif, InchAndCentimetreUnitsGiveDpi)
{
    for (bool big : {false, true}) {
        ExifBuilder builder(big);
        EXPECT_EQ(std::make_pair(72, 180),
                  DecodedDpi(builder.Build({Rational(0x011A, 72, 1), Rational(0x011B, 180, 1), Unit(2)})));
        // 28.35 dots per centimetre is 72.009 dpi, truncated.
        EXPECT_EQ(std::make_pair(72, 72),
                  DecodedDpi(builder.Build({Rational(0x011A, 2835, 100), Rational(0x011B, 2835, 100), Unit(3)})));
        EXPECT_EQ(std::make_pair(254, 254),
                  DecodedDpi(builder.Build({Rational(0x011A, 10, 1), Rational(0x011B, 10, 1), Unit(4)})));
    }
}

TEST(JpegExif, MissingUnitOrValueKeepsTheDefaultOverJfif)
{
    ExifBuilder builder;
    EXPECT_EQ(std::make_pair(96, 96), DecodedDpi(builder.Build({Rational(0x011A, 72, 1), Rational(0x011B, 72, 1)})));
    EXPECT_EQ(std::make_pair(96, 72), DecodedDpi(builder.Build({Rational(0x011B, 72, 1), Unit(2)})));
    // Zero denominators, negative and absurd values are no resolution.
    EXPECT_EQ(std::make_pair(96, 96),
              DecodedDpi(builder.Build({Rational(0x011A, 72, 0), Rational(0x011B, 0xFFFFFFFF, 1), Unit(2)})));
}

TEST(JpegExif, ThumbnailDirectoryDoesNotOverrideThePhoto)
{
    ExifBuilder builder;
    const auto exif = builder.Build({Rational(0x011A, 300, 1), Rational(0x011B, 300, 1), Unit(2)},
                                    {Rational(0x011A, 1, 1), Rational(0x011B, 1, 1), Unit(3)});
    EXPECT_EQ(std::make_pair(300, 300), DecodedDpi(exif));
}

TEST(JpegExif, BrokenHeadersAreNotExif)
{
    ExifBuilder builder;
    std::vector<std::uint8_t> block = builder.Build({Unit(2)});
    struct Case {
        std::size_t offset;
        std::uint8_t value;
        const char* problem;
    } cases[] = {
        {4, 1, "Incorrect Exif header"},
        {6, 'X', "Invalid Exif alignment marker."},
        {8, 43, "Invalid Exif start (1)"},
        {10, 40, "Suspicious offset of first IFD value"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> broken = block;
        broken[c.offset] = c.value;
        bool ok = true;
        std::string problem;
        Process(broken, &ok, &problem);
        EXPECT_FALSE(ok);
        EXPECT_EQ(c.problem, problem);
    }
    // Exif block counts no more: the JFIF density applies.
    std::vector<std::uint8_t> broken = block;
    broken[8] = 43;
    EXPECT_EQ(std::make_pair(300, 300), DecodedDpi(broken));
}

TEST(JpegExif, OffsetsThatWouldWrapAreRejected)
{
    ExifBuilder builder;
    bool ok = true;
    std::string problem;
    // count × 8 bytes at an offset near 2^32: the sum must not wrap into range.
    Process(builder.Build({{0x011A, kRational, 0x20000000, 0xFFFFFFF8}}), &ok, &problem);
    EXPECT_FALSE(ok);
    EXPECT_EQ("Illegal pointer offset value in EXIF.", problem);

    Process(builder.Build({{0x011A, 13, 1, 0}}), &ok, &problem);
    EXPECT_EQ("Illegal format code in EXIF dir", problem);

    Process(builder.Build({{0x8769, 4, 1, 0xFFFFFFF0}}), &ok, &problem);
    EXPECT_EQ("Illegal subdirectory link", problem);

    // An entry count that runs past the block.
    std::vector<std::uint8_t> block = builder.Build({Unit(2)});
    block[14] = 0xFF;
    Process(block, &ok, &problem);
    EXPECT_EQ("Illegally sized directory", problem);
}

TEST(JpegExif, DirectoryLoopsEnd)
{
    ExifBuilder builder;
    // IFD0 links to itself as next directory and through an Exif sub-directory.
    std::vector<std::uint8_t> block = builder.Build({Rational(0x011A, 72, 1), {0x8769, 4, 1, 8}, Unit(2)});
    const std::size_t next = 6 + 8 + 2 + 12 * 3;
    block[next] = 8;
    bool ok = false;
    const ExifSummary summary = Process(block, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FLOAT_EQ(72, summary.xResolution);
    EXPECT_FLOAT_EQ(1, summary.resolutionUnitFactor);
}
