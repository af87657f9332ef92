// From the Page Down key to the painted frame of the next photo, in the real main window: the
// step decodes the photo in the foreground, or takes it from the prefetcher that decoded it
// while the shown one was looked at. Four 12-megapixel JPEGs (4000 x 3000, made from the corpus
// photo) are walked round; prefetch:0 is the window without a prefetcher. Run under Xvfb with
// bench/next-photo-under-xvfb.sh; any Qt platform works.
#include "AppContext.h"
#include "ImageBrowser.h"
#include "ImageView.h"
#include "QtClipboard.h"
#include "QtDesktop.h"
#include "QtShell.h"
#include "ThumbnailPageBuilder.h"
#include "ViewerWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kPhotos = 4;
ImageBrowser* gBrowser = nullptr;
qtui::ViewerWindow* gViewer = nullptr;
Prefetcher* gPrefetcher = nullptr;

// Counts the view's paints: the clock stops once the event loop has run the paint of the next photo.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

void BM_KeyToPaintedFrame(benchmark::State& state)
{
    const bool prefetch = state.range(0) != 0;
    gBrowser->SetPrefetcher(prefetch ? gPrefetcher : nullptr);
    PaintCounter counter;
    qtui::ImageView& view = gViewer->GetWindow().GetView();
    view.installEventFilter(&counter);
    // Keys of the accelerator table reach the active window only.
    gViewer->GetWindow().activateWindow();
    if (!QTest::qWaitForWindowActive(&gViewer->GetWindow())) {
        state.SkipWithError("the main window does not become active");
        return;
    }
    QWindow* window = gViewer->GetWindow().windowHandle();
    for (auto _ : state) {
        // The user looks at the shown photo long enough for the prefetcher to finish.
        gPrefetcher->WaitUntilIdle();
        QCoreApplication::processEvents();
        const int before = counter.paints;
        const int shown = gBrowser->GetCurrentIndex();
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(window, Qt::Key_PageDown);
        while ((counter.paints == before || gBrowser->GetCurrentIndex() == shown) &&
               std::chrono::steady_clock::now() - start < std::chrono::minutes(1))
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (gBrowser->GetCurrentIndex() == shown) {
            state.SkipWithError("Page Down showed no other photo");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    view.removeEventFilter(&counter);
}
BENCHMARK(BM_KeyToPaintedFrame)->ArgName("prefetch")->Arg(0)->Arg(1)->Iterations(12)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path source =
        std::filesystem::path(VISTREL_CORPUS_DIR) / "exif/exif-samples/hdr/canon_hdr_YES.jpg";
    Picture photo;
    if (!photo.Load(source.string()) || !photo.Resample(4000, 3000, 0) || (photo.GetBpp() < 24 && !photo.IncreaseBpp(24))) {
        std::fprintf(stderr, "cannot make the photos from %s\n", source.string().c_str());
        return 2;
    }
    char pattern[] = "/tmp/vistrel-next-photo-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const std::filesystem::path folder = pattern;
    for (int i = 0; i < kPhotos; ++i)
        if (!photo.Save((folder / ("photo" + std::to_string(i) + ".jpg")).string(), ImageFormat::Jpg)) return 2;

    QApplication application(argc, argv);
    platform::QtDesktop desktop;
    platform::QtClipboard clipboard;
    platform::QtShell shell;
    AppContext app;
    ImageBrowser browser(desktop);
    ThumbnailPageBuilder builder(desktop);
    int status = 2;
    {
        qtui::ViewerWindow viewer(app, browser, builder, desktop, clipboard, shell);
        browser.SetWindows(&viewer.GetWindow(), viewer.GetStatusBar());
        gBrowser = &browser;
        gViewer = &viewer;
        gPrefetcher = &viewer.GetPrefetcher();
        if (browser.LoadFile((folder / "photo0.jpg").string().c_str())) {
            benchmark::Initialize(&argc, argv);
            benchmark::RunSpecifiedBenchmarks();
            benchmark::Shutdown();
            status = 0;
        }
        browser.SetPrefetcher(gPrefetcher);
    }
    std::filesystem::remove_all(folder);
    return status;
}
