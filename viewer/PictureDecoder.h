// Turns an image file into a picture. The prefetcher calls it on its own thread, so it must
// not touch anything the window's thread uses at the same time.
#pragma once

class Picture;

class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;
    virtual bool Decode(const char* path, Picture& picture) = 0;
};
