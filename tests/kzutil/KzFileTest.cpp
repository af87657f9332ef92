#include "Kzutil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Text(const std::filesystem::path& path)
{
    auto bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

} // namespace

TEST(KzFile, WritesAppendWithCrLf)
{
    TempDir dir;
    std::string path = dir.file("page.html");
    {
        CKzFile file(path.c_str());
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.Write("%d items\n", 3));
        EXPECT_TRUE(file.Flush());
    }
    EXPECT_EQ(Text(path), "3 items\r\n");
    CKzFile again(path.c_str());
    EXPECT_TRUE(again.Write("a\nb"));
    EXPECT_TRUE(again.Close());
    EXPECT_FALSE(again.Close());
    EXPECT_FALSE(again.Write("x"));
    EXPECT_EQ(Text(path), "3 items\r\na\r\nb");
}

TEST(KzFile, OverlongWriteWritesNothing)
{
    TempDir dir;
    std::string path = dir.file("big.txt");
    CKzFile file(path.c_str());
    std::string big(70000, 'x');
    EXPECT_FALSE(file.Write("%s", big.c_str()));
    EXPECT_TRUE(file.Write("%s", std::string(65535, 'y').c_str()));
    EXPECT_FALSE(file.Write("%s", std::string(65536, 'y').c_str()));
    file.Close();
    EXPECT_EQ(CKzFile::GetFileSize(path.c_str()), 65535);
}

TEST(KzFile, ReadOnlyIsRestoredAfterWriting)
{
    TempDir dir;
    std::string path = dir.file("ro.txt");
    ASSERT_TRUE(CKzFile::Create(path.c_str(), true));
    EXPECT_TRUE(CKzFile::IsFileReadOnly(path.c_str()));
    CKzFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    EXPECT_FALSE(CKzFile::IsFileReadOnly(path.c_str()));
    EXPECT_TRUE(file.Write("line\n"));
    EXPECT_TRUE(file.Clear());
    EXPECT_TRUE(file.Write("fresh"));
    file.Close();
    EXPECT_TRUE(CKzFile::IsFileReadOnly(path.c_str()));
    EXPECT_EQ(Text(path), "fresh");

    // The read-only memory belongs to one opening, not to the object.
    std::string other = dir.file("rw.txt");
    ASSERT_TRUE(file.Open(other.c_str()));
    file.Close();
    EXPECT_FALSE(CKzFile::IsFileReadOnly(other.c_str()));

    // A failed opening leaves the permission as it found it.
    std::string folder = dir.file("folder");
    ASSERT_TRUE(CKzDir::CreateDirectoryA(folder.c_str()));
    ASSERT_TRUE(CKzFile::SetReadOnly(folder.c_str(), true));
    EXPECT_FALSE(file.Open(folder.c_str()));
    EXPECT_TRUE(CKzFile::IsFileReadOnly(folder.c_str()));

    EXPECT_TRUE(CKzFile::Delete(path.c_str()));
    EXPECT_FALSE(CKzFile::FileExists(path.c_str()));
    EXPECT_FALSE(CKzFile::IsFileReadOnly(path.c_str()));
}

TEST(KzFile, CopiesCloseTheirOwnDescriptor)
{
    TempDir dir;
    std::string path = dir.file("shared.txt");
    CKzFile a(path.c_str());
    {
        CKzFile b(a); // NOLINT(performance-unnecessary-copy-initialization): the copy is what is tested
        EXPECT_TRUE(b.Write("b"));
        CKzFile c;
        c = b;
        EXPECT_TRUE(c.Write("c"));
    }
    EXPECT_TRUE(a.Write("a"));
    a.Close();
    EXPECT_EQ(Text(path), "bca");
}

TEST(KzFile, StaticQueries)
{
    TempDir dir;
    std::string path = dir.file("f.bin");
    WriteFile(path, std::string("12345"));
    EXPECT_TRUE(CKzFile::FileExists(dir.path().c_str()));
    EXPECT_TRUE(CKzFile::IsDirectory(dir.path().c_str()));
    EXPECT_FALSE(CKzFile::IsDirectory(path.c_str()));
    EXPECT_TRUE(CKzFile::IsFilePresent(path.c_str()));
    EXPECT_EQ(CKzFile::GetFileSize(path.c_str()), 5);
    EXPECT_EQ(CKzFile::GetFileSize(dir.file("missing").c_str()), -1);
    EXPECT_FALSE(CKzFile::FileExists(""));
    EXPECT_FALSE(CKzFile::FileExists(nullptr));
    std::string long260 = "/" + std::string(259, 'x');
    EXPECT_FALSE(CKzFile::FileExists(long260.c_str()));
    EXPECT_FALSE(CKzFile().Open(long260.c_str()));
    EXPECT_STREQ(CKzFile::GetFileDriveLetter(path.c_str()), "");

    std::string moved = dir.file("g.bin");
    EXPECT_TRUE(CKzFile::Rename(path.c_str(), moved.c_str()));
    WriteFile(path, std::string("new"));
    EXPECT_FALSE(CKzFile::Rename(path.c_str(), moved.c_str())); // never replaces
    EXPECT_EQ(Text(moved), "12345");
}

TEST(KzFile, GetFileContentKeepsItsLastResult)
{
    TempDir dir;
    std::string path = dir.file("t.html");
    WriteFile(path, std::string("<p>T</p>\n"));
    EXPECT_STREQ(CKzFile::GetFileContent(path.c_str()), "<p>T</p>\n");
    EXPECT_STREQ(CKzFile::GetFileContent(dir.file("missing").c_str()), "<p>T</p>\n");
    WriteFile(dir.file("empty"), std::string());
    EXPECT_STREQ(CKzFile::GetFileContent(dir.file("empty").c_str()), "<p>T</p>\n");
    EXPECT_STREQ(CKzFile::GetFileContent(dir.path().c_str()), "<p>T</p>\n");
    WriteFile(dir.file("nul"), std::string("ab\0cd", 5));
    EXPECT_STREQ(CKzFile::GetFileContent(dir.file("nul").c_str()), "ab");
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_STREQ(CKzFile::GetFileContent(dir.file("fifo").c_str()), "ab");
}

TEST(KzFile, IsFileInPathSearchesEveryEntry)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "first");
    std::filesystem::create_directory(dir.path() / "last");
    WriteFile(dir.path() / "last" / "tool", std::string("#!"));
    std::string first = (dir.path() / "first").string(), last = (dir.path() / "last").string();
    {
        ScopedEnv path("PATH", first + "::" + last);
        EXPECT_TRUE(CKzFile::IsFileInPath("tool"));
        EXPECT_FALSE(CKzFile::IsFileInPath("other"));
        EXPECT_FALSE(CKzFile::IsFileInPath(""));
    }
    {
        ScopedEnv path("PATH", last + "/:" + first);
        EXPECT_TRUE(CKzFile::IsFileInPath("tool"));
    }
}

TEST(KzDate, FieldsAreInRange)
{
    int year = CKzDate::GetCurrentYear();
    EXPECT_GE(year, 2020);
    EXPECT_LE(year, 9999);
    EXPECT_GE(CKzDate::GetCurrentMonth(), 1);
    EXPECT_LE(CKzDate::GetCurrentMonth(), 12);
    EXPECT_GE(CKzDate::GetCurrentDay(), 1);
    EXPECT_LE(CKzDate::GetCurrentDay(), 31);
    EXPECT_LE(CKzDate::GetCurrentHour(), 23);
    EXPECT_LE(CKzDate::GetCurrentMinute(), 59);
    EXPECT_LE(CKzDate::GetCurrentSecond(), 59);
    EXPECT_GE(CKzDate::GetCurrentSecond(), 0);
}
