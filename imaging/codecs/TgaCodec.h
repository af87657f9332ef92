// Targa files: colour-mapped, true-colour and grey images, uncompressed or run-length coded,
// stored from either corner.
#pragma once

#include "ImageCodec.h"

class ByteReader;

class TgaCodec : public ImageCodec {
public:
    TgaCodec() : ImageCodec(ImageFormat::Tga) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    struct Header;

    static Header ReadHeader(ByteStream& in);
    void ReadColourMap(ByteReader& reader, const Header& tga);
    void ReadPixels(ByteReader& reader, const Header& tga);
    void StoreRow(const Header& tga, const std::uint8_t* pixels, std::size_t count, std::int32_t y);
};
