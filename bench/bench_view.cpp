// Painting the main window's image area for a big photo: what every expose, key and refresh
// costs. The photo is loaded, fitted to the screen as the window does, and the area rendered
// (background, nearest-pixel stretch, frame) into a new buffer each time, as a paint does.
// VISTREL_BENCH_PHOTO names the photo; runs on Qt's offscreen platform unless one is chosen.
#include "ImageBrowser.h"
#include "ImageView.h"
#include "MainStatusBar.h"
#include "MainWindow.h"
#include "QtDesktop.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

ImageBrowser* gBrowser = nullptr;
qtui::MainWindow* gWindow = nullptr;

void BM_PaintMainView(benchmark::State& state)
{
    gBrowser->SetDrawBorder(state.range(0) != 0);
    gBrowser->FitWindow();
    const qtui::ImageView& view = gWindow->GetView();
    for (auto _ : state) benchmark::DoNotOptimize(view.Render());
    state.counters["width"] = view.width();
    state.counters["height"] = view.height();
}
BENCHMARK(BM_PaintMainView)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const char* photo = std::getenv("VISTREL_BENCH_PHOTO");
    if (!photo) {
        std::fprintf(stderr, "set VISTREL_BENCH_PHOTO to a photo file\n");
        return 2;
    }
    QApplication application(argc, argv);
    platform::QtDesktop desktop;
    ImageBrowser browser(desktop);
    qtui::MainWindow window(desktop, browser, true);
    browser.SetWindows(&window, window.GetStatusBar());
    if (!browser.LoadFile(photo)) {
        std::fprintf(stderr, "cannot load %s\n", photo);
        return 2;
    }
    gBrowser = &browser;
    gWindow = &window;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
