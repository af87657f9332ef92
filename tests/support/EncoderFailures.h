// Checks shared by the codec suites: a failed write fails the encode wherever it happens, and a
// refused save leaves the target file as it was.
#pragma once

#include "MemoryStream.h"
#include "Picture.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace testsupport {

// Takes `room` bytes, then refuses every write.
class ShortStream : public MemoryStream {
public:
    explicit ShortStream(std::size_t limit) : room(limit) {}
    std::size_t Write(const void* data, std::size_t itemSize, std::size_t itemCount) override
    {
        if (itemSize * itemCount > room) return 0;
        room -= itemSize * itemCount;
        return MemoryStream::Write(data, itemSize, itemCount);
    }

private:
    std::size_t room;
};

// Encodes into streams that run out of room at the start, early, halfway and one byte short.
inline void ExpectShortWritesFail(Picture& picture, ImageFormat format)
{
    MemoryStream whole;
    ASSERT_TRUE(picture.Encode(whole, format)) << picture.GetLastError();
    for (const std::size_t room : {std::size_t(0), std::size_t(100), std::size_t(whole.Size() / 2),
                                   std::size_t(whole.Size() - 1)}) {
        ShortStream out(room);
        EXPECT_FALSE(picture.Encode(out, format)) << int(format) << " with room for " << room;
        EXPECT_STRNE(picture.GetLastError(), "");
    }
}

struct Refusal {
    ImageFormat format;
    std::int32_t width;
    std::int32_t height;
    std::uint32_t bits;
    const char* message;
};

// Each save is refused with its message and the file already there stays as it was.
inline void ExpectRefusalsKeepTheTarget(const std::vector<Refusal>& refusals)
{
    TempDir dir;
    const std::string path = dir.file("kept");
    const std::string content = "old content";
    WriteFile(path, content);
    for (const Refusal& r : refusals) {
        Picture picture(r.width, r.height, r.bits);
        EXPECT_FALSE(picture.Save(path, r.format)) << r.message;
        EXPECT_STREQ(picture.GetLastError(), r.message);
        EXPECT_EQ(ReadFile(path), std::vector<unsigned char>(content.begin(), content.end())) << r.message;
    }
}

} // namespace testsupport
