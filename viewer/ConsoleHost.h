// Start-up where there is no display: messages go to standard error, there is no splash, and
// no window can be made, so only the thumbnail mode does anything.
#pragma once

#include "ConsoleDesktop.h"
#include "StartUp.h"

#include <cstdio>

class ConsoleHost : public StartUpHost {
public:
    explicit ConsoleHost(std::FILE* out = stderr) : m_out(out), m_desktop(out) {}

    platform::Desktop& GetDesktop() override { return m_desktop; }
    bool ShowSplash() override { return false; }
    bool CreateMainWindow(const AppContext& app, ImageBrowser& browser, ThumbnailPageBuilder& builder) override;
    platform::Window* GetMainWindow() override { return nullptr; }
    platform::StatusBar* GetStatusBar() override { return nullptr; }
    platform::MenuBar* GetMenuBar() override { return nullptr; }
    int RunEventLoop() override { return 0; }

private:
    std::FILE* m_out;
    platform::ConsoleDesktop m_desktop;
};
