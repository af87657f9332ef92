// Costs of the container operations that decoders and converters run per pixel or per row.
#include "MemoryStream.h"
#include "Picture.h"

#include <benchmark/benchmark.h>

#include <vector>

static void BM_CreateCleared(benchmark::State& state)
{
    const auto side = std::int32_t(state.range(0));
    for (auto _ : state) {
        Picture picture(side, side, 24);
        benchmark::DoNotOptimize(picture.GetBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(side) * side * 3);
}
BENCHMARK(BM_CreateCleared)->Arg(256)->Arg(2048);

// Nearest-colour search over the 256-entry palette, with and without the one-entry cache hit.
static void BM_NearestIndex(benchmark::State& state)
{
    Picture picture(16, 16, 8);
    for (std::uint32_t i = 0; i < 256; ++i)
        picture.SetPaletteEntry(i, std::uint8_t(i * 7), std::uint8_t(i * 13), std::uint8_t(i * 31));
    const bool repeat = state.range(0) != 0;
    std::uint32_t n = 0;
    for (auto _ : state) {
        const std::uint32_t v = repeat ? 0x123456 : (n++ * 2654435761u);
        benchmark::DoNotOptimize(picture.GetNearestIndex(RgbQuad::FromValue(v & 0xFFFFFF)));
    }
}
BENCHMARK(BM_NearestIndex)->Arg(0)->Arg(1);

static void BM_PixelColorRoundTrip(benchmark::State& state)
{
    Picture picture(512, 512, 24);
    for (auto _ : state) {
        for (std::int32_t y = 0; y < 512; ++y)
            for (std::int32_t x = 0; x < 512; ++x) picture.SetPixelColor(x, y, picture.GetPixelColor(x, y));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_PixelColorRoundTrip);

static void BM_MemoryStreamWrite(benchmark::State& state)
{
    const std::vector<std::uint8_t> row(std::size_t(state.range(0)), 0xAB);
    for (auto _ : state) {
        MemoryStream stream;
        for (int i = 0; i < 1024; ++i) stream.Write(row.data(), 1, row.size());
        benchmark::DoNotOptimize(stream.Size());
    }
    state.SetBytesProcessed(state.iterations() * 1024 * state.range(0));
}
BENCHMARK(BM_MemoryStreamWrite)->Arg(64)->Arg(3072);
