// JPEG decode and encode, PNG decode, and PCX and TGA decode and encode of a photograph, through
// the dispatcher as the viewer uses them. VISTREL_BENCH_JPEG, VISTREL_BENCH_PNG, VISTREL_BENCH_PCX
// and VISTREL_BENCH_TGA name the files (codecs-vs-peers.sh makes them at 4000 x 3000); without
// them the benchmarks are skipped.
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

void Decode(benchmark::State& state, const char* variable, ImageFormat format)
{
    const char* path = PathFrom(variable, state);
    if (!path) return;
    for (auto _ : state) {
        Picture picture;
        if (!picture.Load(path, format)) state.SkipWithError(picture.GetLastError());
        benchmark::DoNotOptimize(picture.GetBits());
    }
}

void Encode(benchmark::State& state, const char* variable, ImageFormat format)
{
    const char* path = PathFrom(variable, state);
    if (!path) return;
    Picture picture;
    if (!picture.Load(path, format)) {
        state.SkipWithError(picture.GetLastError());
        return;
    }
    for (auto _ : state) {
        MemoryStream out;
        picture.Encode(out, format);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
}

BENCHMARK_CAPTURE(Decode, Pcx, "VISTREL_BENCH_PCX", ImageFormat::Pcx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, Tga, "VISTREL_BENCH_TGA", ImageFormat::Tga)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Encode, Pcx, "VISTREL_BENCH_PCX", ImageFormat::Pcx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Encode, Tga, "VISTREL_BENCH_TGA", ImageFormat::Tga)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
