#include "Kzutil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

// Every test starts and ends in the folder the runner started in.
class KzDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        start_ = std::filesystem::current_path();
        base_ = std::filesystem::canonical(root_.path()); // the form the current directory takes
        for (const char* name : {"b", "C", "a", ".hidden"})
            std::filesystem::create_directory(base_ / name);
        std::filesystem::create_directory_symlink(base_ / "a", base_ / "link");
        testsupport::WriteFile(base_ / "file", std::string("x"));
    }
    void TearDown() override { std::filesystem::current_path(start_); }

    std::string Sub(const std::string& name) const { return (base_ / name).string() + "/"; }

    TempDir root_;
    std::filesystem::path base_;
    std::filesystem::path start_;
    // Siblings walk in name order, ignoring case, whatever order the file system lists them in.
    std::vector<std::string> order_ = {"a", "b", "C"};
};

} // namespace

TEST_F(KzDir, WalksSiblingsWithoutWrapping)
{
    ASSERT_TRUE(CKzDir::SetDirectory(Sub(order_[1]).c_str()));
    EXPECT_TRUE(CKzDir::Next());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[2]));
    EXPECT_FALSE(CKzDir::Next());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[2]));
    EXPECT_TRUE(CKzDir::Previous());
    EXPECT_TRUE(CKzDir::Previous());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[0]));
    EXPECT_FALSE(CKzDir::Previous());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[0]));
    EXPECT_TRUE(CKzDir::Last());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[2]));
    EXPECT_TRUE(CKzDir::First());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[0]));
    EXPECT_TRUE(CKzDir::Parent());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), base_.string() + "/");
    EXPECT_EQ(CKzDir::GetSubDirectories(), 3); // hidden and linked ones are not counted
    EXPECT_TRUE(CKzDir::Child());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub(order_[0]));
}

// Names equal but for case follow each other, in a fixed order.
TEST_F(KzDir, SiblingsEqualButForCaseWalkInAFixedOrder)
{
    for (const char* name : {"b", "C"}) std::filesystem::remove(base_ / name);
    std::filesystem::create_directory(base_ / "A");
    ASSERT_TRUE(CKzDir::SetDirectory(Sub("a").c_str()));
    EXPECT_TRUE(CKzDir::Previous());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub("A"));
    EXPECT_FALSE(CKzDir::Previous());
    EXPECT_TRUE(CKzDir::Next());
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub("a"));
}

TEST_F(KzDir, OnlyTheRootHasNoParent)
{
    std::string top = "/" + (++base_.begin())->string(); // a folder right below the root
    ASSERT_TRUE(CKzDir::SetDirectory(top.c_str()));
    EXPECT_TRUE(CKzDir::Parent());
    EXPECT_STREQ(CKzDir::GetDirectory(), "/");
    EXPECT_FALSE(CKzDir::Parent());
    EXPECT_FALSE(CKzDir::Next());
    EXPECT_FALSE(CKzDir::Previous());
    EXPECT_FALSE(CKzDir::Last());
    EXPECT_FALSE(CKzDir::First());
    EXPECT_STREQ(CKzDir::GetDirectory(), "/");
}

TEST_F(KzDir, SetDirectoryAndQueries)
{
    ASSERT_TRUE(CKzDir::SetDirectory(base_.c_str()));
    EXPECT_FALSE(CKzDir::SetDirectory("b")); // relative: moves, but is not the path given
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), Sub("b"));
    EXPECT_TRUE(CKzDir::SetDirectory(".."));
    EXPECT_FALSE(CKzDir::SetDirectory(Sub("missing").c_str()));
    EXPECT_FALSE(CKzDir::SetDirectory(""));
    EXPECT_TRUE(CKzDir::IsDirectory(Sub("a").c_str()));
    EXPECT_FALSE(CKzDir::IsDirectory((base_ / "file").c_str()));
    EXPECT_FALSE(CKzDir::DirectoryExists(("/" + std::string(259, 'x')).c_str()));
    EXPECT_TRUE(CKzDir::CreateDirectoryA((base_ / "made").c_str()));
    EXPECT_FALSE(CKzDir::CreateDirectoryA((base_ / "made").c_str()));
    EXPECT_FALSE(CKzDir::CreateDirectoryA((base_ / "no/parent").c_str()));
}

TEST_F(KzDir, LongCurrentDirectoryIsRefusedNotOverflowed)
{
    // Grow a chain of folders until the current directory is exactly 259 characters.
    ASSERT_TRUE(CKzDir::SetDirectory(base_.c_str()));
    std::string cwd = base_.string();
    while (cwd.size() < 259) {
        std::string name(std::min<size_t>(40, 259 - cwd.size() - 1), 'd');
        ASSERT_EQ(::mkdir(name.c_str(), 0755), 0);
        ASSERT_EQ(::chdir(name.c_str()), 0);
        cwd += "/" + name;
    }
    ASSERT_EQ(std::filesystem::current_path().string().size(), 259u);
    EXPECT_STREQ(CKzDir::GetDirectory(), ""); // 259 plus the separator would not fit
    EXPECT_FALSE(CKzDir::Parent());
    EXPECT_FALSE(CKzDir::Next());
    EXPECT_EQ(std::filesystem::current_path().string().size(), 259u);
    ASSERT_EQ(::chdir(".."), 0);
    EXPECT_EQ(std::string(CKzDir::GetDirectory()), cwd.substr(0, cwd.rfind('/') + 1));
}
