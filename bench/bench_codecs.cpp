// JPEG decode and encode, PNG decode, and PCX and TGA decode and encode of a photograph, through
// the dispatcher as the viewer uses them. VISTREL_BENCH_JPEG, VISTREL_BENCH_PNG, VISTREL_BENCH_PCX
// and VISTREL_BENCH_TGA name the files (codecs-vs-peers.sh makes them at 4000 x 3000); without
// them the benchmarks are skipped. GIF: VISTREL_BENCH_GIF (a 1600 x 1200 picture of 256 colours),
// VISTREL_BENCH_GIF_ANIMATION (ten such frames) and VISTREL_BENCH_GIF_PHOTO (a 24-bit photo).
// TIFF: VISTREL_BENCH_TIFF_LZW (a 24-bit LZW photo, also the picture the encoders write) and
// VISTREL_BENCH_TIFF_PALETTE (256 colours, PackBits).
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

// `compression` is the picture's codec option (0: what the codec chooses).
void Encode(benchmark::State& state, const char* variable, ImageFormat format, std::uint32_t compression = 0)
{
    const char* path = PathFrom(variable, state);
    if (!path) return;
    Picture picture;
    if (!picture.Load(path, format)) {
        state.SkipWithError(picture.GetLastError());
        return;
    }
    picture.SetCodecOption(compression);
    for (auto _ : state) {
        MemoryStream out;
        picture.Encode(out, format);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
}

// The last frame of an animation of ten: the frames before it are decoded as well.
void DecodeLastFrame(benchmark::State& state, const char* variable, ImageFormat format)
{
    const char* path = PathFrom(variable, state);
    if (!path) return;
    for (auto _ : state) {
        Picture picture(format);
        picture.SetFrame(9);
        if (!picture.Load(path, format)) state.SkipWithError(picture.GetLastError());
        benchmark::DoNotOptimize(picture.GetBits());
    }
}

// A picture read from any file (the format found by content) written in another format.
void Write(benchmark::State& state, const char* variable, ImageFormat format)
{
    const char* path = PathFrom(variable, state);
    if (!path) return;
    Picture picture;
    if (!picture.Load(path)) {
        state.SkipWithError(picture.GetLastError());
        return;
    }
    for (auto _ : state) {
        MemoryStream out;
        if (!picture.Encode(out, format)) state.SkipWithError(picture.GetLastError());
        benchmark::DoNotOptimize(out.GetBuffer());
    }
}

BENCHMARK_CAPTURE(Decode, Gif, "VISTREL_BENCH_GIF", ImageFormat::Gif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DecodeLastFrame, Gif, "VISTREL_BENCH_GIF_ANIMATION", ImageFormat::Gif)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Run-length codes (the default mode) for a 256-colour picture; 24-bit photos as tile mosaics.
BENCHMARK_CAPTURE(Write, Gif, "VISTREL_BENCH_GIF", ImageFormat::Gif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Write, GifMosaic, "VISTREL_BENCH_GIF_PHOTO", ImageFormat::Gif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, Pcx, "VISTREL_BENCH_PCX", ImageFormat::Pcx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, Tga, "VISTREL_BENCH_TGA", ImageFormat::Tga)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Encode, Pcx, "VISTREL_BENCH_PCX", ImageFormat::Pcx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Encode, Tga, "VISTREL_BENCH_TGA", ImageFormat::Tga)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, Wbmp, "VISTREL_BENCH_WBMP", ImageFormat::Wbmp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Encode, Wbmp, "VISTREL_BENCH_WBMP", ImageFormat::Wbmp)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_CAPTURE(Decode, TiffLzw, "VISTREL_BENCH_TIFF_LZW", ImageFormat::Tif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, TiffPalette, "VISTREL_BENCH_TIFF_PALETTE", ImageFormat::Tif)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// 0 is the compression chosen for 24 bits (JPEG at quality 75); 5 is LZW.
BENCHMARK_CAPTURE(Encode, TiffJpeg, "VISTREL_BENCH_TIFF_LZW", ImageFormat::Tif, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Encode, TiffLzw, "VISTREL_BENCH_TIFF_LZW", ImageFormat::Tif, 5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
