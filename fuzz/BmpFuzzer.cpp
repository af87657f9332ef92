// libFuzzer target: BmpCodec::Decode on arbitrary bytes, then encoding what it decoded.
#include "BmpCodec.h"
#include "MemoryStream.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryStream in(data, size);
    BmpCodec codec;
    if (codec.Decode(in)) {
        MemoryStream out;
        codec.Encode(out);
    }
    return 0;
}
