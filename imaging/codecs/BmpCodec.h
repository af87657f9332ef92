// Windows and OS/2 bitmaps (BMP/DIB), with or without the 14-byte file header.
#pragma once

#include "ImageCodec.h"

class BmpCodec : public ImageCodec {
public:
    BmpCodec() : ImageCodec(ImageFormat::Bmp) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    // A header-less DIB as icons and cursors hold it: the header's height counts the colour
    // rows and the mask rows after them, and the fourth byte of 32-bit pixels is alpha. Leaves
    // the stream at the mask.
    bool DecodeIconImage(ByteStream& in);

private:
    struct FileLayout;

    void DecodeDib(ByteStream& in, FileLayout& layout);
    void ReadInfoHeader(ByteStream& in, FileLayout& layout);
    void ReadPalette(ByteStream& in, const FileLayout& layout);
    void ReadIndexedPixels(ByteStream& in, const FileLayout& layout);
    void ReadTwoBitPixels(ByteStream& in);
    void ReadMaskedPixels(ByteStream& in, const FileLayout& layout);
    void DecodeRle(ByteStream& in, bool fourBit);
    // Reads pixel bytes; a short read marks the picture partial.
    void ReadPixelBytes(ByteStream& in, std::uint8_t* target, std::size_t size);

    bool iconImage = false;
};
