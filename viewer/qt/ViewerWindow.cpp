#include "ViewerWindow.h"

#include "ImageBrowser.h"
#include "MainStatusBar.h"
#include "TitleAndStatus.h"
#include "ViewerSettings.h"

namespace qtui {

ViewerWindow::ViewerWindow(const AppContext& app, ImageBrowser& browser, ThumbnailPageBuilder& builder,
                           platform::Desktop& desktop, platform::Clipboard& clipboard, platform::Shell& shell)
    : imageBrowser(browser),
      decoder(browser.GetDocument()),
      window(desktop, browser, app.showMenuAndStatus),
      dialogs(&window),
      commands(CommandContext{browser, builder, app, desktop, window, window.GetStatusBar(), GetMenuBar(), clipboard,
                              shell, dialogs}),
      animationTimer([this] {
          if (!imageBrowser.AdvanceAnimation()) return;
          UpdateTitleAndStatus(imageBrowser, window, window.GetStatusBar());
          window.RequestRepaint();
      })
{
    QObject::connect(&window, &MainWindow::commandTriggered, &window, [this](int id) { commands.Execute(id); });
    QObject::connect(&window, &MainWindow::closeRequested, &window, [this] { commands.Quit(); });
    if (platform::StatusBar* status = window.GetStatusBar()) InitStatusBar(browser, *status);
    const ViewerSettings stored;
    window.PlaceInitially(stored.Get(settings::WindowPosX), stored.Get(settings::WindowPosY));
    browser.SetPrefetcher(&prefetcher);
    browser.SetAnimationTimer(&animationTimer);
}

ViewerWindow::~ViewerWindow()
{
    imageBrowser.SetAnimationTimer(nullptr);
    imageBrowser.SetPrefetcher(nullptr);
}

} // namespace qtui
