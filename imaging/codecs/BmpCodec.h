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
    // Reads pixel bytes; a short read marks the picture partial.
    void ReadPixelBytes(ByteStream& in, std::uint8_t* target, std::size_t size);
};
