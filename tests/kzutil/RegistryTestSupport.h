// A private settings store for each test: KZUTIL_REGISTRY_DIR points into a fresh folder.
#pragma once

#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1); }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }

    std::string StoreFile(const char* root = "HKEY_CURRENT_USER") const
    {
        return store.file("store/" + std::string(root) + ".reg");
    }
    std::string StoreText(const char* root = "HKEY_CURRENT_USER") const
    {
        const auto bytes = testsupport::ReadFile(StoreFile(root));
        return {bytes.begin(), bytes.end()};
    }

    testsupport::TempDir store;
};

// What the kzreg program printed and returned.
struct KzregResult {
    int code = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs kzreg with the test's environment; its standard error goes through a file in temp.
inline KzregResult RunKzreg(const std::vector<std::string>& args, const testsupport::TempDir& temp)
{
    const std::string errFile = temp.file("stderr.txt");
    std::string command = ShellQuote(KZREG_PATH);
    for (const std::string& arg : args) command += ' ' + ShellQuote(arg);
    command += " 2>" + ShellQuote(errFile);
    KzregResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto err = testsupport::ReadFile(errFile);
    result.err.assign(err.begin(), err.end());
    return result;
}
