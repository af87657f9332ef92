// FileStream: stdio semantics, and the answers of a stream without a file.
#include "FileStream.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(FileStream, ReadsWritesAndMeasures)
{
    testsupport::TempDir dir;
    std::FILE* file = std::fopen(dir.file("a.bin").c_str(), "w+b");
    ASSERT_NE(file, nullptr);
    {
        FileStream stream(file);
        EXPECT_EQ(stream.Write("hello", 1, 5), 5u);
        EXPECT_TRUE(stream.PutC('!'));
        EXPECT_TRUE(stream.Flush());
        ASSERT_TRUE(stream.Seek(1, 0));
        EXPECT_EQ(stream.Size(), 6);
        EXPECT_EQ(stream.Tell(), 1) << "Size puts the position back";
        EXPECT_EQ(stream.GetC(), 'e');
        ASSERT_TRUE(stream.Seek(-1, 2));
        EXPECT_EQ(stream.GetC(), '!');
        EXPECT_EQ(stream.GetC(), -1);
        EXPECT_TRUE(stream.Eof());
        EXPECT_EQ(stream.Error(), 0);
        EXPECT_TRUE(stream.Close());
    }
    // The stream did not own the file: it is still open for us.
    EXPECT_EQ(std::fseek(file, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(file), 'h');
    std::fclose(file);
}

TEST(FileStream, WithoutAFile)
{
    FileStream stream(nullptr);
    std::uint8_t byte = 0;
    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(stream.Read(&byte, 1, 1), 0u);
    EXPECT_EQ(stream.Write(&byte, 1, 1), 0u);
    EXPECT_FALSE(stream.Seek(0, 0));
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), -1);
    EXPECT_FALSE(stream.Flush());
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), -1);
    EXPECT_FALSE(stream.PutC(1));
    EXPECT_EQ(stream.GetC(), -1);
}

} // namespace
