// Placeable Windows metafiles and enhanced metafiles, read only: the metafile is played into a
// white off-screen picture of its own size (at most 4000 pixels a side).
#pragma once

#include "ImageCodec.h"

class WmfCodec : public ImageCodec {
public:
    WmfCodec() : ImageCodec(ImageFormat::Wmf) {}

    using ImageCodec::Decode;
    bool Decode(ByteStream& in) override { return Decode(in, 0, 0); }
    // A width or height other than 0 replaces the metafile's own.
    bool Decode(ByteStream& in, std::int32_t width, std::int32_t height);
    bool Encode(ByteStream& out) override;

private:
    struct Source;

    bool ReadPlaceable(ByteStream& in, std::int64_t available, Source& source);
    bool ReadEnhanced(ByteStream& in, std::int64_t available, Source& source);
};
