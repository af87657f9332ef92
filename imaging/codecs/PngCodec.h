// PNG files through libpng: every colour type onto palette or 24-bit pictures, with an alpha
// plane where the file carries one.
#pragma once

#include "ImageCodec.h"

class PngCodec : public ImageCodec {
public:
    PngCodec() : ImageCodec(ImageFormat::Png) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    struct ReadState;
    struct WriteState;

    // Each holds the recovery point of libpng's long jumps; what they call allocates nothing
    // that a jump could leak.
    bool ReadImage(ReadState& state);
    static bool WriteImage(WriteState& state);
    void ReadPicture(ReadState& state);
    static void WritePicture(WriteState& state);
};
