#include "ExternalDecoder.h"
#include "Picture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

// The size a width x height picture gets when fitted into a box keeping its proportions.
void FitSize(int width, int height, int box, int& fittedWidth, int& fittedHeight)
{
    const double scale = std::min(double(box) / width, double(box) / height);
    fittedWidth = std::max(1, int(width * scale));
    fittedHeight = std::max(1, int(height * scale));
}

struct Photo {
    const char* path; // in the corpus
    int width, height;
};

constexpr Photo kPhotos[] = {
    {"exif/exif-samples/tests/30-type_error.jpg", 3872, 2403},
    {"exif/exif-samples/tests/67-0_length_string.jpg", 4032, 2012},
    {"exif/exif-samples/tests/33-type_error.jpg", 2560, 1600},
    {"exif/exif-samples/hdr/canon_hdr_YES.jpg", 2048, 1536},
    {"exif/commons-imaging/2008-07-27+-+Photo+216+-+WE+a+l'etang+de+Blodelsheim.jpg", 1080, 1920},
};

} // namespace

// A photo loaded for a box comes out at libjpeg's smallest scale that leaves twice the box each
// way, and averaged down to the box it matches the full decode averaged down to the same size.
TEST(ShrinkOnLoad, ScaledDecodeAveragesToTheFullDecodesThumbnail)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    for (const Photo& photo : kPhotos) {
        Picture full;
        ASSERT_TRUE(full.Load((corpus / photo.path).string(), ImageFormat::Jpg)) << photo.path;
        ASSERT_EQ(full.GetWidth(), photo.width) << photo.path;
        ASSERT_EQ(full.GetHeight(), photo.height) << photo.path;
        for (const int box : {60, 120, 400}) {
            SCOPED_TRACE(std::string(photo.path) + " box " + std::to_string(box));
            int denominator = 1;
            for (const int d : {8, 4, 2})
                if (denominator == 1 && photo.width / d >= 2 * box && photo.height / d >= 2 * box) denominator = d;
            Picture scaled;
            scaled.SetDecodeBox(box, box);
            ASSERT_TRUE(scaled.Load((corpus / photo.path).string(), ImageFormat::Unknown));
            EXPECT_EQ(scaled.GetWidth(), (photo.width + denominator - 1) / denominator);
            EXPECT_EQ(scaled.GetHeight(), (photo.height + denominator - 1) / denominator);
            EXPECT_EQ(scaled.GetBpp(), full.GetBpp());

            int width = 0, height = 0;
            FitSize(photo.width, photo.height, box, width, height);
            // Grey pictures too are compared as area averages, which only 24-bit pictures get.
            Picture expected(full);
            if (expected.GetBpp() < 24) {
                ASSERT_TRUE(expected.IncreaseBpp(24));
                ASSERT_TRUE(scaled.IncreaseBpp(24));
            }
            ASSERT_TRUE(expected.Resample(width, height));
            ASSERT_TRUE(scaled.Resample(width, height));
            const double psnr = testsupport::Psnr(expected, scaled);
            std::printf("  %s box %d: 1/%d, %.1f dB\n", photo.path, box, denominator, psnr);
            EXPECT_GE(psnr, 35.0);
        }
    }
}

TEST(ShrinkOnLoad, OtherFormatsAndNoBoxDecodeInFull)
{
    testsupport::TempDir dir;
    Picture big(1000, 800, 8);
    big.SetGrayPalette();
    ASSERT_TRUE(big.Save(dir.file("big.png"), ImageFormat::Png));
    ASSERT_TRUE(big.Save(dir.file("big.jpg"), ImageFormat::Jpg));
    Picture loaded;
    loaded.SetDecodeBox(60, 60);
    ASSERT_TRUE(loaded.Load(dir.file("big.png"), ImageFormat::Png));
    EXPECT_EQ(loaded.GetWidth(), 1000);
    loaded.SetDecodeBox(0, 60);
    ASSERT_TRUE(loaded.Load(dir.file("big.jpg"), ImageFormat::Jpg));
    EXPECT_EQ(loaded.GetWidth(), 1000);
    loaded.SetDecodeBox(60, 60);
    ASSERT_TRUE(loaded.Load(dir.file("big.jpg"), ImageFormat::Jpg));
    EXPECT_EQ(loaded.GetWidth(), 250);
    EXPECT_EQ(loaded.GetHeight(), 200);
    EXPECT_TRUE(loaded.IsGrayScale());
}
