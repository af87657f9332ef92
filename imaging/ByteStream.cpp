#include "ByteStream.h"

bool ByteStream::PutC(std::uint8_t byte)
{
    return Write(&byte, 1, 1) == 1;
}
