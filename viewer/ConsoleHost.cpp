#include "ConsoleHost.h"

bool ConsoleHost::CreateMainWindow(const AppContext&, ImageBrowser&, ThumbnailPageBuilder&)
{
    // Start-up fails silently here; without this line a user who started the program from a
    // terminal would not learn why nothing appeared.
    std::fprintf(m_out, "%s: no display to show the window on (set DISPLAY, or use /t DIR)\n", "vistrel");
    std::fflush(m_out);
    return false;
}
