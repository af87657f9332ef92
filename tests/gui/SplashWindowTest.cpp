#include "BitmapResource.h"
#include "GuiSupport.h"
#include "SplashWindow.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <string>

using guitest::FindShown;
using guitest::WhenShown;
using qtui::SplashWindow;

namespace {

void CloseSplashes()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<SplashWindow*>(widget)) window->close();
}

// Dark pixels (text is black on light artwork) inside a rectangle of an image.
int DarkPixels(const QImage& image, const QRect& rect)
{
    int dark = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 64) ++dark;
    return dark;
}

} // namespace

TEST(SplashWindow, AboutIsBorderlessCentredAndClosesOnKey)
{
    QRect geometry;
    Qt::WindowFlags flags;
    QString title;
    QImage shown;
    bool stillOpenAfterWait = false;
    WhenShown<SplashWindow>(
        [&](SplashWindow* window) {
            geometry = window->geometry();
            flags = window->windowFlags();
            title = window->windowTitle();
            shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
            // No timer runs in the About box: it is still there after more than a tick.
            QTest::qWait(1300);
            stillOpenAfterWait = window->isVisible();
            QTest::keyClick(window, Qt::Key_Space);
        },
        CloseSplashes);
    EXPECT_TRUE(qtui::ShowProgramSplash(0));
    EXPECT_EQ(FindShown<SplashWindow>(), nullptr);

    EXPECT_TRUE(stillOpenAfterWait);
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(title, QStringLiteral("Vistrel"));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(geometry, QRect(screen.width() / 2 - 260, screen.height() / 2 - 160, 520, 320));

    // Away from the text the window shows the artwork exactly; the three lines are there.
    ASSERT_EQ(shown.size(), QSize(520, 320));
    QFile file(QStringLiteral(VISTREL_SOURCE_DIR "/resources/splash.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                              std::size_t(bytes.size()), bitmap));
    for (int y : {10, 60, 200, 319})
        for (int x : {0, 300, 450, 519}) {
            const std::uint8_t* p = bitmap.bits + std::ptrdiff_t(319 - y) * bitmap.stride + 3 * std::ptrdiff_t(x);
            EXPECT_EQ(shown.pixel(x, y), qRgb(p[2], p[1], p[0])) << x << "," << y;
        }
    EXPECT_GT(DarkPixels(shown, QRect(15, 95, 140, 42)), 400);
    EXPECT_GT(DarkPixels(shown, QRect(15, 135, 120, 22)), 150);
    EXPECT_GT(DarkPixels(shown, QRect(15, 291, 300, 14)), 150);
    EXPECT_EQ(DarkPixels(shown, QRect(15, 60, 300, 30)), 0);
    // Bold text stays inside the cells it is given.
    EXPECT_EQ(DarkPixels(shown, QRect(15, 138, 200, 0)), 0);
    EXPECT_EQ(DarkPixels(shown, QRect(15, 306, 400, 10)), 0);
}

TEST(SplashWindow, AboutClosesOnClick)
{
    WhenShown<SplashWindow>([](SplashWindow* window) { QTest::mouseClick(window, Qt::RightButton); },
                            CloseSplashes);
    EXPECT_TRUE(qtui::ShowProgramSplash(0));
    EXPECT_EQ(FindShown<SplashWindow>(), nullptr);
}

TEST(SplashWindow, TimeOutClosesByItselfAndIgnoredClicksDoNot)
{
    QFile file(QStringLiteral(":/vistrel/splash.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    BitmapDescription bitmap;
    ASSERT_TRUE(resources::DescribeBitmapFile(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                              std::size_t(bytes.size()), bitmap));

    bool openAfterClick = false;
    WhenShown<SplashWindow>(
        [&](SplashWindow* window) {
            QTest::mouseClick(window, Qt::LeftButton);
            QTest::keyClick(window, Qt::Key_Escape);
            openAfterClick = window->isVisible();
        },
        CloseSplashes);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(qtui::ShowSplash({&bitmap, 1, true, "a", "b", "c"}));
    EXPECT_TRUE(openAfterClick);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(FindShown<SplashWindow>(), nullptr);
}

TEST(SplashWindow, MissingArtworkShowsNoWindow)
{
    EXPECT_FALSE(qtui::ShowSplash({nullptr, 5, false, "a", "b", "c"}));
    EXPECT_EQ(FindShown<SplashWindow>(), nullptr);
}
