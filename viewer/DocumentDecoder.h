// Decodes a file the way the shown document does, for the prefetcher.
#pragma once

#include "ImageDocument.h"
#include "PictureDecoder.h"

class DocumentDecoder : public PictureDecoder {
public:
    bool Decode(const char* path, Picture& picture) override { return ImageDocument::Decode(path, picture); }
};
