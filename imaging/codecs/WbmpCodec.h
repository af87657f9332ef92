// Wireless bitmaps of type 0: a small header, then rows of 1-bit pixels, top row first,
// most significant bit first, 1 = white.
#pragma once

#include "ImageCodec.h"

class ByteReader;

class WbmpCodec : public ImageCodec {
public:
    WbmpCodec() : ImageCodec(ImageFormat::Wbmp) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    void ReadRows(ByteReader& reader);
};
