// The store under stress: concurrent writers, writers killed mid-write, damaged files.
#include "Kzutil.h"
#include "KzRegDocument.h"
#include "RegistryTestSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const char* const kUser = "HKEY_CURRENT_USER";

// Runs body in a child process; the child's exit status is body's result.
pid_t Spawn(const std::function<bool()>& body)
{
    const pid_t pid = fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    return pid;
}

bool ExitedCleanly(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

using KzRegistryStore = RegistryTest;

TEST_F(KzRegistryStore, TwoProcessesWritingTheSameKeyLoseNothing)
{
    constexpr int kWrites = 500;
    std::vector<pid_t> writers;
    writers.reserve(2);
    for (int process = 0; process < 2; ++process) {
        writers.push_back(Spawn([process] {
            for (int i = 0; i < kWrites; ++i) {
                const std::string name = "p" + std::to_string(process) + "_" + std::to_string(i);
                if (!CKzRegistry::SetValueInt(kUser, "Shared\\Key", name.c_str(), i * 2 + process)) return false;
            }
            return true;
        }));
    }
    for (pid_t pid : writers) EXPECT_TRUE(ExitedCleanly(pid));

    kzreg::KzRegDocument document;
    EXPECT_TRUE(document.Parse(StoreText(), kUser));
    ASSERT_NE(document.FindKey("Shared\\Key"), nullptr);
    EXPECT_EQ(document.FindKey("Shared\\Key")->values.size(), 2u * kWrites);
    for (int process = 0; process < 2; ++process) {
        for (int i = 0; i < kWrites; ++i) {
            const std::string name = "p" + std::to_string(process) + "_" + std::to_string(i);
            const kzreg::RegValue* value = document.FindValue("Shared\\Key", name);
            ASSERT_NE(value, nullptr) << name;
            EXPECT_EQ(value->data[0] + (value->data[1] << 8), i * 2 + process);
        }
    }
    int n = -1;
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "Shared\\Key", "p1_499", &n));
    EXPECT_EQ(n, 999);
}

TEST_F(KzRegistryStore, WriterKilledMidWriteLeavesTheLastWholeFile)
{
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "K", "Stable", 7));
    // Large values make each write take a while, so the kills land inside writes.
    const std::vector<unsigned char> first(300000, 0x11), second(300000, 0x22);
    std::mt19937 random(1);
    for (int round = 0; round < 12; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t writer = Spawn([&] {
            for (int i = 0;; ++i) {
                const auto& data = i % 2 ? second : first;
                CKzRegistry::SetValueBinary(kUser, "K", "Big", data.data(), int(data.size()));
                if (i == 0 && write(ready[1], "!", 1) != 1) return false;
            }
            return true;
        });
        char byte = 0;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
        usleep(useconds_t(random() % 20000));
        kill(writer, SIGKILL);
        waitpid(writer, nullptr, 0);

        kzreg::KzRegDocument document;
        ASSERT_TRUE(document.Parse(StoreText(), kUser)) << "round " << round;
        int n = 0;
        EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "K", "Stable", &n));
        EXPECT_EQ(n, 7);
        const kzreg::RegValue* big = document.FindValue("K", "Big");
        ASSERT_NE(big, nullptr);
        EXPECT_TRUE(big->data == first || big->data == second);
    }
    // The next writer clears temporary files that killed writers left behind.
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "K", "After", 1));
    EXPECT_EQ(FilesIn(store.path() / "store"),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
}

TEST_F(KzRegistryStore, DamagedFileIsReadAsFarAsPossibleAndKeptBesideTheRewrite)
{
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\App]\n\"Good\"=dword:00000005\n"
                                "\"Bad\"=dword:zz\n\x01\x02\xff garbage\0\n"
                                "\"Text\"=\"still here\"\n\"Cut\"=\"no end"s;
    fs::create_directories(store.path() / "store");
    testsupport::WriteFile(StoreFile(), damaged);
    const auto original = testsupport::ReadFile(StoreFile());

    int n = 0;
    char text[32] = "";
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "App", "Good", &n));
    EXPECT_EQ(n, 5);
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "App", "Bad", &n));
    EXPECT_TRUE(CKzRegistry::GetValueString(kUser, "App", "Text", text));
    EXPECT_EQ(testsupport::ReadFile(StoreFile()), original); // reading never repairs

    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "App", "New", 9));
    EXPECT_EQ(testsupport::ReadFile(StoreFile() + ".damaged"), original);
    kzreg::KzRegDocument document;
    EXPECT_TRUE(document.Parse(StoreText(), kUser));
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "App", "Good", &n));
    EXPECT_TRUE(CKzRegistry::GetValueString(kUser, "App", "Text", text));
    EXPECT_STREQ(text, "still here");
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "App", "New", &n));

    // A second damage keeps the first copy and adds another.
    testsupport::WriteFile(StoreFile(), std::string("not a store"));
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "App", "New", 10));
    EXPECT_EQ(testsupport::ReadFile(StoreFile() + ".damaged"), original);
    EXPECT_EQ(testsupport::ReadFile(StoreFile() + ".damaged.1"), (std::vector<unsigned char>{
        'n', 'o', 't', ' ', 'a', ' ', 's', 't', 'o', 'r', 'e'}));
}

TEST_F(KzRegistryStore, FileThatCannotBeReadIsNeverReplaced)
{
    // A folder where the file should be, and a file far too large to be settings.
    fs::create_directories(store.path() / "store" / "HKEY_CURRENT_USER.reg");
    int n = 0;
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "K", "n", 1));
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "K", "n", &n));
    EXPECT_TRUE(fs::is_directory(StoreFile()));

    const std::string machine = StoreFile("HKEY_LOCAL_MACHINE");
    testsupport::WriteFile(machine, std::string("REGEDIT4\n"));
    fs::resize_file(machine, std::uintmax_t(65) << 20);
    EXPECT_FALSE(CKzRegistry::SetValueInt("HKEY_LOCAL_MACHINE", "K", "n", 1));
    EXPECT_EQ(fs::file_size(machine), 65u * 1024 * 1024);
    EXPECT_FALSE(fs::exists(machine + ".damaged"));
}

TEST_F(KzRegistryStore, LinkedStoreFileStaysALink)
{
    fs::create_directories(store.path() / "store");
    const std::string target = store.file("elsewhere.reg");
    testsupport::WriteFile(target, std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"old\"=dword:00000001\n"));
    fs::create_symlink(target, StoreFile());
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "K", "new", 2));
    EXPECT_TRUE(fs::is_symlink(StoreFile()));
    int n = 0;
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "K", "old", &n));
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "K", "new", &n));
    EXPECT_EQ(n, 2);
    const auto bytes = testsupport::ReadFile(target);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("\"new\"=dword:00000002"), std::string::npos);
}

TEST_F(KzRegistryStore, FolderComesFromTheEnvironment)
{
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "K", "n", 1));
    EXPECT_TRUE(fs::exists(StoreFile()));

    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    unsetenv("KZUTIL_REGISTRY_DIR");
    setenv("XDG_CONFIG_HOME", store.file("config").c_str(), 1);
    const bool written = CKzRegistry::SetValueInt(kUser, "K", "n", 2);
    if (previous)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(written);
    EXPECT_TRUE(fs::exists(store.path() / "config" / "kzutil-registry" / "HKEY_CURRENT_USER.reg"));
}
