#include "AppContext.h"
#include "ImageBrowser.h"
#include "QtStartUpHost.h"
#include "QtWindow.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace {

// The host makes the one application object of this test program.
class QtStartUpHostTest : public ::testing::Test {
protected:
    testsupport::TempDir store;
    int argc = 1;
    char name[16] = "vistrel_host";
    char* argv[2] = {name, nullptr};

    void SetUp() override { setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1); }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }
};

} // namespace

TEST_F(QtStartUpHostTest, MainWindowShowsAndItsCloseBoxEndsTheEventLoop)
{
    for (bool menuAndStatus : {true, false}) {
        std::unique_ptr<StartUpHost> host = CreateQtStartUpHost(argc, argv);
        ImageBrowser browser(host->GetDesktop());
        ThumbnailPageBuilder builder(host->GetDesktop());
        AppContext app;
        app.showMenuAndStatus = menuAndStatus;
        EXPECT_EQ(host->GetMainWindow(), nullptr);
        ASSERT_TRUE(host->CreateMainWindow(app, browser, builder));

        QWidget* window = platform::AsWidget(host->GetMainWindow());
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Vistrel"));
        EXPECT_EQ(host->GetStatusBar() != nullptr, menuAndStatus);
        EXPECT_EQ(host->GetMenuBar() != nullptr, menuAndStatus);
        EXPECT_EQ(host->GetMainWindow()->HasMenuBar(), menuAndStatus);

        bool visibleAfterClose = false;
        QTimer::singleShot(0, window, [window, &visibleAfterClose] {
            window->close();
            visibleAfterClose = window->isVisible();
        });
        EXPECT_EQ(host->RunEventLoop(), 0);
        EXPECT_TRUE(visibleAfterClose) << "the window stays until the program ends";
        // Gone with the event loop, before the browser and page builder it shows.
        EXPECT_EQ(host->GetMainWindow(), nullptr);
    }
}
