// The JPEG codec over the shared corpus: pixels against djpeg, resolution against exiftool's
// reference, and broken or cut-off files.
#include "ExternalDecoder.h"
#include "JpegCodec.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

bool IsJpegName(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg";
}

bool IsBroken(const fs::path& path)
{
    return path.string().find("/bad/") != std::string::npos;
}

std::vector<fs::path> JpegFiles(const fs::path& root, bool broken)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && IsJpegName(entry.path()) && IsBroken(entry.path()) == broken)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Components of the first frame header, 0 when none is found.
int FrameComponents(const std::vector<unsigned char>& bytes)
{
    for (std::size_t i = 2; i + 9 < bytes.size();) {
        if (bytes[i] != 0xFF) return 0;
        const int marker = bytes[i + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) return bytes[i + 9];
        i += 2 + std::size_t(bytes[i + 2] << 8 | bytes[i + 3]);
    }
    return 0;
}

bool DecodeBytes(JpegCodec& codec, const std::vector<unsigned char>& bytes)
{
    MemoryStream in(bytes.data(), bytes.size());
    return codec.Decode(in);
}

std::optional<double> Number(const nlohmann::json& object, const char* key)
{
    if (!object.contains(key)) return std::nullopt;
    const nlohmann::json& value = object[key];
    if (value.is_number()) return value.get<double>();
    return std::nullopt;
}

std::string Text(const nlohmann::json& object, const char* key)
{
    return object.contains(key) && object[key].is_string() ? object[key].get<std::string>() : std::string();
}

} // namespace

TEST(JpegCorpus, PixelsMatchDjpeg)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    if (!HaveTool("djpeg")) GTEST_SKIP() << "djpeg not installed";
    int compared = 0;
    for (const fs::path& root : {corpus / "jpeg", corpus / "exif"}) {
        for (const fs::path& file : JpegFiles(root, false)) {
            SCOPED_TRACE(file.string());
            JpegCodec codec;
            const std::vector<unsigned char> bytes = ReadFile(file);
            ASSERT_TRUE(DecodeBytes(codec, bytes)) << codec.GetLastError();
            const auto reference = DecodeWithDjpeg(file.string());
            ASSERT_TRUE(reference);
            ASSERT_EQ(reference->width, codec.GetWidth());
            ASSERT_EQ(reference->height, codec.GetHeight());
            EXPECT_EQ(reference->channels == 1 ? 8u : 24u, codec.GetBpp());
            int worst = 0;
            for (int y = 0; y < reference->height; ++y)
                for (int x = 0; x < reference->width; ++x)
                    worst = std::max(worst, ChannelDistance(reference->Rgba(x, y), PictureRgb(codec, x, y)));
            // djpeg rounds where the CMYK conversion here truncates.
            EXPECT_LE(worst, FrameComponents(bytes) == 4 ? 1 : 0);
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(JpegCorpus, GreyAndCmykFiles)
{
    VISTREL_REQUIRE_CORPUS(corpus, "jpeg/pillow");
    JpegCodec grey;
    ASSERT_TRUE(DecodeBytes(grey, ReadFile(corpus / "hopper_gray.jpg")));
    EXPECT_EQ(8u, grey.GetBpp());
    EXPECT_TRUE(grey.IsGrayScale());

    JpegCodec cmyk;
    ASSERT_TRUE(DecodeBytes(cmyk, ReadFile(corpus / "pil_sample_cmyk.jpg")));
    EXPECT_EQ(24u, cmyk.GetBpp());
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
    const auto reference = DecodeWithImageMagick((corpus / "pil_sample_cmyk.jpg").string());
    ASSERT_TRUE(reference);
    int worst = 0;
    for (int y = 0; y < reference->height; ++y)
        for (int x = 0; x < reference->width; ++x)
            worst = std::max(worst, ChannelDistance(reference->Rgba(x, y), PictureRgb(cmyk, x, y)));
    EXPECT_LE(worst, 2);
}

TEST(JpegCorpus, ResolutionMatchesExiftool)
{
    VISTREL_REQUIRE_CORPUS(exifDir, "exif");
    std::ifstream in(exifDir / "exif-reference.json");
    const nlohmann::json reference = nlohmann::json::parse(in);
    // Files whose photo directory gives no usable resolution: exiftool shows the JFIF or the
    // thumbnail's value, the codec keeps 96 as it does for every Exif file without one.
    const std::map<std::string, int> noExifResolution = {
        {"progressive-cat.jpg", 96},         {"hopper_orientation_2.jpg", 96},
        {"hopper_orientation_3.jpg", 96},    {"hopper_orientation_5.jpg", 96},
        {"hopper_orientation_6.jpg", 96},    {"hopper_orientation_8.jpg", 96},
        {"orientation_rectangle.jpg", 96},
        {"Nikon D5000.jpg", 96},             {"Sony DSC-HX5V (2).jpg", 96},
        {"broken_exif_dpi.jpg", 96},         {"exif_gps.jpg", 96},
        // Its second Exif block is not one, so the JFIF density counts: 1 dot per cm.
        {"jfif_unit_cm.jpg", 3},
    };
    int checked = 0;
    for (const nlohmann::json& object : reference) {
        const fs::path file = exifDir / Text(object, "SourceFile");
        if (IsBroken(file) || !IsJpegName(file)) continue;
        SCOPED_TRACE(file.string());
        const std::string name = file.filename().string();
        const auto x = Number(object, "XResolution");
        const std::string unit = Text(object, "ResolutionUnit");
        int expected = 1; // neither Exif nor JFIF: libjpeg's default density
        if (noExifResolution.count(name)) expected = noExifResolution.at(name);
        // NOLINTNEXTLINE(bugprone-branch-clone): a table entry and an Exif value in inches alike
        else if (object.contains("ExifByteOrder") && x && unit == "inches") expected = int(*x);
        else if (object.contains("ExifByteOrder") && x && unit == "cm") expected = int(float(*x) / 0.3937007784843445f);
        else if (object.contains("ExifByteOrder")) continue;
        else if (x && unit == "cm") expected = int(std::floor(*x * 2.54 + 0.5));
        else if (x) expected = int(*x);
        JpegCodec codec;
        ASSERT_TRUE(DecodeBytes(codec, ReadFile(file))) << codec.GetLastError();
        EXPECT_EQ(expected, codec.GetDpiX());
        ++checked;
    }
    EXPECT_GT(checked, 120);
}

TEST(JpegCorpus, BrokenFilesEndCleanly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    for (const fs::path& root : {corpus / "jpeg", corpus / "exif"}) {
        for (const fs::path& file : JpegFiles(root, true)) {
            SCOPED_TRACE(file.string());
            JpegCodec codec;
            if (DecodeBytes(codec, ReadFile(file))) {
                EXPECT_TRUE(codec.IsValid());
            } else {
                EXPECT_STRNE("", codec.GetLastError());
                EXPECT_FALSE(codec.IsValid());
            }
        }
    }
}

TEST(JpegCorpus, CutFilesGiveAnErrorOrAPartialImage)
{
    VISTREL_REQUIRE_CORPUS(corpus, "jpeg");
    for (const char* name : {"pillow/hopper.jpg", "pillow/hopper_gray.jpg", "pillow/pil_sample_cmyk.jpg",
                             "image-rs/progressive-cat.jpg", "image-rs/exif-xmp-metadata.jpg"}) {
        const std::vector<unsigned char> whole = ReadFile(corpus / name);
        ASSERT_GT(whole.size(), 200u) << name;
        for (std::size_t length : {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(20), std::size_t(200),
                                   whole.size() / 4, whole.size() / 2, whole.size() - 3}) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(length));
            JpegCodec codec;
            const std::vector<unsigned char> cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
            if (DecodeBytes(codec, cut)) {
                EXPECT_GT(codec.GetHeight(), 0);
            } else {
                EXPECT_STRNE("", codec.GetLastError());
                EXPECT_FALSE(codec.IsValid());
            }
        }
    }
}
