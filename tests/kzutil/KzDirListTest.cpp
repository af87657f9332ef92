#include "Kzutil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

void Touch(const TempDir& dir, const std::string& name, long seconds)
{
    WriteFile(dir.file(name), name);
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0), 0);
}

std::vector<std::string> Names(const CKzDirList& list)
{
    std::vector<std::string> names;
    names.reserve(std::size_t(std::max(list.GetFileCount(), 0)));
    for (int i = 0; i < list.GetFileCount(); ++i) names.push_back(CKzFilename::GetFileName(list[i]));
    return names;
}

std::vector<int> g_progress;
void Record(int percent)
{
    g_progress.push_back(percent);
}
void Ignore(int) {}

bool JpegOnly(const char* path)
{
    return std::string(CKzFilename::GetFileExtension(path)) == ".jpg";
}

} // namespace

TEST(KzDirList, ListsFilteredPlainFilesWithFullPaths)
{
    TempDir dir;
    Touch(dir, "a.jpg", 300);
    Touch(dir, "c.jpg", 200);
    Touch(dir, "b.jpg", 100);
    Touch(dir, ".hidden.jpg", 50);
    Touch(dir, "notes.txt", 10);
    std::filesystem::create_directory(dir.path() / "sub.jpg");
    std::filesystem::create_symlink(dir.file("a.jpg"), dir.path() / "link.jpg");
    std::filesystem::create_symlink(dir.file("gone"), dir.path() / "broken.jpg");
    ASSERT_EQ(mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);

    CKzDirList list;
    ASSERT_TRUE(list.Open(dir.path().c_str(), JpegOnly));
    EXPECT_EQ(std::string(list.GetDirName()), dir.path().string() + "/");
    EXPECT_EQ(list.GetFileCount(), 5);
    EXPECT_FALSE(list.Open(dir.path().c_str(), JpegOnly)); // already open

    list.Sort(SortByName, nullptr);
    EXPECT_EQ(Names(list), (std::vector<std::string>{".hidden.jpg", "a.jpg", "b.jpg", "c.jpg", "link.jpg"}));
    EXPECT_EQ(std::string(list[1]), dir.file("a.jpg"));
    list.Sort(SortByDate, nullptr);
    EXPECT_EQ(Names(list)[0], "a.jpg");
    EXPECT_EQ(list.GetFileDate(0), 300);
    EXPECT_EQ(Names(list)[4], ".hidden.jpg");

    EXPECT_STREQ(list.GetFileName(-1), "");
    EXPECT_STREQ(list.GetFileName(5), "");
    EXPECT_EQ(list.GetFileDate(5), 0);
    list.Close();
    EXPECT_EQ(list.GetFileCount(), 0);
    EXPECT_STREQ(list.GetDirName(), "");

    CKzDirList withSlash;
    ASSERT_TRUE(withSlash.Open((dir.path().string() + "/").c_str(), nullptr));
    EXPECT_EQ(withSlash.GetFileCount(), 6); // every plain file, the link to one included
}

TEST(KzDirList, FailedOpens)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "only");
    CKzDirList list;
    EXPECT_FALSE(list.Open(dir.path().c_str(), nullptr));
    EXPECT_EQ(list.GetFileCount(), 0);
    EXPECT_FALSE(list.Open(dir.file("missing").c_str(), nullptr));
    EXPECT_EQ(list.GetFileCount(), -1);
    EXPECT_FALSE(list.Open("", nullptr));
    EXPECT_FALSE(list.Open(nullptr, nullptr));
    EXPECT_FALSE(list.Open(("/" + std::string(258, 'd')).c_str(), nullptr)); // 260 with the separator
}

TEST(KzDirList, EntriesPastThePathLimitAreSkipped)
{
    TempDir dir;
    std::string base = dir.path().string() + "/";
    Touch(dir, "short.jpg", 1);
    Touch(dir, std::string(259 - base.size(), 'n'), 2); // exactly 259 characters with the directory
    Touch(dir, std::string(260 - base.size(), 'm'), 3);
    CKzDirList list;
    ASSERT_TRUE(list.Open(dir.path().c_str(), nullptr));
    EXPECT_EQ(list.GetFileCount(), 2);
    list.Sort(SortByDate, nullptr);
    EXPECT_EQ(std::string(list[0]).size(), 259u);
}

TEST(KzDirList, ProgressOfTheExchangeSort)
{
    TempDir dir;
    Touch(dir, "a", 1);
    Touch(dir, "b", 2);
    Touch(dir, "c", 3);
    CKzDirList list;
    ASSERT_TRUE(list.Open(dir.path().c_str(), nullptr));
    list.Sort(SortByName, nullptr);
    g_progress.clear();
    list.Sort(SortByName, Record);
    EXPECT_EQ(g_progress, (std::vector<int>{50, 100}));
    g_progress.clear();
    list.Sort(ESort(7), Record);
    EXPECT_EQ(g_progress, (std::vector<int>{50, 100}));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
    g_progress.clear();
    list.Sort(SortByDate, Record); // a fully reversed list needs every pass
    EXPECT_EQ(Names(list), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(g_progress, (std::vector<int>{50, 100}));

    TempDir two;
    Touch(two, "x", 1);
    Touch(two, "y", 2);
    CKzDirList pair;
    ASSERT_TRUE(pair.Open(two.path().c_str(), nullptr));
    pair.Sort(SortByName, nullptr);
    g_progress.clear();
    pair.Sort(SortByDate, Record);
    EXPECT_EQ(g_progress, std::vector<int>{100});
    EXPECT_EQ(Names(pair), (std::vector<std::string>{"y", "x"}));

    TempDir one;
    Touch(one, "only", 1);
    CKzDirList single;
    ASSERT_TRUE(single.Open(one.path().c_str(), nullptr));
    g_progress.clear();
    single.Sort(SortByName, Record);
    EXPECT_TRUE(g_progress.empty());
}

TEST(KzDirList, FastSortMatchesTheExchangeSort)
{
    TempDir dir;
    std::mt19937 random(5);
    for (int i = 0; i < 120; ++i) Touch(dir, "f" + std::to_string(random() % 100000) + "_" + std::to_string(i), long(random() % 6));
    CKzDirList fast;
    ASSERT_TRUE(fast.Open(dir.path().c_str(), nullptr));
    for (ESort order : {SortByDate, SortByName, SortByDate}) {
        CKzDirList slow(fast);
        fast.Sort(order, nullptr);
        slow.Sort(order, Ignore);
        ASSERT_EQ(Names(fast), Names(slow));
        for (int i = 0; i < fast.GetFileCount(); ++i) ASSERT_EQ(fast.GetFileDate(i), slow.GetFileDate(i));
    }
}

TEST(KzDirList, CopiesOwnTheirEntries)
{
    TempDir dir;
    Touch(dir, "a", 1);
    Touch(dir, "b", 2);
    CKzDirList* original = new CKzDirList;
    ASSERT_TRUE(original->Open(dir.path().c_str(), nullptr));
    CKzDirList copy(*original);
    CKzDirList assigned;
    assigned = *original;
    delete original;
    copy.Sort(SortByName, nullptr);
    EXPECT_EQ(Names(copy), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(assigned.GetFileCount(), 2);
    copy.Close();
    EXPECT_EQ(assigned.GetFileCount(), 2);
}

namespace {

// A filter that changes the directory while the first (counting) pass runs.
struct Changer {
    const TempDir* dir = nullptr;
    int calls = 0;
    int triggerAt = 0;
    bool grow = false;
};
Changer g_changer;

bool ChangingFilter(const char*)
{
    if (++g_changer.calls == g_changer.triggerAt) {
        for (int i = 0; i < 5; ++i) {
            if (g_changer.grow) WriteFile(g_changer.dir->file("new" + std::to_string(i)), std::string("x"));
            else std::filesystem::remove(g_changer.dir->file("f" + std::to_string(i)));
        }
    }
    return true;
}

} // namespace

TEST(KzDirList, DirectoryChangingBetweenThePasses)
{
    for (bool grow : {true, false}) {
        TempDir dir;
        for (int i = 0; i < 8; ++i) Touch(dir, "f" + std::to_string(i), i);
        g_changer = {&dir, 0, 10, grow}; // 8 files plus "." and "..": the last call of the count
        CKzDirList list;
        ASSERT_TRUE(list.Open(dir.path().c_str(), ChangingFilter));
        // Files made during the count may or may not be seen by it; never more are stored.
        if (grow) {
            EXPECT_GE(list.GetFileCount(), 8);
            EXPECT_LE(list.GetFileCount(), 13);
        } else {
            EXPECT_EQ(list.GetFileCount(), 3);
        }
        for (int i = 0; i < list.GetFileCount(); ++i) {
            EXPECT_TRUE(std::filesystem::exists(list[i])) << list[i];
        }
        EXPECT_STREQ(list.GetFileName(list.GetFileCount()), "");
    }
}
