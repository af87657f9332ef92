// Runs every kept crasher through the fuzz target of its folder:
//   crasher-replay DIR     DIR/<target>/<file>, the folder naming the target ("bmp", "any", "exif" …)
// Exits 1 on a folder that names no target or on an input that drove the process's memory past
// a bound no small hostile file may need; a broken invariant aborts, naming the file first.
#include "FuzzTargets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

// Peak resident memory in KiB: a decoder allocates and clears what a file merely claims.
long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

constexpr long kPeakLimitKiB = 512L * 1024;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: crasher-replay DIR\n");
        return 2;
    }
    PrepareFuzzing();
    std::vector<fs::path> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[1]))
        if (entry.is_directory()) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    int files = 0;
    for (const fs::path& folder : folders) {
        const FuzzTarget target = FindFuzzTarget(folder.filename().string());
        if (!target) {
            std::fprintf(stderr, "%s: no fuzz target of that name\n", folder.c_str());
            return 1;
        }
        std::vector<fs::path> inputs;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
        for (const fs::path& input : inputs) {
            std::fprintf(stderr, "%s\n", input.c_str());
            std::ifstream in(input, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            target(bytes.data(), bytes.size());
            if (PeakKiB() > kPeakLimitKiB) {
                std::fprintf(stderr, "%s: the process grew to %ld MiB\n", input.c_str(), PeakKiB() / 1024);
                return 1;
            }
            ++files;
        }
    }
    std::printf("%d crashers replayed cleanly\n", files);
    return 0;
}
