// The program's entry point: picks the Qt desktop when there is a display to show windows on,
// else the console, where only the thumbnail mode can work.
#include "ConsoleHost.h"
#include "ImageBrowser.h"
#include "QtStartUpHost.h"
#include "ThumbnailPageBuilder.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Qt aborts without a display unless a platform such as offscreen is chosen explicitly.
bool HasDisplay()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int Run(const std::vector<std::string>& arguments, StartUpHost& host)
{
    ImageBrowser browser(host.GetDesktop());
    ThumbnailPageBuilder builder(host.GetDesktop());
    return RunStartUp(arguments, host, browser, builder);
}

} // namespace

int main(int argc, char** argv)
{
    // Copied before Qt takes its own options out of argv.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!HasDisplay()) {
        ConsoleHost host;
        return Run(arguments, host);
    }
    const std::unique_ptr<StartUpHost> host = CreateQtStartUpHost(argc, argv);
    return Run(arguments, *host);
}
