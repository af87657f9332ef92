// Helpers shared by the test suites: temporary folders and the shared image corpus.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::vector<unsigned char> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A folder of the image corpus that ships with the tests (tests/corpus), or empty when missing.
inline std::filesystem::path CorpusDir(const std::string& sub = {})
{
    std::filesystem::path dir = std::filesystem::path(VISTREL_CORPUS_DIR) / sub;
    return std::filesystem::is_directory(dir) ? dir : std::filesystem::path();
}

// The corpus is part of the repository: a missing folder is a broken checkout, not a skip.
#define VISTREL_REQUIRE_CORPUS(var, sub)                                                          \
    const std::filesystem::path var = testsupport::CorpusDir(sub);                                \
    if (var.empty()) FAIL() << "corpus folder missing: " << VISTREL_CORPUS_DIR << "/" << (sub)

} // namespace testsupport
