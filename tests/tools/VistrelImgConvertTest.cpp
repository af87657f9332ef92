// vistrel-img convert between BMP, JPEG and PNG, several inputs into one TIFF, and its command-line conventions.
#include "CodecTable.h"
#include "ExternalDecoder.h"
#include "Picture.h"
#include "TestSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Convert(const std::string& in, const std::string& out)
{
    const std::string command = testsupport::ShellQuote(VISTREL_IMG) + " convert " + testsupport::ShellQuote(in) + " " +
                                testsupport::ShellQuote(out) + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Picture Load(const std::string& path, ImageFormat expected)
{
    Picture picture;
    EXPECT_TRUE(picture.Load(path)) << path << ": " << picture.GetLastError();
    EXPECT_EQ(expected, picture.GetType()) << path;
    return picture;
}

int WorstDistance(const Picture& a, const Picture& b)
{
    int worst = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            worst = std::max(worst, testsupport::ChannelDistance(a.GetPixelColor(x, y).Value(), b.GetPixelColor(x, y).Value()));
    return worst;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::string& arguments, const testsupport::TempDir& dir)
{
    const std::string errFile = dir.file("stderr.txt");
    const std::string command = testsupport::ShellQuote(VISTREL_IMG) + " " + arguments + " 2>" + testsupport::ShellQuote(errFile);
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = testsupport::ReadFile(errFile);
    run.err.assign(err.begin(), err.end());
    return run;
}

} // namespace

TEST(VistrelImgCommandLine, HelpVersionFormatsAndWrongUsage)
{
    testsupport::TempDir dir;
    struct Case {
        const char* arguments;
        int status;
        std::string outStart;
        std::string errStart;
    };
    const Case cases[] = {
        {"--help", 0, "usage: vistrel-img info FILE\n", ""},
        {"--version", 0, "vistrel-img (Vistrel) " VISTREL_VERSION "\n", ""},
        {"--frobnicate", 2, "", "vistrel-img: unknown option '--frobnicate'\nusage: vistrel-img info FILE\n"},
        {"info --frobnicate", 2, "", "vistrel-img: unknown option '--frobnicate'\nusage: "},
        {"convert --frame 1 in.gif --to-png out.png", 2, "", "vistrel-img: unknown option '--to-png'\nusage: "},
        {"--help extra", 2, "", "usage: "},
        {"info", 2, "", "usage: "},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunTool(c.arguments, dir);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.out.substr(0, c.outStart.size()), c.outStart) << c.arguments;
        EXPECT_EQ(run.out.empty(), c.outStart.empty()) << c.arguments;
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart) << c.arguments;
        EXPECT_EQ(run.err.empty(), c.errStart.empty()) << c.arguments;
    }

    // formats: every row with a codec, each extension leading back to its row.
    const ToolRun formats = RunTool("formats", dir);
    EXPECT_EQ(formats.status, 0);
    std::istringstream lines(formats.out);
    std::vector<std::string> listed;
    for (std::string name, access, extensions; std::getline(lines, name, '\t') && std::getline(lines, access, '\t') &&
                                                std::getline(lines, extensions);) {
        listed.push_back(name);
        std::istringstream words(extensions);
        for (std::string extension; words >> extension;)
            EXPECT_STREQ(FormatName(FormatFromExtension(extension)), name.c_str()) << extension;
    }
    std::vector<std::string> withCodec;
    for (const CodecEntry& entry : CodecTable())
        if (CreateCodec(entry.format)) withCodec.push_back(entry.name);
    EXPECT_EQ(listed, withCodec);
}

TEST(VistrelImgConvert, RoundTripsBetweenBmpJpegAndPng)
{
    testsupport::TempDir dir;
    Picture original(48, 32, 24);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x) original.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 5), std::uint8_t(y * 7), 90, 0});
    original.SetDpiX(150);
    original.SetDpiY(150);
    ASSERT_TRUE(original.Save(dir.file("a.bmp"), ImageFormat::Bmp));

    // Lossless: BMP -> PNG -> BMP.
    ASSERT_EQ(0, Convert(dir.file("a.bmp"), dir.file("b.png")));
    ASSERT_EQ(0, Convert(dir.file("b.png"), dir.file("c.bmp")));
    const Picture png = Load(dir.file("b.png"), ImageFormat::Png);
    const Picture bmp = Load(dir.file("c.bmp"), ImageFormat::Bmp);
    EXPECT_EQ(0, WorstDistance(original, png));
    EXPECT_EQ(0, WorstDistance(original, bmp));
    EXPECT_EQ(150, png.GetDpiX());

    // Through JPEG and back: close, and the resolution travels in the JFIF header.
    ASSERT_EQ(0, Convert(dir.file("b.png"), dir.file("d.jpg")));
    ASSERT_EQ(0, Convert(dir.file("d.jpg"), dir.file("e.png")));
    ASSERT_EQ(0, Convert(dir.file("e.png"), dir.file("f.bmp")));
    ASSERT_EQ(0, Convert(dir.file("a.bmp"), dir.file("g.jpg")));
    const Picture jpeg = Load(dir.file("d.jpg"), ImageFormat::Jpg);
    EXPECT_EQ(150, jpeg.GetDpiX());
    EXPECT_LE(WorstDistance(original, jpeg), 12);
    EXPECT_EQ(0, WorstDistance(jpeg, Load(dir.file("f.bmp"), ImageFormat::Bmp)));
    EXPECT_LE(WorstDistance(original, Load(dir.file("g.jpg"), ImageFormat::Jpg)), 12);
}

TEST(VistrelImgConvert, PalettePicturesBecomeJpegs)
{
    testsupport::TempDir dir;
    Picture palette(16, 16, 4);
    palette.SetPaletteEntry(1, 200, 30, 30);
    for (int x = 0; x < 16; ++x) palette.SetPixelIndex(x, x, 1);
    ASSERT_TRUE(palette.Save(dir.file("p.png"), ImageFormat::Png));
    ASSERT_EQ(0, Convert(dir.file("p.png"), dir.file("p.jpg")));
    const Picture colour = Load(dir.file("p.jpg"), ImageFormat::Jpg);
    EXPECT_EQ(24u, colour.GetBpp());

    Picture grey(16, 16, 8);
    grey.SetGrayPalette();
    ASSERT_TRUE(grey.Save(dir.file("g.bmp"), ImageFormat::Bmp));
    ASSERT_EQ(0, Convert(dir.file("g.bmp"), dir.file("g.jpg")));
    EXPECT_EQ(8u, Load(dir.file("g.jpg"), ImageFormat::Jpg).GetBpp());
}

// A frame that cannot be read is an error, never frame 0 read instead.
TEST(VistrelImgConvert, FramesOfAGif)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif/gif-test-suite");
    testsupport::TempDir dir;
    const std::string animation = (corpus / "animated_loop.gif").string();
    const ToolRun third = RunTool("convert --frame 2 " + testsupport::ShellQuote(animation) + " " +
                                      testsupport::ShellQuote(dir.file("third.bmp")), dir);
    ASSERT_EQ(third.status, 0) << third.err;
    Picture expected(ImageFormat::Gif);
    expected.SetFrame(2);
    ASSERT_TRUE(expected.Load(animation, ImageFormat::Gif));
    EXPECT_EQ(0, WorstDistance(expected, Load(dir.file("third.bmp"), ImageFormat::Bmp)));

    const ToolRun beyond = RunTool("convert --frame 4 " + testsupport::ShellQuote(animation) + " " +
                                       testsupport::ShellQuote(dir.file("none.bmp")), dir);
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.err.find("no frame 4: the file holds 4"), std::string::npos) << beyond.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.bmp")));
}

// Several inputs make one TIFF page each, in order; --frame picks the frame of every input; a
// file that cannot be read, or an output that is no TIFF, writes nothing.
TEST(VistrelImgConvert, SeveralInputsBecomePagesOfATiff)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif/gif-test-suite");
    testsupport::TempDir dir;
    const auto q = [&dir](const std::string& name) { return testsupport::ShellQuote(dir.file(name)); };
    Picture palette(30, 20, 8);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) palette.SetPixelIndex(x, y, std::uint8_t(x * y));
    palette.SetPaletteEntry(6, 200, 30, 30);
    Picture mono(17, 9, 1);
    mono.SetPaletteEntry(1, 255, 255, 255);
    mono.SetPixelIndex(3, 4, 1);
    ASSERT_TRUE(palette.Save(dir.file("a.bmp"), ImageFormat::Bmp));
    ASSERT_TRUE(mono.Save(dir.file("b.png"), ImageFormat::Png));

    const ToolRun run = RunTool("convert " + q("a.bmp") + " " + q("b.png") + " " + q("a.bmp") + " " + q("pages.tif"), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const Picture* expected[] = {&palette, &mono, &palette};
    for (int page = 0; page < 3; ++page) {
        Picture loaded(ImageFormat::Tif);
        loaded.SetFrame(page);
        ASSERT_TRUE(loaded.Load(dir.file("pages.tif"), ImageFormat::Tif)) << loaded.GetLastError();
        EXPECT_EQ(3, loaded.GetNumFrames());
        ASSERT_EQ(expected[page]->GetWidth(), loaded.GetWidth());
        EXPECT_EQ(0, WorstDistance(*expected[page], loaded)) << page;
    }

    const std::string animation = testsupport::ShellQuote((corpus / "animated_loop.gif").string());
    const ToolRun frames = RunTool("convert --frame 3 " + animation + " " + animation + " " + q("frames.tif"), dir);
    ASSERT_EQ(frames.status, 0) << frames.err;
    Picture first(ImageFormat::Gif), fourth(ImageFormat::Gif);
    fourth.SetFrame(3);
    ASSERT_TRUE(first.Load((corpus / "animated_loop.gif").string(), ImageFormat::Gif));
    ASSERT_TRUE(fourth.Load((corpus / "animated_loop.gif").string(), ImageFormat::Gif));
    Picture second(ImageFormat::Tif);
    second.SetFrame(1);
    ASSERT_TRUE(second.Load(dir.file("frames.tif"), ImageFormat::Tif));
    // The composed frame is a 24-bit picture: written as JPEG.
    EXPECT_LE(WorstDistance(fourth, second), 40);
    EXPECT_GT(WorstDistance(first, second), 100);

    const ToolRun missing = RunTool("convert " + q("a.bmp") + " " + q("none.bmp") + " " + q("no.tif"), dir);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.bmp"), std::string::npos) << missing.err;
    const ToolRun notTiff = RunTool("convert " + q("a.bmp") + " " + q("b.png") + " " + q("pages.png"), dir);
    EXPECT_EQ(notTiff.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("no.tif")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("pages.png")));
}
