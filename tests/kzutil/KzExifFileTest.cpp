// CKzExifFile: opening, error codes, tag values and the bounds on hostile entries.
#include "ExifBuilder.h"
#include "Kzutil.h"
#include "TestSupport.h"

#include <cmath>
#include <string>

using exiftest::Bytes;
using exiftest::ExifBuilder;

namespace {

constexpr int kMake = 0x010F;
constexpr int kModel = 0x0110;
constexpr int kExposureTime = 0x829A;
constexpr int kExifVersion = 0x9000;
constexpr int kPixelX = 0xA002;

class ExifFileTest : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes, const std::string& name = "photo.jpg")
    {
        std::string path = dir.file(name);
        testsupport::WriteFile(path, bytes);
        return path;
    }

    // Opens a file and returns the error code, read once.
    int OpenCode(const Bytes& bytes)
    {
        CKzExifFile file;
        EXPECT_FALSE(file.Open(Write(bytes).c_str()));
        EXPECT_FALSE(file.IsOpen());
        return file.GetErrorCode();
    }

    testsupport::TempDir dir;
};

ExifBuilder Camera(bool little)
{
    ExifBuilder b(little);
    b.Ascii(b.ifd0, kMake, "Maker").Ascii(b.ifd0, kModel, "Model X");
    b.Rational(b.exif, kExposureTime, 1, 250);
    b.Undefined(b.exif, kExifVersion, "0221");
    b.Short(b.exif, kPixelX, {640});
    return b;
}

TEST_F(ExifFileTest, ErrorCodesAreReportedOnceThenReset)
{
    CKzExifFile file;
    ASSERT_TRUE(file.Open(Write(Camera(true).Jpeg()).c_str()));
    EXPECT_FALSE(file.Open(dir.file("missing.jpg").c_str()));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorNoFile);
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorNone);

    EXPECT_FALSE(file.Open(""));
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorBadPath);
    EXPECT_FALSE(file.Open(std::string(260, 'a').c_str()));
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorBadPath);
    EXPECT_FALSE(file.Open(nullptr));
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorNone);
    EXPECT_FALSE(file.Open(dir.path().c_str()));
    EXPECT_EQ(file.GetErrorCode(), CKzExifFile::ErrorEmptyFile);

    EXPECT_EQ(OpenCode({}), CKzExifFile::ErrorEmptyFile);
    EXPECT_EQ(OpenCode({'B', 'M', 0, 0, 0xFF, 0xE1}), CKzExifFile::ErrorNoImageStart);
    EXPECT_EQ(OpenCode({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 0xFF, 0xD9}), CKzExifFile::ErrorNoExif);
    EXPECT_EQ(OpenCode(Camera(true).Jpeg('X')), CKzExifFile::ErrorCorrupt);
    ExifBuilder noPointer = Camera(false);
    noPointer.withExifPointer = false;
    EXPECT_EQ(OpenCode(noPointer.Jpeg()), CKzExifFile::ErrorCorrupt);
}

TEST_F(ExifFileTest, OnlyTheFirstApp1MarkerIsConsidered)
{
    Bytes file = {0xFF, 0xD8, 0xFF, 0xE1, 0, 8, 'X', 'M', 'P', 0, 0, 0};
    const Bytes exif = Camera(true).Jpeg();
    file.insert(file.end(), exif.begin() + 2, exif.end());
    EXPECT_EQ(OpenCode(file), CKzExifFile::ErrorNoExif);
    EXPECT_FALSE(CKzExifFile::IsExifFile(Write(file).c_str()));
    EXPECT_TRUE(CKzExifFile::IsExifFile(Write(exif).c_str()));
}

TEST_F(ExifFileTest, ReadsValuesInBothByteOrders)
{
    for (bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        ExifBuilder b = Camera(little);
        b.Long(b.exif, 0xA003, 480);
        b.Rational(b.exif, 0x9204, std::uint32_t(-2), 3, 10);
        b.Short(b.exif, 0x8827, {100, 200, 400});
        b.ifd0.push_back({0x0131, 1, 1, {7, 0, 0, 0}});
        CKzExifFile file;
        ASSERT_TRUE(file.Open(Write(b.Jpeg()).c_str()));
        EXPECT_TRUE(file.IsOpen());
        double value = 0;
        ASSERT_TRUE(file.GetValueDouble(kExposureTime, value));
        EXPECT_DOUBLE_EQ(value, 0.004);
        ASSERT_TRUE(file.GetValueDouble(kPixelX, value));
        EXPECT_EQ(value, 640);
        ASSERT_TRUE(file.GetValueDouble(0xA003, value));
        EXPECT_EQ(value, 480);
        ASSERT_TRUE(file.GetValueDouble(0x9204, value));
        EXPECT_DOUBLE_EQ(value, -2.0 / 3);
        ASSERT_TRUE(file.GetValueDouble(0x8827, value)); // the first of several shorts
        EXPECT_EQ(value, 100);
        EXPECT_FALSE(file.GetValueDouble(0x0131, value)); // byte type: unsupported
        EXPECT_FALSE(file.GetValueDouble(0x9003, value));

        EXPECT_STREQ(file.GetValueString(kMake), "Maker");
        EXPECT_STREQ(file.GetValueString(kModel), "Model X");
        EXPECT_STREQ(file.GetValueString(kExifVersion), "0221");
        EXPECT_STREQ(file.GetValueString(kPixelX), "");
        EXPECT_STREQ(file.GetValueString(0x9003), "");
        file.Close();
        EXPECT_FALSE(file.IsOpen());
        EXPECT_FALSE(file.GetValueDouble(kExposureTime, value));
        EXPECT_STREQ(file.GetValueString(kMake), "");
    }
}

TEST_F(ExifFileTest, UnsignedValuesStayPositive)
{
    ExifBuilder b(true);
    b.Rational(b.exif, kExposureTime, 4294967295u, 1);
    b.Long(b.exif, kPixelX, 3000000000u);
    b.Rational(b.exif, 0x829D, 28, 0);
    b.Rational(b.exif, 0x9202, 0, 0);
    CKzExifFile file;
    ASSERT_TRUE(file.Open(Write(b.Jpeg()).c_str()));
    double value = 0;
    ASSERT_TRUE(file.GetValueDouble(kExposureTime, value));
    EXPECT_EQ(value, 4294967295.0);
    ASSERT_TRUE(file.GetValueDouble(kPixelX, value));
    EXPECT_EQ(value, 3000000000.0);
    ASSERT_TRUE(file.GetValueDouble(0x829D, value));
    EXPECT_TRUE(std::isinf(value));
    ASSERT_TRUE(file.GetValueDouble(0x9202, value));
    EXPECT_TRUE(std::isnan(value));
}

TEST_F(ExifFileTest, HostileOffsetsAndCountsStayInsideTheBuffers)
{
    ExifBuilder b(true);
    b.Ascii(b.ifd0, kMake, std::string(3000, 'm'));
    b.exif.push_back({kModel, 2, 0xFFFFFFF0u, {0xF0, 0xFF, 0xFF, 0x7F}}); // offset far past the end
    b.exif.push_back({kExposureTime, 5, 1, {0xFC, 0xFF, 0xFF, 0xFF}});
    b.exif.push_back({0x9003, 2, 400, {0, 0, 0, 0}}); // offset 0 reads the TIFF header onward
    Bytes jpeg = b.Jpeg();
    CKzExifFile file;
    ASSERT_TRUE(file.Open(Write(jpeg).c_str()));
    EXPECT_EQ(std::string(file.GetValueString(kMake)), std::string(1023, 'm'));
    EXPECT_STREQ(file.GetValueString(kModel), "");
    double value = 1;
    ASSERT_TRUE(file.GetValueDouble(kExposureTime, value)); // 0 / 0 read outside the file
    EXPECT_TRUE(std::isnan(value));
    EXPECT_STREQ(file.GetValueString(0x9003), "II*");

    // A text that runs off the end of a cut file is cut there.
    ExifBuilder tail(true);
    tail.Ascii(tail.exif, kModel, std::string(200, 'x'));
    Bytes cut = tail.Jpeg();
    cut.resize(cut.size() - 2 - 100);
    ASSERT_TRUE(file.Open(Write(cut).c_str()));
    EXPECT_EQ(std::string(file.GetValueString(kModel)), std::string(102, 'x'));
}

TEST_F(ExifFileTest, TagsAreOnlySearchedInsideTheApp1Segment)
{
    ExifBuilder b(true);
    Bytes jpeg = b.Jpeg();
    // An entry for Make after the segment, as it could appear in image data.
    const Bytes stray = {0x0F, 0x01, 2, 0, 4, 0, 0, 0, 'A', 'B', 'C', 0};
    jpeg.insert(jpeg.end() - 2, stray.begin(), stray.end());
    CKzExifFile file;
    ASSERT_TRUE(file.Open(Write(jpeg).c_str()));
    EXPECT_STREQ(file.GetValueString(kMake), "");
}

TEST_F(ExifFileTest, CopiesShareTheBufferSafely)
{
    const std::string path = Write(Camera(true).Jpeg());
    CKzExifFile original;
    ASSERT_TRUE(original.Open(path.c_str()));
    CKzExifFile copy(original);
    CKzExifFile assigned;
    assigned = original;
    original.Close();
    EXPECT_FALSE(original.IsOpen());
    ASSERT_TRUE(copy.IsOpen());
    EXPECT_STREQ(copy.GetValueString(kModel), "Model X");
    copy.Close();
    EXPECT_STREQ(assigned.GetValueString(kMake), "Maker");
    EXPECT_STREQ(assigned.GetValueString(kMake), "Maker");
}

} // namespace
