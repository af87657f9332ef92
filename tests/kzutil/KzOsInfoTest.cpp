#include "Kzutil.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

namespace {

// What a shell command prints, without the final line feed; empty when it fails.
std::optional<std::string> Output(const std::string& command)
{
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    if (::pclose(pipe) != 0) return std::nullopt;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// Sets an environment variable (or removes it for null) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(CKzOsInfo, SystemFactsMatchTheCommandsThatShowThem)
{
    EXPECT_EQ(CKzOsInfo::GetOsPlatform(), Output("uname -sr").value());
    EXPECT_EQ(CKzOsInfo::GetPcName(), Output("hostname").value());
    // The shell reads os-release as the file is meant to be read, quotes and escapes included.
    const auto pretty = Output("for f in /etc/os-release /usr/lib/os-release; do "
                               "if [ -r $f ]; then . $f; printf '%s' \"$PRETTY_NAME\"; exit; fi; done");
    EXPECT_EQ(CKzOsInfo::GetOsAdditionalInfo(), pretty.value_or(""));

    const std::string release = Output("uname -r").value();
    std::smatch numbers;
    ASSERT_TRUE(std::regex_search(release, numbers, std::regex(R"(^(\d+)\.(\d+)(?:\.(\d+))?)")));
    EXPECT_EQ(CKzOsInfo::GetOsVersionBuildNumber(), numbers[3].matched ? std::stoi(numbers[3]) : 0);
    const double expected = std::stod(numbers[1].str() + "." + numbers[2].str()); // in the C locale
    // A locale that writes 6.1 as "6,1".
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
    const double number = CKzOsInfo::GetOsVersionNumber();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(number, expected);
}

TEST(CKzOsInfo, FoldersAndWindowsFacts)
{
    {
        ScopedEnv tmp("TMPDIR", nullptr);
        EXPECT_STREQ(CKzOsInfo::GetDirTemp(), "/tmp/");
    }
    {
        ScopedEnv tmp("TMPDIR", "/var/tmp/x");
        EXPECT_STREQ(CKzOsInfo::GetDirTemp(), "/var/tmp/x/");
    }
    {
        ScopedEnv tmp("TMPDIR", ("/" + std::string(258, 't')).c_str());
        EXPECT_STREQ(CKzOsInfo::GetDirTemp(), "");
    }
    EXPECT_STREQ(CKzOsInfo::GetDirWindows(), "");
    EXPECT_STREQ(CKzOsInfo::GetDirSystem(), "");
    for (bool (*flag)() : {CKzOsInfo::IsOsPlatformWindows, CKzOsInfo::IsOsPlatformNT, CKzOsInfo::IsWindows95,
                           CKzOsInfo::IsWindows95SP1, CKzOsInfo::IsWindows95OSR2, CKzOsInfo::IsWindows98,
                           CKzOsInfo::IsWindows98SP1, CKzOsInfo::IsWindows98SE, CKzOsInfo::IsWindowsME,
                           CKzOsInfo::IsWindowsNT351, CKzOsInfo::IsWindowsNT4, CKzOsInfo::IsWindows2000,
                           CKzOsInfo::IsWindowsXP, CKzOsInfo::IsWindowsDotNet})
        EXPECT_FALSE(flag());
}

TEST(CKzOsInfo, WithoutADisplayTheFactsAreUnknown)
{
    ScopedEnv display("DISPLAY", nullptr);
    EXPECT_EQ(CKzOsInfo::GetDisplayBpp(), -1);
    EXPECT_EQ(CKzOsInfo::GetDisplayRefreshFrequency(), -1);
    EXPECT_EQ(CKzOsInfo::GetDisplayColors(), 0);
    EXPECT_EQ(CKzOsInfo::GetDisplayResolutionWidth(), 0);
    EXPECT_EQ(CKzOsInfo::GetDisplayResolutionHeight(), 0);
}

// Run under Xvfb by its own test; without a display there is nothing to compare.
TEST(CKzOsInfo, DisplayFactsMatchTheXServer)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no X display";
    const auto info = Output("xdpyinfo");
    if (!info) GTEST_SKIP() << "xdpyinfo (x11-utils) is missing";
    std::smatch m;
    ASSERT_TRUE(std::regex_search(*info, m, std::regex(R"(dimensions:\s+(\d+)x(\d+) pixels)")));
    EXPECT_EQ(CKzOsInfo::GetDisplayResolutionWidth(), std::stoi(m[1]));
    EXPECT_EQ(CKzOsInfo::GetDisplayResolutionHeight(), std::stoi(m[2]));
    ASSERT_TRUE(std::regex_search(*info, m, std::regex(R"(depth of root window:\s+(\d+) planes)")));
    const std::string depth = m[1];
    ASSERT_TRUE(std::regex_search(*info, m, std::regex("depth " + depth + R"(, bits_per_pixel (\d+))")));
    const int bits = std::stoi(m[1]);
    EXPECT_EQ(CKzOsInfo::GetDisplayBpp(), bits);
    EXPECT_EQ(CKzOsInfo::GetDisplayColors(), 1 << (bits < 24 ? bits : 24));
    // Xvfb's modes carry no timing; a real monitor's do.
    const int hertz = CKzOsInfo::GetDisplayRefreshFrequency();
    EXPECT_TRUE(hertz == -1 || hertz > 0) << hertz;
}
