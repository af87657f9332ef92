// Windows and OS/2 bitmaps (BMP/DIB), with or without the 14-byte file header.
#pragma once

#include "ImageCodec.h"

class BmpCodec : public ImageCodec {
public:
    BmpCodec() : ImageCodec(ImageFormat::Bmp) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

private:
    struct FileLayout;

    void ReadInfoHeader(ByteStream& in, FileLayout& layout);
    void ReadPalette(ByteStream& in, const FileLayout& layout);
    void ReadIndexedPixels(ByteStream& in, const FileLayout& layout);
    void ReadTwoBitPixels(ByteStream& in);
    void ReadMaskedPixels(ByteStream& in, const FileLayout& layout);
    void DecodeRle(ByteStream& in, bool fourBit);
};
