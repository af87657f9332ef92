// Base of every codec: a Picture that can decode itself from a stream and encode itself to one.
#pragma once

#include "ByteStream.h"
#include "Picture.h"

#include <string>

class ImageCodec : public Picture {
public:
    explicit ImageCodec(ImageFormat format) : Picture(format) {}

    virtual bool Decode(ByteStream& in) = 0;
    virtual bool Encode(ByteStream& out) = 0;

    using Picture::Decode;
    using Picture::Encode;

protected:
    // Codecs raise failures as a thrown message and catch it at the end of Decode/Encode.
    struct Failure {
        std::string message;
    };
    [[noreturn]] static void Fail(const std::string& message) { throw Failure{message}; }
    void Report(const Failure& failure) { SetLastError(failure.message.c_str()); }
};
