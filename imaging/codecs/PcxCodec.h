// PCX files: a 128-byte header, then run-length coded rows of packed pixels, bit planes or
// colour planes, and in 8-bit files a 256-colour palette after the rows.
#pragma once

#include "ImageCodec.h"

class ByteReader;

class PcxCodec : public ImageCodec {
public:
    PcxCodec() : ImageCodec(ImageFormat::Pcx) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    struct Layout;

    static Layout ReadLayout(const std::uint8_t* raw);
    bool ReadRows(ByteReader& reader, const Layout& layout);
    void StoreRow(const Layout& layout, const std::uint8_t* line, std::int32_t y);
    void ReadPalette(ByteReader& reader, const Layout& layout, bool wholeImage);
};
