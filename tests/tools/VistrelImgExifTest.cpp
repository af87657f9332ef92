// vistrel-img exif: the report on standard output, the Exif dialog's messages on failure.
#include "ExifBuilder.h"
#include "TestSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ToolRun {
    int status;
    std::string output;
};

ToolRun Exif(const std::string& path)
{
    const std::string command = std::string("'") + VISTREL_IMG + "' exif '" + path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    ToolRun run{-1, {}};
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(VistrelImgExifTest, PrintsTheReportOrTheDialogMessages)
{
    testsupport::TempDir dir;
    exiftest::ExifBuilder b;
    b.Ascii(b.ifd0, 0x010F, "Maker").Rational(b.exif, 0x829A, 1, 125);
    testsupport::WriteFile(dir.file("a.jpg"), b.Jpeg());
    ToolRun run = Exif(dir.file("a.jpg"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "[Camera]\r\n  Manufacturer:\t\tMaker\r\n\r\n[File]\r\n  Name:\t\t\ta.jpg\r\n"
                          "  File size:\t\t\t0 KB\r\n  Shutter Speed:\t\t1/125 sec.\r\n");

    testsupport::WriteFile(dir.file("plain.jpg"), std::string("\xFF\xD8\xFF\xD9", 4));
    run = Exif(dir.file("plain.jpg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, dir.file("plain.jpg") + ": This file contains no Exif information.\n");

    testsupport::WriteFile(dir.file("bad.jpg"), b.Jpeg('Q'));
    run = Exif(dir.file("bad.jpg"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, dir.file("bad.jpg") + ": The Exif information in this file is corrupt.\n");

    EXPECT_EQ(Exif(dir.file("missing.jpg")).status, 1);
}

} // namespace
