// CKzExifFile::GetExifInformation: lines, formats, the fitting rule and the Canon maker note.
#include "ExifBuilder.h"
#include "Kzutil.h"
#include "TestSupport.h"

#include <cstring>
#include <string>
#include <vector>

using exiftest::Bytes;
using exiftest::ExifBuilder;

namespace {

enum Tag {
    Make = 0x010F, Model = 0x0110, ExposureTime = 0x829A, FNumber = 0x829D, Iso = 0x8827,
    ExifVersion = 0x9000, DateTimeOriginal = 0x9003, ShutterSpeedValue = 0x9201, ApertureValue = 0x9202,
    FocalLength = 0x920A, PixelX = 0xA002, PixelY = 0xA003,
};

// Camera-settings array of a Canon maker note with the elements the report decodes.
std::vector<std::uint16_t> CanonSettings(std::uint16_t macro, std::uint16_t flash, std::uint16_t focusMode,
                                         std::uint16_t iso, std::uint16_t focusType, std::uint16_t fired)
{
    std::vector<std::uint16_t> s(40, 0);
    s[0] = 80; // the array's own byte count in real files
    s[1] = macro;
    s[4] = flash;
    s[7] = focusMode;
    s[16] = iso;
    s[18] = focusType;
    s[23] = 681; // 21.3 mm
    s[24] = 227; // 7.1 mm
    s[25] = 32;  // focal units per mm
    s[28] = fired;
    return s;
}

class ExifReportTest : public ::testing::Test {
protected:
    // The report of a file, in a buffer of size bytes that starts with prefix.
    std::string Report(const Bytes& jpeg, int size = 4096, const std::string& prefix = {}, bool* result = nullptr)
    {
        const std::string path = dir.file(name);
        testsupport::WriteFile(path, jpeg);
        CKzExifFile file;
        EXPECT_TRUE(file.Open(path.c_str()));
        std::vector<char> text(size_t(size), 0);
        std::memcpy(text.data(), prefix.c_str(), prefix.size() + 1);
        const bool ok = file.GetExifInformation(text.data(), size);
        if (result) *result = ok;
        file.Close();
        return std::string(text.data(), strnlen(text.data(), text.size()));
    }

    static bool Has(const std::string& report, const std::string& line)
    {
        return report.find(line) != std::string::npos;
    }

    testsupport::TempDir dir;
    std::string name = "IMG_0001.JPG";
};

// Replaces the camera-settings entry, which stays the first of the maker note.
void SetSettings(ExifBuilder& b, bool little, const std::vector<std::uint16_t>& settings)
{
    ExifBuilder entry(little);
    entry.Short(entry.makerNote, 0x0001, settings);
    b.makerNote[0] = entry.makerNote[0];
}

ExifBuilder Canon(bool little)
{
    ExifBuilder b(little);
    b.Ascii(b.ifd0, Make, "Canon").Ascii(b.ifd0, Model, "Canon PowerShot S40");
    b.Undefined(b.exif, ExifVersion, "0220");
    b.Ascii(b.exif, DateTimeOriginal, "2003:12:14 12:01:44");
    b.Rational(b.exif, ExposureTime, 1, 500).Rational(b.exif, FNumber, 49, 10);
    b.Rational(b.exif, FocalLength, 682, 32);
    b.Short(b.exif, PixelX, {2272}).Short(b.exif, PixelY, {1704});
    b.Short(b.makerNote, 0x0001, CanonSettings(2, 1, 4, 17, 1, 0));
    b.Ascii(b.makerNote, 0x0007, "Firmware Version 1.10");
    b.Ascii(b.makerNote, 0x0009, "Andreas Huggel");
    return b;
}

TEST_F(ExifReportTest, CanonReportInBothByteOrders)
{
    for (bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        bool ok = false;
        const Bytes jpeg = Canon(little).Jpeg();
        const std::string report = Report(jpeg, 4096, {}, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(report, "[Camera]\r\n"
                          "  Manufacturer:\t\tCanon\r\n"
                          "  Model:\t\t\tCanon PowerShot S40\r\n"
                          "  Exif support:\t\tVersion 2.2 (April 2002)\r\n"
                          "  Firmware:\t\tFirmware Version 1.10\r\n"
                          "  Owner name:\t\tAndreas Huggel\r\n"
                          "\r\n[File]\r\n"
                          "  Name:\t\t\tIMG_0001.JPG\r\n"
                          "  Date/Time image taken:\t2003:12:14 12:01:44\r\n"
                          "  File size:\t\t\t0 KB\r\n"
                          "  Image size:\t\t2272 x 1704\r\n"
                          "  Focal length:\t\t21.3 mm\r\n"
                          "  Focal range:\t\t7.1 - 21.3 mm\r\n"
                          "  Focus type:\t\tAuto\r\n"
                          "  Focus mode:\t\tSingle\r\n"
                          "  Macro mode:\t\tNo\r\n"
                          "  Shutter Speed:\t\t1/500 sec.\r\n"
                          "  F-number:\t\tf/4.9\r\n"
                          "  ISO Speed:\t\t100\r\n"
                          "  Flash fired:\t\tNo\r\n"
                          "  Flash mode:\t\tAuto\r\n");
    }
}

TEST_F(ExifReportTest, ExposureApertureAndIsoLines)
{
    ExifBuilder b;
    b.Rational(b.exif, ExposureTime, 1, 125).Rational(b.exif, FNumber, 28, 10).Short(b.exif, Iso, {100});
    std::string report = Report(b.Jpeg());
    EXPECT_TRUE(Has(report, "  Shutter Speed:\t\t1/125 sec.\r\n  F-number:\t\tf/2.8\r\n  ISO Speed:\t\t100\r\n"))
        << report;

    ExifBuilder apex;
    apex.Rational(apex.exif, ShutterSpeedValue, 7, 1, 10).Rational(apex.exif, ApertureValue, 4, 1);
    report = Report(apex.Jpeg());
    EXPECT_TRUE(Has(report, "  Shutter Speed:\t\t1/128 sec.\r\n  F-number:\t\tf/4.0\r\n")) << report;
    EXPECT_FALSE(Has(report, "ISO"));

    // A zero exposure or f-number falls back to the APEX value; a zero ISO gives no line.
    ExifBuilder zero;
    zero.Rational(zero.exif, ExposureTime, 0, 1).Rational(zero.exif, ShutterSpeedValue, 8, 1, 10);
    zero.Rational(zero.exif, FNumber, 0, 10).Rational(zero.exif, ApertureValue, 2, 1);
    zero.Short(zero.exif, Iso, {0});
    report = Report(zero.Jpeg());
    EXPECT_TRUE(Has(report, "  Shutter Speed:\t\t1/256 sec.\r\n  F-number:\t\tf/2.0\r\n")) << report;
    EXPECT_FALSE(Has(report, "ISO"));
}

TEST_F(ExifReportTest, ShutterSpeedRoundsAndShowsLongExposuresInSeconds)
{
    const struct {
        std::uint32_t num, den;
        const char* shown;
    } cases[] = {{1, 93, "1/93"}, {10, 930, "1/93"}, {1, 3, "1/3"}, {3, 10, "1/3"}, {10, 12, "0.8"},
                 {1, 1, "1"},     {2, 1, "2"},       {3, 2, "1.5"}, {30, 1, "30"},   {4294967295u, 1, "4294967295"}};
    for (const auto& c : cases) {
        ExifBuilder b;
        b.Rational(b.exif, ExposureTime, c.num, c.den);
        EXPECT_TRUE(Has(Report(b.Jpeg()), std::string("  Shutter Speed:\t\t") + c.shown + " sec.\r\n"))
            << c.num << "/" << c.den;
    }
    ExifBuilder apex; // ShutterSpeedValue -1 is a two-second exposure
    apex.Rational(apex.exif, ShutterSpeedValue, std::uint32_t(-1), 1, 10);
    EXPECT_TRUE(Has(Report(apex.Jpeg()), "  Shutter Speed:\t\t2 sec.\r\n"));
}

TEST_F(ExifReportTest, ExifVersionLines)
{
    const struct {
        const char* version;
        const char* line;
    } cases[] = {{"0200", "Version 2.0 (November 1997)"}, {"0210", "Version 2.1 (June 1998)"},
                 {"0220", "Version 2.2 (April 2002)"},    {"0221", "Version 2.21"},
                 {"0230", "Version 2.30"},                {"0000", nullptr},
                 {"0x12", nullptr}};
    for (const auto& c : cases) {
        ExifBuilder b;
        b.Undefined(b.exif, ExifVersion, c.version).Ascii(b.ifd0, Make, "Maker");
        const std::string report = Report(b.Jpeg());
        if (c.line)
            EXPECT_TRUE(Has(report, std::string("  Exif support:\t\t") + c.line + "\r\n")) << c.version;
        else
            EXPECT_FALSE(Has(report, "Exif support")) << c.version;
    }
}

TEST_F(ExifReportTest, CanonDetectionAndMakerNoteDecoding)
{
    ExifBuilder upper = Canon(true);
    upper.ifd0[0] = {Make, 2, 10, {'C', 'A', 'N', 'O', 'N', ' ', 'E', 'O', 'S', 0}};
    EXPECT_TRUE(Has(Report(upper.Jpeg()), "  Focus mode:\t\tSingle\r\n"));

    ExifBuilder other = Canon(true);
    other.ifd0[0] = {Make, 2, 4, {'C', 'a', 'n', 0}};
    const std::string notCanon = Report(other.Jpeg());
    EXPECT_FALSE(Has(notCanon, "Firmware"));
    EXPECT_FALSE(Has(notCanon, "Flash"));

    // Values outside the tables give no line; flash mode 7 is one of them.
    ExifBuilder odd = Canon(false);
    SetSettings(odd, false, CanonSettings(3, 7, 5, 99, 8, 1));
    std::string report = Report(odd.Jpeg());
    EXPECT_FALSE(Has(report, "Flash mode"));
    EXPECT_FALSE(Has(report, "Macro mode"));
    EXPECT_TRUE(Has(report, "  Focus type:\t\tLocked\r\n  Focus mode:\t\tContinuous\r\n"));
    EXPECT_TRUE(Has(report, "  Flash fired:\t\tYes\r\n"));

    // Without ISOSpeedRatings the camera-settings ISO is shown.
    EXPECT_TRUE(Has(Report(Canon(true).Jpeg()), "  ISO Speed:\t\t100\r\n"));
    ExifBuilder withIso = Canon(true);
    withIso.Short(withIso.exif, Iso, {0});
    EXPECT_FALSE(Has(Report(withIso.Jpeg()), "ISO Speed"));
}

TEST_F(ExifReportTest, MakerNoteWithoutFocalUnitsGivesNoFocalRange)
{
    ExifBuilder b = Canon(true);
    std::vector<std::uint16_t> settings = CanonSettings(1, 2, 0, 16, 0, 1);
    settings[25] = 0;
    SetSettings(b, true, settings);
    const std::string report = Report(b.Jpeg());
    EXPECT_FALSE(Has(report, "Focal range"));
    EXPECT_TRUE(Has(report, "  Focus type:\t\tManual\r\n  Focus mode:\t\tOne-shot\r\n  Macro mode:\t\tYes\r\n"));
    EXPECT_TRUE(Has(report, "  Flash fired:\t\tYes\r\n  Flash mode:\t\tOn\r\n"));
}

TEST_F(ExifReportTest, FileSizeCountsWholeKilobytes)
{
    Bytes jpeg = ExifBuilder().Jpeg();
    jpeg.resize(1023, 0);
    EXPECT_TRUE(Has(Report(jpeg), "  File size:\t\t\t0 KB\r\n"));
    jpeg.resize(2048, 0);
    EXPECT_TRUE(Has(Report(jpeg), "  File size:\t\t\t2 KB\r\n"));
}

TEST_F(ExifReportTest, FittingRuleSkipsPiecesThatDoNotFit)
{
    ExifBuilder b;
    b.Ascii(b.ifd0, Make, "Maker").Ascii(b.ifd0, Model, std::string(300, 'M'));
    b.Short(b.exif, Iso, {200});
    name = "a.jpg";
    // Room for everything except the long model line.
    const std::string report = Report(b.Jpeg(), 150, "Exif:\n");
    EXPECT_EQ(report, "Exif:\n[Camera]\r\n  Manufacturer:\t\tMaker\r\n\r\n[File]\r\n  Name:\t\t\ta.jpg\r\n"
                      "  File size:\t\t\t0 KB\r\n  ISO Speed:\t\t200\r\n");

    // A buffer with room for the headers and the name only is cleared, caller's text included.
    bool ok = true;
    EXPECT_EQ(Report(b.Jpeg(), 40, "caller", &ok), "");
    EXPECT_FALSE(ok);

    // A line that would fill the buffer exactly (no room for the terminator) is skipped.
    ExifBuilder one;
    one.Short(one.exif, Iso, {200});
    name = "b";
    const std::string line = "  ISO Speed:\t\t200\r\n";
    const int exact = int(std::strlen("[Camera]\r\n\r\n[File]\r\n  Name:\t\t\tb\r\n  File size:\t\t\t0 KB\r\n"));
    EXPECT_EQ(Report(one.Jpeg(), exact + int(line.size()), {}, &ok).find("ISO"), std::string::npos);
    EXPECT_NE(Report(one.Jpeg(), exact + int(line.size()) + 1).find("ISO"), std::string::npos);
}

TEST_F(ExifReportTest, RefusesClosedObjectsAndMissingBuffers)
{
    CKzExifFile closed;
    char text[64] = "keep";
    EXPECT_FALSE(closed.GetExifInformation(text, sizeof text));
    EXPECT_STREQ(text, "keep");

    const std::string path = dir.file("x.jpg");
    testsupport::WriteFile(path, ExifBuilder().Jpeg());
    CKzExifFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    EXPECT_FALSE(file.GetExifInformation(nullptr, 64));
    EXPECT_FALSE(file.GetExifInformation(text, 0));
    EXPECT_STREQ(text, "keep");
}

} // namespace
