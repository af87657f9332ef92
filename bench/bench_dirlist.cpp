// Lists and sorts generated folders of 2,600 and 50,000 files with CKzDirList and times `ls -f |
// wc -l` and `ls` on the same folders in the same run, then prints our time over theirs.
#include "Kzutil.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// An extension test as cheap as the viewer's image filter.
bool IsJpeg(const char* path)
{
    const char* dot = std::strrchr(path, '.');
    return dot && std::strcmp(dot, ".jpg") == 0;
}

// A temporary folder of empty .jpg files created in random order with scattered dates.
std::string MakeFolder(int files)
{
    std::string dir = (std::filesystem::temp_directory_path() / "kzdirlist-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) return {};
    std::vector<int> order(size_t(files), 0);
    for (int i = 0; i < files; ++i) order[size_t(i)] = i;
    std::mt19937 random{unsigned(files)};
    std::shuffle(order.begin(), order.end(), random);
    for (int i : order) {
        char name[32];
        std::snprintf(name, sizeof name, "/img%05d.jpg", i);
        std::string path = dir + name;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0) return {};
        const timespec times[2] = {{1600000000 + long(random() % 10000000), 0}, {1600000000 + long(random() % 10000000), 0}};
        ::futimens(fd, times);
        ::close(fd);
    }
    return dir;
}

void ListAndSort(benchmark::State& state, const std::string& dir, ESort order)
{
    for (auto _ : state) {
        CKzDirList list;
        if (!list.Open(dir.c_str(), IsJpeg)) {
            state.SkipWithError("Open failed");
            break;
        }
        list.Sort(order, nullptr);
        benchmark::DoNotOptimize(list.GetFileName(0));
    }
}

void Peer(benchmark::State& state, const std::string& command)
{
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("peer command failed");
            break;
        }
    }
}

// Keeps each benchmark's real time per iteration (in ms) for the ratio table.
class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(::isatty(1) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred) times[run.benchmark_name()] = run.GetAdjustedRealTime(); // in ms
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::vector<std::pair<int, std::string>> folders;
    for (int files : {2600, 50000}) {
        std::string dir = MakeFolder(files);
        if (dir.empty()) {
            std::fprintf(stderr, "cannot create a folder of %d files\n", files);
            return 1;
        }
        folders.emplace_back(files, dir);
        std::string n = std::to_string(files);
        benchmark::RegisterBenchmark(("DirList_Open_SortByName/" + n).c_str(), ListAndSort, dir, SortByName)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DirList_Open_SortByDate/" + n).c_str(), ListAndSort, dir, SortByDate)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ls_f_wc/" + n).c_str(), Peer, "ls -f '" + dir + "' | wc -l >/dev/null")->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ls/" + n).c_str(), Peer, "ls '" + dir + "' >/dev/null")->Unit(benchmark::kMillisecond);
    }
    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nfiles   ours by name   ours by date   ls -f | wc -l   ls    (ms; ratio = ours / peer)\n");
    for (const auto& [files, dir] : folders) {
        std::string n = std::to_string(files);
        auto& t = reporter.times;
        double byName = t["DirList_Open_SortByName/" + n], byDate = t["DirList_Open_SortByDate/" + n];
        double lsf = t["ls_f_wc/" + n], ls = t["ls/" + n];
        if (byName > 0 && lsf > 0 && ls > 0)
            std::printf("%-7d %-14.2f %-14.2f %-15.2f %-5.2f name/ls=%.2f  name/ls-f=%.2f  date/ls=%.2f\n", files,
                        byName, byDate, lsf, ls, byName / ls, byName / lsf, byDate / ls);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    benchmark::Shutdown();
    return 0;
}
