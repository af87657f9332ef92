#include "ExifText.h"
#include "Kzutil.h"
#include "TestSupport.h"

#include "../kzutil/ExifBuilder.h"

#include <gtest/gtest.h>

using testsupport::TempDir;
using testsupport::WriteFile;

TEST(ExifText, ErrorCodesAndTheirTexts)
{
    EXPECT_STREQ(exiftext::ErrorText(CKzExifFile::ErrorNoImageStart), exiftext::kNoExif);
    EXPECT_STREQ(exiftext::ErrorText(CKzExifFile::ErrorNoExif), exiftext::kNoExif);
    EXPECT_STREQ(exiftext::ErrorText(CKzExifFile::ErrorCorrupt), exiftext::kCorrupt);
    for (int code : {0, 1, 2, 3, 4, 8, 99}) EXPECT_STREQ(exiftext::ErrorText(code), "") << code;
    EXPECT_STREQ(exiftext::kNoExif, "This file contains no Exif information.");
    EXPECT_STREQ(exiftext::kCorrupt, "The Exif information in this file is corrupt.");
}

TEST(ExifText, ReportOrErrorForAFile)
{
    TempDir dir;
    exiftest::ExifBuilder camera;
    camera.Ascii(camera.ifd0, 0x010F, "Maker").Ascii(camera.ifd0, 0x0110, "Model X");
    WriteFile(dir.file("good.jpg"), camera.Jpeg());
    WriteFile(dir.file("corrupt.jpg"), camera.Jpeg('X'));
    WriteFile(dir.file("plain.jpg"), exiftest::Bytes{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9});
    WriteFile(dir.file("text.jpg"), std::string("not an image"));

    const std::string report = exiftext::ForFile(dir.file("good.jpg"));
    EXPECT_NE(report.find("Maker"), std::string::npos) << report;
    EXPECT_NE(report.find("Model X"), std::string::npos) << report;
    EXPECT_EQ(exiftext::ForFile(dir.file("corrupt.jpg")), exiftext::kCorrupt);
    EXPECT_EQ(exiftext::ForFile(dir.file("plain.jpg")), exiftext::kNoExif);
    EXPECT_EQ(exiftext::ForFile(dir.file("text.jpg")), exiftext::kNoExif);
    EXPECT_EQ(exiftext::ForFile(dir.file("missing.jpg")), "");
}

TEST(ExifText, CameraPhotoReportFitsTheBuffer)
{
    VISTREL_REQUIRE_CORPUS(corpus, "exif/exif-samples");
    const std::string report = exiftext::ForFile((corpus / "Canon_40D.jpg").string());
    EXPECT_NE(report.find("Canon"), std::string::npos) << report;
    EXPECT_LT(report.size(), exiftext::kReportCapacity);
}
