// Camera photos turned upright as their Exif orientation says, in the view and on the thumbnail
// page, against ImageMagick's -auto-orient; left as stored when the setting is off.
#include "ExternalDecoder.h"
#include "FakePlatform.h"
#include "ImageDocument.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::RawImage;

namespace {

constexpr char kAppKey[] = "Software\\Marvensk\\Vistrel";

// Over all pixels and channels; infinite for identical pictures.
double Psnr(const Picture& picture, const RawImage& reference)
{
    double squares = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const std::uint32_t ours = testsupport::PictureRgb(picture, x, y);
            const std::uint32_t theirs = reference.Rgba(x, y);
            for (int c = 0; c < 3; ++c) {
                const double d = double((ours >> 8 * c) & 0xFF) - double((theirs >> 8 * c) & 0xFF);
                squares += d * d;
            }
        }
    const double mean = squares / (3.0 * reference.width * reference.height);
    return mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean);
}

::testing::AssertionResult Matches(const Picture& picture, const std::optional<RawImage>& reference, double bound)
{
    if (!reference) return ::testing::AssertionFailure() << "ImageMagick could not decode it";
    if (picture.GetWidth() != reference->width || picture.GetHeight() != reference->height)
        return ::testing::AssertionFailure() << picture.GetWidth() << " x " << picture.GetHeight() << " instead of "
                                             << reference->width << " x " << reference->height;
    const double psnr = Psnr(picture, *reference);
    if (psnr < bound) return ::testing::AssertionFailure() << "PSNR " << psnr << " dB";
    return ::testing::AssertionSuccess();
}

class OrientationTest : public ::testing::Test {
protected:
    testsupport::TempDir photos;
    testsupport::TempDir store;

    void SetUp() override
    {
        if (!testsupport::HaveTool("convert") || !testsupport::HaveTool("exiftool"))
            GTEST_SKIP() << "needs ImageMagick's convert and exiftool";
        setenv("KZUTIL_REGISTRY_DIR", store.file("registry").c_str(), 1);
    }
    void TearDown() override
    {
        fs::current_path(fs::temp_directory_path());
        unsetenv("KZUTIL_REGISTRY_DIR");
    }

    // The corpus's oriented photos, and a grey photo given each of the eight orientations by
    // exiftool, all copied into the photo folder.
    std::vector<fs::path> Samples()
    {
        std::vector<fs::path> samples;
        for (const auto& entry : fs::directory_iterator(testsupport::CorpusDir("exif/exif-samples/orientation"))) {
            samples.push_back(photos.path() / entry.path().filename());
            fs::copy_file(entry.path(), samples.back());
        }
        const fs::path grey = testsupport::CorpusDir("jpeg/pillow") / "hopper_gray.jpg";
        for (int orientation = 1; orientation <= 8; ++orientation) {
            samples.push_back(photos.path() / ("grey_" + std::to_string(orientation) + ".jpg"));
            const std::string command = "exiftool -q -Orientation#=" + std::to_string(orientation) + " -o " +
                                        testsupport::ShellQuote(samples.back().string()) + " " +
                                        testsupport::ShellQuote(grey.string());
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
        }
        return samples;
    }

    // Builds the page and checks every thumbnail against ImageMagick's reduction of the photo,
    // and its shape against the photo as the view loads it.
    void CheckThumbnails(const std::vector<fs::path>& samples, bool upright)
    {
        ThumbnailPageBuilder builder{desktop};
        ASSERT_TRUE(CKzRegistry::SetValueString("HKEY_CURRENT_USER", kAppKey, "InstallPath", "/nowhere/"));
        builder.LoadTemplate();
        ASSERT_TRUE(builder.Build(photos.path().c_str()));
        for (const fs::path& sample : samples) {
            Picture thumbnail;
            ASSERT_TRUE(thumbnail.Load((photos.path() / ThumbnailPageBuilder::kThumbFolder / sample.filename()).string()));
            ImageDocument photo;
            photo.SetAutoOrient(upright);
            ASSERT_TRUE(photo.Load(sample.c_str()));
            EXPECT_EQ(thumbnail.GetWidth() > thumbnail.GetHeight(),
                      photo.GetPicture().GetWidth() > photo.GetPicture().GetHeight())
                << sample.filename();
            const std::string size = std::to_string(thumbnail.GetWidth()) + "x" + std::to_string(thumbnail.GetHeight());
            const auto reference =
                testsupport::ConvertWith(sample.string(), (upright ? "-auto-orient" : "") + std::string(" -resize ") + size + "!");
            EXPECT_TRUE(Matches(thumbnail, reference, 24)) << sample.filename();
        }
    }

    testsupport::FakeDesktop desktop;
};

} // namespace

TEST_F(OrientationTest, ViewLoadsPhotosUprightAndAsStoredWhenOff)
{
    for (const fs::path& sample : Samples()) {
        ImageDocument document;
        ASSERT_TRUE(document.Load(sample.c_str())) << sample;
        EXPECT_TRUE(Matches(document.GetPicture(), testsupport::ConvertWith(sample.string(), "-auto-orient"), 40))
            << sample.filename();
        EXPECT_EQ(document.GetInfo().width, document.GetPicture().GetWidth());

        document.SetAutoOrient(false);
        ASSERT_TRUE(document.Load(sample.c_str()));
        EXPECT_TRUE(Matches(document.GetPicture(), testsupport::ConvertWith(sample.string(), ""), 40)) << sample.filename();
    }
}

TEST_F(OrientationTest, ThumbnailsAreUprightUnlessTheSettingIsZero)
{
    const std::vector<fs::path> samples = Samples();
    CheckThumbnails(samples, true);
    ASSERT_TRUE(CKzRegistry::SetValueInt("HKEY_CURRENT_USER", kAppKey, "AutoOrient", 0));
    CheckThumbnails(samples, false);
}
