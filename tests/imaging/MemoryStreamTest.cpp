// MemoryStream: growth steps, read/seek/eof rules, zero-filled gaps, borrowed memory.
#include "MemoryStream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MemoryStream, GrowsInWholeSteps)
{
    MemoryStream one;
    EXPECT_EQ(one.GetCapacity(), 0u);
    EXPECT_EQ(one.Size(), 0);
    ASSERT_TRUE(one.PutC(7));
    EXPECT_EQ(one.GetCapacity(), 4096u);

    MemoryStream big;
    const std::vector<std::uint8_t> data(5000, 1);
    EXPECT_EQ(big.Write(data.data(), 1, data.size()), 5000u);
    EXPECT_EQ(big.GetCapacity(), 8192u);
    EXPECT_EQ(big.Size(), 5000);
    EXPECT_EQ(big.Tell(), 5000);
    EXPECT_EQ(big.Write(data.data(), 1000, 4), 4u);
    EXPECT_EQ(big.GetCapacity(), 12288u);
}

TEST(MemoryStream, WriteAndReadBack)
{
    MemoryStream stream;
    const std::uint32_t words[3] = {1, 2, 3};
    EXPECT_EQ(stream.Write(words, 4, 3), 3u);
    EXPECT_EQ(stream.Write(nullptr, 4, 3), 0u);
    EXPECT_EQ(stream.Write(words, 0, 3), 0u);
    ASSERT_TRUE(stream.Seek(0, 0));
    std::uint32_t back[3] = {};
    EXPECT_EQ(stream.Read(back, 4, 3), 3u);
    EXPECT_EQ(back[2], 3u);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.GetC(), -1);

    // Overwriting inside keeps the size.
    ASSERT_TRUE(stream.Seek(4, 0));
    EXPECT_TRUE(stream.PutC(0xEE));
    EXPECT_EQ(stream.Size(), 12);
    ASSERT_TRUE(stream.Seek(-8, 2));
    EXPECT_EQ(stream.GetC(), 0xEE);
}

TEST(MemoryStream, ReadCountsWholeItemsButCopiesTheRest)
{
    std::vector<std::uint8_t> data(10);
    for (int i = 0; i < 10; ++i) data[i] = std::uint8_t(i + 1);
    MemoryStream stream(data.data(), data.size());
    std::uint8_t out[12] = {};
    EXPECT_EQ(stream.Read(out, 4, 3), 2u);
    EXPECT_EQ(out[9], 10);
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(stream.Read(out, 1, 1), 0u);
    EXPECT_EQ(stream.Read(nullptr, 1, 1), 0u);
}

TEST(MemoryStream, SeekRules)
{
    MemoryStream stream;
    stream.Write("abcd", 1, 4);
    EXPECT_FALSE(stream.Seek(-1, 0));
    EXPECT_FALSE(stream.Seek(0, 3));
    EXPECT_FALSE(stream.Seek(-5, 2));
    EXPECT_EQ(stream.Tell(), 4);
    ASSERT_TRUE(stream.Seek(10, 2));
    EXPECT_EQ(stream.Tell(), 14);
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), 1);
    std::uint8_t byte;
    EXPECT_EQ(stream.Read(&byte, 1, 1), 0u);
    ASSERT_TRUE(stream.Seek(-13, 1));
    EXPECT_EQ(stream.GetC(), 'b');
    EXPECT_EQ(stream.Error(), 0);
    EXPECT_TRUE(stream.Flush());
}

TEST(MemoryStream, WriteBeyondTheEndFillsTheGapWithZeros)
{
    MemoryStream stream;
    // Dirty the block first so that stale bytes would show.
    std::vector<std::uint8_t> junk(100, 0xCC);
    stream.Write(junk.data(), 1, junk.size());
    MemoryStream fresh;
    fresh.Write("x", 1, 1);
    ASSERT_TRUE(fresh.Seek(50, 0));
    fresh.Write("y", 1, 1);
    EXPECT_EQ(fresh.Size(), 51);
    ASSERT_TRUE(fresh.Seek(0, 0));
    std::uint8_t all[51];
    ASSERT_EQ(fresh.Read(all, 1, 51), 51u);
    EXPECT_EQ(all[0], 'x');
    for (int i = 1; i < 50; ++i) EXPECT_EQ(all[i], 0) << i;
    EXPECT_EQ(all[50], 'y');

    // The same through PutC, past a region an earlier, longer write had dirtied.
    ASSERT_TRUE(stream.Seek(0, 0));
    stream.Close();
    MemoryStream reuse;
    reuse.Write(junk.data(), 1, 10);
    ASSERT_TRUE(reuse.Seek(20, 0));
    ASSERT_TRUE(reuse.PutC(1));
    ASSERT_TRUE(reuse.Seek(10, 0));
    for (int i = 10; i < 20; ++i) EXPECT_EQ(reuse.GetC(), 0);
}

TEST(MemoryStream, BorrowedMemoryIsNeverWritten)
{
    std::vector<std::uint8_t> data = {1, 2, 3, 4};
    {
        MemoryStream stream(data.data(), data.size());
        EXPECT_EQ(stream.Size(), 4);
        EXPECT_TRUE(stream.PutC(9));
        EXPECT_EQ(stream.Write("ab", 1, 2), 2u);
        ASSERT_TRUE(stream.Seek(0, 0));
        EXPECT_EQ(stream.GetC(), 9);
        EXPECT_TRUE(stream.Close());
        EXPECT_EQ(stream.Size(), -1) << "after Close the owned copy is gone";
    }
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 2);
}

TEST(MemoryStream, ClosedStreamAnswers)
{
    MemoryStream stream;
    EXPECT_TRUE(stream.Close());
    std::uint8_t byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1, 1), 0u);
    EXPECT_EQ(stream.Write(&byte, 1, 1), 0u);
    EXPECT_FALSE(stream.Seek(0, 0));
    EXPECT_EQ(stream.Tell(), -1);
    EXPECT_EQ(stream.Size(), -1);
    EXPECT_FALSE(stream.Flush());
    EXPECT_TRUE(stream.Eof());
    EXPECT_EQ(stream.Error(), -1);
    EXPECT_FALSE(stream.PutC(1));
    EXPECT_EQ(stream.GetC(), -1);
    EXPECT_TRUE(stream.Close());
}

} // namespace
