// The display facts of CKzOsInfo, read from an X server (not exported).
#pragma once

struct KzDisplayFacts {
    int bitsPerPixel = -1;
    int refreshRate = -1; // whole hertz; -1 when the server does not know it
    int width = 0;        // of the primary monitor
    int height = 0;
};

// Connects to the server named by DISPLAY for this one query. libX11 and libXrandr are loaded on
// the first call, so the library neither needs them installed nor a display: without either the
// facts stay unknown.
KzDisplayFacts QueryX11Display();
