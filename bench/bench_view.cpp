// Painting the main window's image area for a big photo: what every expose, key and refresh
// costs. The photo is loaded, fitted to the screen as the window does, and the area rendered
// (background, the picture from its kept reduced copy, frame) into a new buffer each time, as a
// paint does. Beside it: the same paint as it was done before the reduced copy (nearest-pixel
// stretch of the whole picture), and the making of the copy, which the first paint pays.
// VISTREL_BENCH_PHOTO names the photo; runs on Qt's offscreen platform unless one is chosen.
#include "ImageBrowser.h"
#include "ImageView.h"
#include "MainStatusBar.h"
#include "MainWindow.h"
#include "QtDesktop.h"
#include "RasterDC.h"
#include "ViewConstants.h"
#include "ViewSizing.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

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

view::Placement FittedPlacement()
{
    const Picture& picture = gBrowser->GetDocument().GetPicture();
    return view::PlaceInArea(picture.GetWidth(), picture.GetHeight(), gBrowser->GetViewWidth(),
                             gBrowser->GetViewHeight(), 0);
}

void BM_PaintNearestStretch(benchmark::State& state)
{
    gBrowser->SetDrawBorder(false);
    gBrowser->FitWindow();
    Picture picture(gBrowser->GetDocument().GetPicture());
    const view::Placement place = FittedPlacement();
    const QSize size = gWindow->GetView().size();
    for (auto _ : state) {
        QImage image(size, QImage::Format_RGB32);
        RasterDC dc(image.bits(), image.width(), image.height(), int(image.bytesPerLine()));
        dc.FillRect({0, 0, dc.GetWidth(), dc.GetHeight()}, view::kBackground);
        picture.Stretch(&dc, place.x, place.y, place.width, place.height);
        benchmark::DoNotOptimize(image);
    }
}
BENCHMARK(BM_PaintNearestStretch)->Unit(benchmark::kMillisecond);

void BM_MakeReducedCopy(benchmark::State& state)
{
    gBrowser->SetDrawBorder(false);
    gBrowser->FitWindow();
    const Picture& picture = gBrowser->GetDocument().GetPicture();
    const view::Placement place = FittedPlacement();
    for (auto _ : state) {
        Picture copy;
        picture.ReduceOnto(copy, place.width, place.height, RGBtoRGBQUAD(view::kBackground));
        benchmark::DoNotOptimize(copy.GetBits());
    }
}
BENCHMARK(BM_MakeReducedCopy)->Unit(benchmark::kMillisecond);

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
