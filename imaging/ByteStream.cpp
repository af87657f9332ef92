#include "ByteStream.h"

bool ByteStream::PutC(std::uint8_t byte)
{
    return Write(&byte, 1, 1) == 1;
}

std::int64_t ByteStream::Remaining()
{
    const std::int64_t position = Tell();
    const std::int64_t size = Size();
    return position >= 0 && size > position ? size - position : 0;
}
