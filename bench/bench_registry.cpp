// Cost of one settings read and one settings write against a store that already holds the
// given number of values (the viewer's own key holds about twenty). Every call reads the whole
// file; every write also rewrites and syncs it.
#include "Kzutil.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const char* const kRoot = "HKEY_CURRENT_USER";
const char* const kKey = "Software\\Marvensk\\Vistrel";

// A fresh store folder holding count dword values under the application key.
std::string MakeStore(int count)
{
    std::string folder = (std::filesystem::temp_directory_path() / "kzreg-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return {};
    setenv("KZUTIL_REGISTRY_DIR", folder.c_str(), 1);
    for (int i = 0; i < count; ++i)
        CKzRegistry::SetValueInt(kRoot, kKey, ("Value" + std::to_string(i)).c_str(), i);
    return folder;
}

void Read(benchmark::State& state)
{
    const std::string folder = MakeStore(int(state.range(0)));
    int value = 0;
    for (auto _ : state) benchmark::DoNotOptimize(CKzRegistry::GetValueInt(kRoot, kKey, "Value1", &value));
    std::filesystem::remove_all(folder);
}
BENCHMARK(Read)->Arg(20)->Arg(1000);

void Write(benchmark::State& state)
{
    const std::string folder = MakeStore(int(state.range(0)));
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(CKzRegistry::SetValueInt(kRoot, kKey, "Value1", ++i));
    std::filesystem::remove_all(folder);
}
BENCHMARK(Write)->Arg(20)->Arg(1000);

} // namespace
