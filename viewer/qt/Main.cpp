// The program's entry point: picks the Qt desktop when there is a display to show windows on,
// else the console, where only the thumbnail mode can work.
#include "ConsoleHost.h"
#include "ImageBrowser.h"
#include "ProgramOptions.h"
#include "QtStartUpHost.h"
#include "ThumbnailPageBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts when its window system cannot be reached, so the console takes over wherever that
// is sure to happen: the thumbnail mode must work without any display.
bool HasDisplay()
{
    const std::string platform = IsSet("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    // Platforms that draw into memory or serve their own display need no window system.
    for (const char* own : {"offscreen", "minimal", "vnc"})
        if (platform.starts_with(own)) return true;
    if (platform.starts_with("wayland")) return IsSet("WAYLAND_DISPLAY");
    // X11, the one window system whose Qt plugin the program is installed with.
    return IsSet("DISPLAY");
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
    if (const std::optional<int> status = RunProgramOptions(arguments, stdout, stderr)) return *status;
    if (!HasDisplay()) {
        ConsoleHost host;
        return Run(arguments, host);
    }
    const std::unique_ptr<StartUpHost> host = CreateQtStartUpHost(argc, argv);
    return Run(arguments, *host);
}
