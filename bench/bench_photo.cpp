// What the viewer does to a big photograph: fit it (area average), enlarge it (bilinear),
// reduce it to 256 colours for GIF, and read and write it as BMP.
// VISTREL_BENCH_PHOTO names a 24-bit BMP to use; without it a 4000 x 3000 test photo is made.
#include "MemoryStream.h"
#include "Picture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

// Smooth gradients with fine noise: the mix of flat and busy areas a photo has.
Picture SyntheticPhoto(std::int32_t width, std::int32_t height)
{
    Picture photo(width, height, 24);
    std::mt19937 random(42);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = photo.GetBits() + std::size_t(y) * photo.GetEffWidth();
        for (std::int32_t x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int noise = int(random() % 9) - 4;
            row[3 * std::size_t(x)] = std::uint8_t(std::clamp(int(255 * u) + noise, 0, 255));
            row[3 * x + 1] = std::uint8_t(std::clamp(int(127 + 120 * std::sin(6 * u + 4 * v)) + noise, 0, 255));
            row[3 * x + 2] = std::uint8_t(std::clamp(int(255 * v) + noise, 0, 255));
        }
    }
    return photo;
}

Picture& Photo()
{
    static Picture photo = [] {
        Picture loaded;
        const char* path = std::getenv("VISTREL_BENCH_PHOTO");
        if (path && loaded.Load(path, ImageFormat::Bmp) && loaded.GetBpp() == 24) return loaded;
        return SyntheticPhoto(4000, 3000);
    }();
    return photo;
}

void BM_ResampleAreaAverage(benchmark::State& state)
{
    Picture& photo = Photo();
    for (auto _ : state) {
        Picture out;
        photo.Resample(std::int32_t(state.range(0)), std::int32_t(state.range(1)), 0, &out);
        benchmark::DoNotOptimize(out.GetBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(photo.GetHeader().imageSize));
}
BENCHMARK(BM_ResampleAreaAverage)->Args({1280, 960})->Args({120, 90})->Unit(benchmark::kMillisecond);

void BM_ResampleBilinearEnlarge(benchmark::State& state)
{
    Picture small;
    Photo().Resample(1000, 750, 0, &small);
    for (auto _ : state) {
        Picture out;
        small.Resample(4000, 3000, 0, &out);
        benchmark::DoNotOptimize(out.GetBits());
    }
    state.SetItemsProcessed(state.iterations() * 4000 * 3000);
}
BENCHMARK(BM_ResampleBilinearEnlarge)->Unit(benchmark::kMillisecond);

void BM_DecreaseBppDiffusion(benchmark::State& state)
{
    Picture medium;
    Photo().Resample(1600, 1200, 0, &medium);
    for (auto _ : state) {
        state.PauseTiming();
        Picture work(medium);
        state.ResumeTiming();
        work.DecreaseBpp(8, true);
        benchmark::DoNotOptimize(work.GetBits());
    }
    state.SetItemsProcessed(state.iterations() * 1600 * 1200);
}
BENCHMARK(BM_DecreaseBppDiffusion)->Unit(benchmark::kMillisecond);

void BM_BmpDecode(benchmark::State& state)
{
    Picture photo(Photo());
    MemoryStream file;
    photo.Encode(file, ImageFormat::Bmp);
    for (auto _ : state) {
        MemoryStream in(file.GetBuffer(), std::size_t(file.Size()));
        Picture decoded;
        decoded.Decode(in, ImageFormat::Bmp);
        benchmark::DoNotOptimize(decoded.GetBits());
    }
    state.SetBytesProcessed(state.iterations() * file.Size());
}
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMillisecond);

void BM_BmpEncode(benchmark::State& state)
{
    Picture photo(Photo());
    for (auto _ : state) {
        MemoryStream out;
        photo.Encode(out, ImageFormat::Bmp);
        benchmark::DoNotOptimize(out.GetBuffer());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(photo.GetSize()));
}
BENCHMARK(BM_BmpEncode)->Unit(benchmark::kMillisecond);

} // namespace
