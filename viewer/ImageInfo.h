// What the viewer knows about the file of the image it holds.
#pragma once

struct ImageInfo {
    char path[260] = {};
    double fileSize = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};
