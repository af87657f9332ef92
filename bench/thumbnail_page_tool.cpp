// Builds the thumbnail page of one directory with the default settings, as "/t" mode does; the
// timed program of bench/thumbnail-page.sh. Exit status 0 when the page was written.
#include "ConsoleDesktop.h"
#include "ThumbnailPageBuilder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    platform::ConsoleDesktop desktop;
    ThumbnailPageBuilder builder(desktop);
    builder.LoadTemplate();
    return builder.Build(argv[1]) ? 0 : 1;
}
