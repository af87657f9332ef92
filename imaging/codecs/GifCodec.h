// GIF87a/GIF89a files: one chosen frame with simple composition (frames that leave the previous
// one in place are drawn over it), and GIF89a output of palette pictures in one image and of
// 24-bit pictures as a mosaic of tiles with their own colour tables, read back as one picture.
#pragma once

#include "ImageCodec.h"

#include <vector>

class ByteReader;
class GifOutput;

namespace gif {
struct Descriptor;
}

class GifCodec : public ImageCodec {
public:
    GifCodec() : ImageCodec(ImageFormat::Gif) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    struct DecodeState;
    class ImageRows;

    int CountFrames(ByteReader& in, DecodeState& state);
    void DecodeFrames(ByteReader& in, DecodeState& state);
    static bool ReadExtension(ByteReader& in, std::uint8_t* control, bool& hasControl);
    void DecodeImage(ByteReader& in, const gif::Descriptor& image, DecodeState& state);
    void DrawOver(Picture& backdrop, const gif::Descriptor& image, const ImageRows& rows, DecodeState& state) const;
    void TakeImage(Picture& image);
    void WriteHeader(GifOutput& out, const Picture& picture, std::uint32_t width, std::uint32_t height,
                     bool globalTable);
    void WriteImage(GifOutput& out, const Picture& image, std::uint32_t left, std::uint32_t top,
                    bool localTable);
    void WriteMosaic(GifOutput& out);
    bool IsStrip() const;
    bool StripToPalette(Picture& strip) const;
};
