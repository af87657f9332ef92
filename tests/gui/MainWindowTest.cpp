#include "CommandIds.h"
#include "FakePlatform.h"
#include "GuiSupport.h"
#include "ImageBrowser.h"
#include "ImageView.h"
#include "MainStatusBar.h"
#include "MainWindow.h"
#include "TestSupport.h"
#include "TitleAndStatus.h"
#include "ViewSizing.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

using qtui::MainWindow;

namespace {

// The window system's measures as the offscreen platform has them: its screen, and the frame it
// puts around a top-level window (no caption).
platform::ScreenMetrics OffscreenMetrics()
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    return {screen.width(), screen.height(), 2, 2, 0, 22};
}

class MainWindowTest : public ::testing::Test {
protected:
    testsupport::TempDir temp;
    testsupport::FakeDesktop desktop;
    ImageBrowser browser{desktop};
    std::unique_ptr<MainWindow> window;

    void SetUp() override { desktop.metrics = OffscreenMetrics(); }

    void Open(bool menuAndStatus = true)
    {
        window = std::make_unique<MainWindow>(desktop, browser, menuAndStatus);
        ASSERT_TRUE(browser.SetWindows(window.get(), window->GetStatusBar()));
        if (window->GetStatusBar()) InitStatusBar(browser, *window->GetStatusBar());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::string Dir() const { return temp.path().string() + "/"; }

    void WriteImage(const std::string& name, int width, int height, ColorRef colour = MakeColorRef(255, 0, 0))
    {
        guitest::WriteSolidBitmap(Dir() + name, width, height, colour);
    }

    view::ImageFit Expected(int width, int height, bool border)
    {
        const int statusHeight = window->GetStatusBar() ? window->GetStatusBar()->GetHeight() : 0;
        return view::FitImage(desktop.metrics, statusHeight, border, width, height, window->GetOuterRect());
    }

    QSize ClientOf(const platform::WindowRect& outer) const
    {
        const platform::ScreenMetrics& m = desktop.metrics;
        return {outer.width - 2 * m.frameWidth, outer.height - 2 * m.frameHeight - m.captionHeight};
    }
};

QColor PixelAt(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

} // namespace

TEST_F(MainWindowTest, SizeFollowsTheImageAndTheFrame)
{
    Open();
    WriteImage("a.bmp", 600, 300);
    const view::ImageFit plain = Expected(600, 300, false);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(window->GetOuterRect(), plain.window);
    EXPECT_EQ(window->size(), ClientOf(plain.window));
    EXPECT_EQ(window->frameGeometry().size(), QSize(plain.window.width, plain.window.height));
    EXPECT_EQ(window->GetView().size(), QSize(600, 300));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());

    browser.SetDrawBorder(true);
    const view::ImageFit framed = Expected(600, 300, true);
    browser.FitWindow();
    EXPECT_EQ(window->GetOuterRect(), framed.window);
    EXPECT_EQ(window->GetView().size(), QSize(618, 318));
}

TEST_F(MainWindowTest, BigImageIsScaledDownAndCentred)
{
    Open();
    WriteImage("wide.bmp", 3000, 500);
    const view::ImageFit fit = Expected(3000, 500, false);
    ASSERT_TRUE(fit.centred);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(window->GetOuterRect(), fit.window);
    EXPECT_EQ(window->GetView().size(), QSize(fit.viewWidth, fit.viewHeight));
    EXPECT_EQ(browser.GetZoomPercent(), fit.zoomPercent);
    EXPECT_LT(fit.zoomPercent, 100);
}

TEST_F(MainWindowTest, SmallImageKeepsTheMinimumArea)
{
    Open();
    WriteImage("small.bmp", 200, 100);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(window->GetView().width(), 400);
    EXPECT_EQ(window->GetView().height(), 340);
}

TEST_F(MainWindowTest, GrabShowsTheCentredImageInsideTheFrameRings)
{
    Open();
    WriteImage("red.bmp", 200, 100);
    browser.SetDrawBorder(true);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    const QImage grab = window->grab().toImage();
    const QPoint area = window->GetView().geometry().topLeft();
    // Image area 400 x 340: the picture sits at (100, 120) .. (299, 219).
    ASSERT_EQ(window->GetView().size(), QSize(400, 340));
    const auto at = [&](int x, int y) { return PixelAt(grab, area.x() + x, area.y() + y); };
    EXPECT_EQ(at(100, 120), QColor(255, 0, 0));
    EXPECT_EQ(at(299, 219), QColor(255, 0, 0));
    EXPECT_EQ(at(199, 169), QColor(255, 0, 0));
    // Rings from the image outwards: black, four white, black, three grey.
    const QColor expected[] = {Qt::black, Qt::white, Qt::white, Qt::white, Qt::white, Qt::black};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(at(99 - i, 150), expected[i]) << "ring " << 8 - i << " left";
        EXPECT_EQ(at(300 + i, 150), expected[i]) << "ring " << 8 - i << " right";
        EXPECT_EQ(at(150, 119 - i), expected[i]) << "ring " << 8 - i << " top";
        EXPECT_EQ(at(150, 220 + i), expected[i]) << "ring " << 8 - i << " bottom";
        EXPECT_EQ(at(99 - i, 119 - i), expected[i]) << "corner of ring " << 8 - i;
    }
    for (int i = 6; i < 9; ++i) EXPECT_EQ(at(99 - i, 150), QColor(127, 127, 127));
    EXPECT_EQ(at(0, 0), QColor(127, 127, 127));
    EXPECT_EQ(at(399, 339), QColor(127, 127, 127));
}

TEST_F(MainWindowTest, MenuFollowsTheTableAndKeysWorkWhateverTheMenuState)
{
    Open();
    QStringList titles;
    for (QAction* action : window->GetMenuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Tools", "&Help"}));
    int items = 0;
    for (const command::Menu& menu : command::MainMenu())
        for (const command::MenuItem& item : menu.items) {
            if (!item.text) continue;
            ++items;
            QAction* action = window->GetMenuAction(item.command);
            ASSERT_NE(action, nullptr) << item.text;
            EXPECT_EQ(action->text(), QString::fromLatin1(item.text));
            EXPECT_TRUE(action->shortcut().isEmpty()) << item.text;
        }
    EXPECT_EQ(items, 17);

    QSignalSpy commands(window.get(), &MainWindow::commandTriggered);
    window->GetMenuAction(command::About)->trigger();
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.takeFirst().at(0).toInt(), int(command::About));

    for (const command::Menu& menu : command::MainMenu())
        for (const command::MenuItem& item : menu.items)
            if (item.text) window->EnableItem(item.command, false);
    EXPECT_FALSE(window->GetMenuAction(command::NextMenu)->isEnabled());
    for (const command::Accelerator& accelerator : command::Accelerators()) {
        const QKeySequence keys(QString::fromLatin1(accelerator.key));
        ASSERT_EQ(keys.count(), 1) << accelerator.key;
        QTest::keyClick(window.get(), keys[0].key(), keys[0].keyboardModifiers());
        ASSERT_EQ(commands.count(), 1) << accelerator.key;
        EXPECT_EQ(commands.takeFirst().at(0).toInt(), accelerator.command) << accelerator.key;
    }
}

TEST_F(MainWindowTest, WithoutMenuAndStatusTheWindowHasNeither)
{
    Open(false);
    EXPECT_FALSE(window->HasMenuBar());
    EXPECT_EQ(window->GetMenuBar(), nullptr);
    EXPECT_EQ(window->GetStatusBar(), nullptr);
    // The sizing counts a menu bar that is not there; the window's fixed size does not.
    WriteImage("a.bmp", 600, 400);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_EQ(window->GetView().size(), QSize(600, 400));
    EXPECT_EQ(window->size(), QSize(600, 400));
}

TEST_F(MainWindowTest, StatusBarHasFourPartsAtTheirEdges)
{
    Open();
    WriteImage("a.bmp", 600, 300);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    UpdateTitleAndStatus(browser, *window, window->GetStatusBar());
    const qtui::MainStatusBar& bar = *window->GetStatusBar();
    EXPECT_EQ(bar.GetPartRect(0), QRect(0, 0, 110, bar.height()));
    EXPECT_EQ(bar.GetPartRect(1), QRect(110, 0, 40, bar.height()));
    EXPECT_EQ(bar.GetPartRect(2), QRect(150, 0, 60, bar.height()));
    EXPECT_EQ(bar.GetPartRect(3), QRect(210, 0, bar.width() - 210, bar.height()));
    EXPECT_EQ(bar.width(), window->width());
    EXPECT_EQ(bar.GetText(0), QStringLiteral("600 x 300 x 24bpp"));
    EXPECT_LE(bar.fontMetrics().horizontalAdvance(QStringLiteral("4000 x 3000 x 24bpp")), 110)
        << "a photo's size fits into the first part";
    EXPECT_EQ(bar.GetText(1), QStringLiteral("100%"));
    EXPECT_EQ(bar.GetText(2), QStringLiteral("1/1"));
    EXPECT_EQ(bar.GetText(3), QString::fromLocal8Bit(temp.path().string().c_str()));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vistrel [a.bmp]"));
}

TEST_F(MainWindowTest, CloseBoxAsksToQuitAndRestoredRectSurvivesMaximising)
{
    Open();
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    window->move(30, 40);
    const platform::WindowRect normal = window->GetOuterRect();
    EXPECT_EQ(normal.left, 30);
    EXPECT_EQ(normal.top, 40);

    QSignalSpy closing(window.get(), &MainWindow::closeRequested);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(closing.count(), 1);
    EXPECT_TRUE(window->isVisible());

    window->showMaximized();
    QTest::qWait(20);
    EXPECT_EQ(window->GetRestoredRect(), normal);
    window->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(window->GetRestoredRect(), normal);
}
