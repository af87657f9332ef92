// Decodes a file the way the shown document does, for the prefetcher.
#pragma once

#include "ImageDocument.h"
#include "PictureDecoder.h"

class DocumentDecoder : public PictureDecoder {
public:
    explicit DocumentDecoder(const ImageDocument& document) : m_document(document) {}
    bool Decode(const char* path, Picture& picture) override
    {
        return ImageDocument::Decode(path, picture, m_document.GetAutoOrient());
    }

private:
    const ImageDocument& m_document;
};
