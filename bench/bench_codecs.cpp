// JPEG decode and encode and PNG decode of a photograph, through the dispatcher as the viewer
// uses them. VISTREL_BENCH_JPEG and VISTREL_BENCH_PNG name the files (codecs-vs-peers.sh makes
// a 4000 x 3000 pair); without them the benchmarks are skipped.
#include "MemoryStream.h"
#include "Picture.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const char* PathFrom(const char* variable, benchmark::State& state)
{
    const char* path = std::getenv(variable);
    if (!path) state.SkipWithError((std::string(variable) + " is not set").c_str());
    return path;
}

void BM_JpegDecode(benchmark::State& state)
{
    const char* path = PathFrom("VISTREL_BENCH_JPEG", state);
    if (!path) return;
    for (auto _ : state) {
        Picture picture;
        if (!picture.Load(path, ImageFormat::Jpg)) state.SkipWithError(picture.GetLastError());
        benchmark::DoNotOptimize(picture.GetBits());
    }
}
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JpegEncode(benchmark::State& state)
{
    const char* path = PathFrom("VISTREL_BENCH_JPEG", state);
    if (!path) return;
    Picture picture;
    if (!picture.Load(path, ImageFormat::Jpg)) {
        state.SkipWithError(picture.GetLastError());
        return;
    }
    picture.SetJpegQuality(75);
    for (auto _ : state) {
        MemoryStream out;
        picture.Encode(out, ImageFormat::Jpg);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
}
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PngDecode(benchmark::State& state)
{
    const char* path = PathFrom("VISTREL_BENCH_PNG", state);
    if (!path) return;
    for (auto _ : state) {
        Picture picture;
        if (!picture.Load(path, ImageFormat::Png)) state.SkipWithError(picture.GetLastError());
        benchmark::DoNotOptimize(picture.GetBits());
    }
}
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
