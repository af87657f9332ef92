// Copy and paste of a 4000 x 3000 photo through the Qt clipboard: what Ctrl+C costs, and what a
// program pasting PNG or BMP then waits for. VISTREL_BENCH_PHOTO names a 24-bit BMP to use;
// without it a noise picture of that size stands in (it compresses worse than a photo).
#include "Picture.h"
#include "QtClipboard.h"

#include <benchmark/benchmark.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdlib>
#include <random>

namespace {

const ByteBlock& PhotoBlock()
{
    static const ByteBlock block = [] {
        Picture photo;
        const char* path = std::getenv("VISTREL_BENCH_PHOTO");
        if (!path || !photo.Load(path, ImageFormat::Bmp) || photo.GetBpp() != 24) {
            photo.Create(4000, 3000, 24);
            std::mt19937 random(7);
            std::uint8_t* bits = photo.GetBits();
            for (std::uint32_t i = 0; i < photo.GetEffWidth() * 3000; ++i) bits[i] = std::uint8_t(random() >> 24);
        }
        return photo.CopyToGlobalHandle();
    }();
    return block;
}

void BM_ClipboardCopy(benchmark::State& state)
{
    platform::QtClipboard clipboard;
    for (auto _ : state) benchmark::DoNotOptimize(clipboard.SetImage(PhotoBlock()));
}
BENCHMARK(BM_ClipboardCopy)->Unit(benchmark::kMillisecond);

// Copy, then one paste of type.
void Paste(benchmark::State& state, const char* type)
{
    platform::QtClipboard clipboard;
    for (auto _ : state) {
        clipboard.SetImage(PhotoBlock());
        const QByteArray data = QGuiApplication::clipboard()->mimeData()->data(QString::fromLatin1(type));
        benchmark::DoNotOptimize(data.constData());
    }
}

void BM_ClipboardPastePng(benchmark::State& state)
{
    Paste(state, "image/png");
}
BENCHMARK(BM_ClipboardPastePng)->Unit(benchmark::kMillisecond);

void BM_ClipboardPasteBmp(benchmark::State& state)
{
    Paste(state, "image/bmp");
}
BENCHMARK(BM_ClipboardPasteBmp)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // The clipboard of the offscreen platform lives in this process: no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
