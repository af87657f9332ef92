#include "Kzutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(KzFilename, SplitsWindowsStylePaths)
{
    const char* path = "C:\\pics\\a.jpg";
    EXPECT_STREQ(CKzFilename::GetFileDirectory(path), "C:\\pics\\");
    EXPECT_STREQ(CKzFilename::GetFileName(path), "a.jpg");
    EXPECT_STREQ(CKzFilename::GetFileTitle(path), "a");
    EXPECT_STREQ(CKzFilename::GetFileExtension(path), ".jpg");
    EXPECT_STREQ(CKzFilename::SetFileExtension(path, "bmp"), "C:\\pics\\a.bmp");
    EXPECT_STREQ(CKzFilename::SetFileName(path, "b.png"), "C:\\pics\\b.png");
    EXPECT_STREQ(CKzFilename::SetFileDirectory(path, "D:\\x"), "D:\\x/a.jpg");
    EXPECT_STREQ(CKzFilename::SetFileTitle(path, "b"), "C:\\pics\\b.jpg");
}

TEST(KzFilename, SplitsPosixPathsAndComposesWithSlash)
{
    const char* path = "/home/u/photos.2024/img.tar.gz";
    EXPECT_STREQ(CKzFilename::GetFileDirectory(path), "/home/u/photos.2024/");
    EXPECT_STREQ(CKzFilename::GetFileTitle(path), "img.tar");
    EXPECT_STREQ(CKzFilename::GetFileExtension(path), ".gz");
    EXPECT_STREQ(CKzFilename::GetFileExtension("/a.b/noext"), "");
    EXPECT_STREQ(CKzFilename::GetFileTitle("/a.b/noext"), "noext");
    EXPECT_STREQ(CKzFilename::SetFileExtension("/p/a.jpg", ".png"), "/p/a.png");
    EXPECT_STREQ(CKzFilename::SetFileExtension("/p/a.jpg", "png"), "/p/a.png");
    EXPECT_STREQ(CKzFilename::SetFileDirectory("/p/a.jpg", "/q/"), "/q/a.jpg");
    EXPECT_STREQ(CKzFilename::GetFileName("mixed\\dir/name.txt"), "name.txt");
}

TEST(KzFilename, NoDirectoryMeansNoInventedRoot)
{
    EXPECT_STREQ(CKzFilename::GetFileDirectory("a.jpg"), "");
    EXPECT_STREQ(CKzFilename::SetFileExtension("a.jpg", "png"), "a.png");
    EXPECT_STREQ(CKzFilename::SetFileTitle("a.jpg", "b"), "b.jpg");
    EXPECT_STREQ(CKzFilename::SetFileName("a.jpg", "b.png"), "b.png");
}

TEST(KzFilename, EmptyArgumentKeepsThePreviousResult)
{
    CKzFilename::GetFileName("/x/first.jpg");
    EXPECT_STREQ(CKzFilename::GetFileName(""), "first.jpg");
    EXPECT_STREQ(CKzFilename::GetFileName(nullptr), "first.jpg");
    CKzFilename::SetFileExtension("/x/a.jpg", "png");
    EXPECT_STREQ(CKzFilename::SetFileExtension("/x/b.jpg", ""), "/x/a.png");
    EXPECT_STREQ(CKzFilename::SetFileExtension(nullptr, "gif"), "/x/a.png");
}

TEST(KzFilename, ResultsThatDoNotFitAreRefused)
{
    std::string dir259(259, 'd');
    dir259[0] = '/';
    EXPECT_STREQ(CKzFilename::SetFileDirectory("a.jpg", dir259.c_str()), "");
    std::string path259 = std::string(253, 'd') + "/a.jpg"; // 259 characters still fit
    EXPECT_STREQ(CKzFilename::SetFileExtension(path259.c_str(), "png"), path259.substr(0, 256).append("png").c_str());
    EXPECT_STREQ(CKzFilename::SetFileExtension(path259.c_str(), "jpeg"), "");
    EXPECT_STREQ(CKzFilename::GetFileTitle(("/" + std::string(256, 't') + ".x").c_str()), "");
    EXPECT_STREQ(CKzFilename::GetFileExtension(("/t." + std::string(255, 'e')).c_str()), "");
    EXPECT_STREQ(CKzFilename::GetLongPath(std::string(260, 'p').c_str()), "");
    EXPECT_STREQ(CKzFilename::GetLongPath("/a/b"), "/a/b");
}

TEST(KzFilename, TrailingSeparators)
{
    char buf[260] = "/a";
    EXPECT_TRUE(CKzFilename::IncludeTrailingBackslash(buf));
    EXPECT_STREQ(buf, "/a/");
    EXPECT_TRUE(CKzFilename::IncludeTrailingBackslash(buf));
    EXPECT_STREQ(buf, "/a/");
    EXPECT_TRUE(CKzFilename::ExcludeTrailingBackslash(buf));
    EXPECT_STREQ(buf, "/a");
    std::strcpy(buf, "C:\\x\\");
    EXPECT_TRUE(CKzFilename::IncludeTrailingBackslash(buf));
    EXPECT_STREQ(buf, "C:\\x\\");
    buf[0] = '\0';
    EXPECT_FALSE(CKzFilename::IncludeTrailingBackslash(buf));
    EXPECT_FALSE(CKzFilename::ExcludeTrailingBackslash(nullptr));

    std::memset(buf, 'x', 259);
    buf[259] = '\0';
    EXPECT_FALSE(CKzFilename::IncludeTrailingBackslash(buf)); // no room for the terminator
    EXPECT_EQ(std::strlen(buf), 259u);
}
