#include "QtStartUpHost.h"

#include "QtClipboard.h"
#include "QtDesktop.h"
#include "QtShell.h"
#include "SettingsKeys.h"
#include "SplashScreen.h"
#include "SplashWindow.h"
#include "ViewerWindow.h"

#include <QApplication>

namespace {

class QtStartUpHost : public StartUpHost {
public:
    QtStartUpHost(int& argc, char** argv) : application(argc, argv)
    {
        QApplication::setApplicationName(QString::fromLatin1(settings::kAppName));
        // The program ends only through its quit path, which saves the window settings first.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    platform::Desktop& GetDesktop() override { return desktop; }

    bool ShowSplash() override { return qtui::ShowProgramSplash(splash::kStartupTimeout); }

    bool CreateMainWindow(const AppContext& app, ImageBrowser& browser, ThumbnailPageBuilder& builder) override
    {
        viewer = std::make_unique<qtui::ViewerWindow>(app, browser, builder, desktop, clipboard, shell);
        // Queued: the command that quits runs to its end before the event loop stops.
        QObject::connect(&viewer->GetWindow(), &qtui::MainWindow::quitRequested, &application,
                         [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        viewer->GetWindow().show();
        return true;
    }

    platform::Window* GetMainWindow() override { return viewer ? &viewer->GetWindow() : nullptr; }
    platform::StatusBar* GetStatusBar() override { return viewer ? viewer->GetStatusBar() : nullptr; }
    platform::MenuBar* GetMenuBar() override { return viewer ? viewer->GetMenuBar() : nullptr; }

    int RunEventLoop() override
    {
        const int code = QApplication::exec();
        // The window refers to the browser, the page builder and the settings of start-up, which
        // end before the host does.
        viewer.reset();
        return code;
    }

private:
    QApplication application;
    platform::QtDesktop desktop;
    platform::QtClipboard clipboard;
    platform::QtShell shell;
    std::unique_ptr<qtui::ViewerWindow> viewer;
};

} // namespace

std::unique_ptr<StartUpHost> CreateQtStartUpHost(int& argc, char** argv)
{
    return std::make_unique<QtStartUpHost>(argc, argv);
}
