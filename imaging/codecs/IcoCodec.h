// Icon and cursor files: a directory of images, each a header-less DIB followed by a 1-bit
// transparency mask, or a PNG file. One image is read, the one `frame` names; one is written.
#pragma once

#include "ImageCodec.h"

class IcoCodec : public ImageCodec {
public:
    IcoCodec() : ImageCodec(ImageFormat::Ico) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    // Checks the directory and gives the offset of the image `frame` names.
    std::int64_t ReadDirectory(ByteStream& in, std::int64_t length);
    void ReadBitmap(ByteStream& in);
    void ReadPng(ByteStream& in);
    void ApplyMask(ByteStream& in);
    void TakeImage(ImageCodec& decoded);
    bool MaskBit(std::int32_t x, std::int32_t y, bool paletteAlpha) const;
};
