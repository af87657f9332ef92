// Format dispatch: try order, rewinding between attempts, what a success or failure leaves in
// the picture, encoding through a borrowing codec, and saves that never destroy a file.
#include "CodecTable.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// Fake codecs: each accepts data whose first byte is its format number, after reading a few
// bytes (so that a missing rewind shows), and encodes by writing its format number.
struct FakeLog {
    std::vector<ImageFormat> tried;
    ImageFormat failEncodeAfterWriting = ImageFormat::Unknown;
    int framesFound = 0;
    const Picture* lastBorrowedFrom = nullptr;
} fakeLog;

class FakeCodec : public ImageCodec {
public:
    explicit FakeCodec(ImageFormat format) : ImageCodec(format), own(format) {}

    bool Decode(ByteStream& in) override
    {
        fakeLog.tried.push_back(GetType());
        try {
            std::uint8_t head[4] = {};
            in.Read(head, 1, 4);
            info.frameCount = fakeLog.framesFound;
            if (head[0] != static_cast<std::uint8_t>(GetType())) Fail("fake: not mine");
            if (GetFrame() >= fakeLog.framesFound && fakeLog.framesFound > 0) Fail("fake: no such frame");
            Create(head[1], head[2], 24, GetType());
            SetJpegQuality(33);
            return true;
        } catch (const Failure& failure) {
            Report(failure);
            return false;
        }
    }

    bool Encode(ByteStream& out) override
    {
        fakeLog.lastBorrowedFrom = GetInfo().ghostOf;
        SetJpegQuality(1);
        // Borrowing took over the picture's info block, format included.
        const auto tag = static_cast<std::uint8_t>(own);
        out.Write(&tag, 1, 1);
        out.Write(GetDib(), 1, GetSize());
        if (own == fakeLog.failEncodeAfterWriting) {
            SetLastError("fake: disk on fire");
            return false;
        }
        return true;
    }

private:
    ImageFormat own;
};

std::unique_ptr<ImageCodec> FakeFactory(ImageFormat format)
{
    return std::make_unique<FakeCodec>(format);
}

class ThrowingCodec : public ImageCodec {
public:
    ThrowingCodec() : ImageCodec(ImageFormat::Bmp) {}
    bool Decode(ByteStream&) override { throw std::bad_alloc(); }
    bool Encode(ByteStream&) override { throw 42; }
};

std::unique_ptr<ImageCodec> ThrowingFactory(ImageFormat format)
{
    if (format == ImageFormat::Bmp) return std::make_unique<ThrowingCodec>();
    return std::make_unique<FakeCodec>(format);
}

std::unique_ptr<ImageCodec> NoCodecs(ImageFormat)
{
    return nullptr;
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override { fakeLog = FakeLog{}; }

    static void Fill(MemoryStream& stream, const std::vector<std::uint8_t>& bytes)
    {
        stream.Write(bytes.data(), 1, bytes.size());
        stream.Seek(0, 0);
    }
};

TEST_F(Dispatch, TryOrderIsFixed)
{
    const std::vector<ImageFormat> expected = {ImageFormat::Bmp, ImageFormat::Jpg, ImageFormat::Ico,
                                               ImageFormat::Gif, ImageFormat::Png, ImageFormat::Tif,
                                               ImageFormat::Tga, ImageFormat::Pcx, ImageFormat::Wbmp,
                                               ImageFormat::Wmf};
    MemoryStream stream;
    Fill(stream, {0xFF, 1, 1, 0});
    Picture picture(3, 3, 8);
    EXPECT_FALSE(PictureDispatch::Decode(picture, stream, ImageFormat::Unknown, FakeFactory));
    EXPECT_EQ(fakeLog.tried, expected);
    EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_EQ(picture.GetWidth(), 3) << "a failed decode leaves the image as it was";
}

TEST(CodecTable, NamesAndExtensionsFindTheirFormat)
{
    const struct {
        const char* text;
        ImageFormat format;
    } cases[] = {
        {"bmp", ImageFormat::Bmp}, {"DIB", ImageFormat::Bmp},  {"jpeg", ImageFormat::Jpg}, {"JPG", ImageFormat::Jpg},
        {"jif", ImageFormat::Jpg}, {"tiff", ImageFormat::Tif}, {"cur", ImageFormat::Ico},  {"emf", ImageFormat::Wmf},
        {"wbmp", ImageFormat::Wbmp}, {"", ImageFormat::Unknown}, {"bm", ImageFormat::Unknown},
        {"jpg jpeg", ImageFormat::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatFromExtension(c.text), c.format) << c.text;
    EXPECT_EQ(FormatFromPath("dir.png/photo.JPEG"), ImageFormat::Jpg);
    EXPECT_EQ(FormatFromPath("dir.png/photo"), ImageFormat::Unknown);
    for (const CodecEntry& entry : CodecTable()) EXPECT_EQ(FormatFromExtension(entry.name), entry.format);
    EXPECT_STREQ(FormatName(ImageFormat::Tga), "tga");
    EXPECT_STREQ(FormatName(static_cast<ImageFormat>(11)), "unknown");
    EXPECT_EQ(CreateCodec(static_cast<ImageFormat>(11)), nullptr);
}

TEST_F(Dispatch, UnknownFormatRewindsToTheStartingPositionBetweenAttempts)
{
    MemoryStream stream;
    Fill(stream, {9, 9, 9, static_cast<std::uint8_t>(ImageFormat::Png), 5, 2, 0});
    ASSERT_TRUE(stream.Seek(3, 0));
    Picture picture;
    picture.SetJpegQuality(90);
    ASSERT_TRUE(PictureDispatch::Decode(picture, stream, ImageFormat::Unknown, FakeFactory));
    EXPECT_EQ(fakeLog.tried.size(), 5u);
    EXPECT_EQ(picture.GetType(), ImageFormat::Png);
    EXPECT_EQ(picture.GetWidth(), 5);
    EXPECT_EQ(picture.GetHeight(), 2);
    EXPECT_EQ(picture.GetJpegQuality(), 33) << "the decoder's whole info block comes along";
}

TEST_F(Dispatch, ExplicitFormatReportsTheCodecsOwnErrorAndFrameCount)
{
    MemoryStream stream;
    Fill(stream, {static_cast<std::uint8_t>(ImageFormat::Tif), 1, 1, 0});
    fakeLog.framesFound = 3;
    Picture picture;
    picture.SetFrame(5);
    EXPECT_FALSE(PictureDispatch::Decode(picture, stream, ImageFormat::Tif, FakeFactory));
    EXPECT_STREQ(picture.GetLastError(), "fake: no such frame");
    EXPECT_EQ(picture.GetNumFrames(), 3);
    EXPECT_EQ(stream.Tell(), 4) << "no rewind for an explicit format";

    Picture bmp;
    MemoryStream other;
    Fill(other, {0, 1, 1, 0});
    EXPECT_FALSE(PictureDispatch::Decode(bmp, other, ImageFormat::Bmp, FakeFactory));
    EXPECT_STREQ(bmp.GetLastError(), "fake: not mine");
    EXPECT_EQ(bmp.GetNumFrames(), 0) << "only multi-image formats report frames";

    picture.SetFrame(1);
    ASSERT_TRUE(stream.Seek(0, 0));
    EXPECT_TRUE(PictureDispatch::Decode(picture, stream, ImageFormat::Tif, FakeFactory));
}

TEST_F(Dispatch, UnknownFormatNumbers)
{
    MemoryStream stream;
    Fill(stream, {1, 1, 1, 0});
    Picture picture;
    EXPECT_FALSE(PictureDispatch::Decode(picture, stream, static_cast<ImageFormat>(11), FakeFactory));
    EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_TRUE(fakeLog.tried.empty());

    Picture image(2, 2, 24);
    MemoryStream out;
    EXPECT_FALSE(PictureDispatch::Encode(image, out, ImageFormat::Unknown, FakeFactory));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(PictureDispatch::Encode(image, out, static_cast<ImageFormat>(11), FakeFactory));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_EQ(out.Size(), 0);

    // Without the codec built in, a known format answers the same way.
    EXPECT_FALSE(PictureDispatch::Encode(image, out, ImageFormat::Png, NoCodecs));
    EXPECT_STREQ(image.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(PictureDispatch::Decode(image, stream, ImageFormat::Png, NoCodecs));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
}

TEST_F(Dispatch, EncodeBorrowsTheBuffersAndKeepsThePictureUnchanged)
{
    Picture image(4, 4, 8, ImageFormat::Bmp);
    image.SetPixelIndex(1, 1, 42);
    image.SetJpegQuality(80);
    MemoryStream out;
    ASSERT_TRUE(PictureDispatch::Encode(image, out, ImageFormat::Gif, FakeFactory));
    EXPECT_EQ(fakeLog.lastBorrowedFrom, &image);
    EXPECT_EQ(out.Size(), std::int32_t(1 + image.GetSize()));
    EXPECT_EQ(image.GetJpegQuality(), 80);
    EXPECT_EQ(image.GetType(), ImageFormat::Bmp);
    EXPECT_EQ(image.GetPixelIndex(1, 1), 42) << "the borrowing codec freed nothing";

    fakeLog.failEncodeAfterWriting = ImageFormat::Gif;
    EXPECT_FALSE(PictureDispatch::Encode(image, out, ImageFormat::Gif, FakeFactory));
    EXPECT_STREQ(image.GetLastError(), "fake: disk on fire");
}

TEST_F(Dispatch, ACodecThatThrowsIsAFailedAttempt)
{
    MemoryStream stream;
    Fill(stream, {static_cast<std::uint8_t>(ImageFormat::Jpg), 1, 1, 0});
    Picture picture;
    EXPECT_TRUE(PictureDispatch::Decode(picture, stream, ImageFormat::Unknown, ThrowingFactory));
    EXPECT_EQ(picture.GetType(), ImageFormat::Jpg);
    EXPECT_FALSE(PictureDispatch::Decode(picture, stream, ImageFormat::Bmp, ThrowingFactory));
    EXPECT_STREQ(picture.GetLastError(), std::bad_alloc().what());
    MemoryStream out;
    EXPECT_FALSE(PictureDispatch::Encode(picture, out, ImageFormat::Bmp, ThrowingFactory));
    EXPECT_STREQ(picture.GetLastError(), "Codec failure");
}

TEST_F(Dispatch, LoadFallsBackToDetectionAndKeepsTheFirstReason)
{
    testsupport::TempDir dir;
    const std::string png = dir.file("photo.jpg");
    testsupport::WriteFile(png, std::vector<unsigned char>{static_cast<unsigned char>(ImageFormat::Png), 2, 3, 0});
    Picture picture;
    ASSERT_TRUE(PictureDispatch::Load(picture, png, ImageFormat::Jpg, FakeFactory));
    EXPECT_EQ(picture.GetType(), ImageFormat::Png);

    const std::string text = dir.file("notes.txt");
    testsupport::WriteFile(text, std::string("just some text"));
    Picture failing;
    EXPECT_FALSE(PictureDispatch::Load(failing, text, ImageFormat::Jpg, FakeFactory));
    EXPECT_STREQ(failing.GetLastError(), "fake: not mine");
    EXPECT_FALSE(PictureDispatch::Load(failing, text, ImageFormat::Unknown, FakeFactory));
    EXPECT_STREQ(failing.GetLastError(), "Decode: Unknown or wrong format");

    Picture missing;
    EXPECT_FALSE(PictureDispatch::Load(missing, dir.file("nothing.png"), ImageFormat::Png, FakeFactory));
    EXPECT_STREQ(missing.GetLastError(), "");
}

TEST_F(Dispatch, BuiltInTableAnswersUnknownDataWithTheGenericText)
{
    testsupport::TempDir dir;
    const std::string text = dir.file("notes.txt");
    testsupport::WriteFile(text, std::string("just some text, not an image at all"));
    Picture picture;
    EXPECT_FALSE(picture.Load(text));
    EXPECT_STREQ(picture.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(picture.Save(dir.file("out.img"), static_cast<ImageFormat>(11)));
    EXPECT_STREQ(picture.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.img")));
}

class SafeSave : public Dispatch {
protected:
    testsupport::TempDir dir;

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(SafeSave, FailedSaveLeavesTheOldFileAndNoLeftovers)
{
    const std::string target = dir.file("keep.bmp");
    testsupport::WriteFile(target, std::string("precious"));
    Picture image(8, 8, 24);
    fakeLog.failEncodeAfterWriting = ImageFormat::Bmp;
    EXPECT_FALSE(PictureDispatch::Save(image, target, ImageFormat::Bmp, FakeFactory));
    EXPECT_STREQ(image.GetLastError(), "fake: disk on fire");
    EXPECT_EQ(testsupport::ReadFile(target), std::vector<unsigned char>({'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.bmp"});

    EXPECT_FALSE(PictureDispatch::Save(image, dir.file("new.wmf"), ImageFormat::Wmf, NoCodecs));
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.bmp"}) << "no empty file is left";
}

TEST_F(SafeSave, SuccessfulSaveReplacesTheFileAndKeepsItsMode)
{
    const std::string target = dir.file("image.gif");
    testsupport::WriteFile(target, std::string("old content that is longer than the new one......"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    Picture image(2, 1, 8);
    ASSERT_TRUE(PictureDispatch::Save(image, target, ImageFormat::Gif, FakeFactory));
    const auto bytes = testsupport::ReadFile(target);
    ASSERT_EQ(bytes.size(), 1 + image.GetSize());
    EXPECT_EQ(bytes[0], static_cast<unsigned char>(ImageFormat::Gif));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"image.gif"});
}

TEST_F(SafeSave, SaveThroughALinkReplacesTheLinkedFile)
{
    const std::string real = dir.file("real.png");
    const std::string link = dir.file("link.png");
    testsupport::WriteFile(real, std::string("old"));
    std::filesystem::create_symlink(real, link);
    Picture image(1, 1, 24);
    ASSERT_TRUE(PictureDispatch::Save(image, link, ImageFormat::Png, FakeFactory));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testsupport::ReadFile(real).size(), 1 + image.GetSize());
}

TEST_F(SafeSave, UnreachableFolderFailsWithoutTouchingTheError)
{
    Picture image(1, 1, 24);
    EXPECT_FALSE(PictureDispatch::Save(image, dir.file("missing/x.bmp"), ImageFormat::Bmp, FakeFactory));
    EXPECT_STREQ(image.GetLastError(), "");
    EXPECT_TRUE(Entries().empty());
}

} // namespace
