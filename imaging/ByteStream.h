// The byte stream every codec reads from and writes to.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteStream {
public:
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;
    virtual ~ByteStream() = default;

    virtual bool Close() = 0;
    // Number of whole items read or written.
    virtual std::size_t Read(void* buffer, std::size_t itemSize, std::size_t itemCount) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t itemSize, std::size_t itemCount) = 0;
    // origin 0 = from the start, 1 = from the current position, 2 = from the end.
    virtual bool Seek(std::int32_t offset, int origin) = 0;
    virtual std::int32_t Tell() = 0;
    virtual std::int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual std::int32_t Error() = 0;
    virtual bool PutC(std::uint8_t byte);
    virtual int GetC() = 0;

    // Bytes between the position and the end (0 when unknown or past it). Decoders size their
    // scratch buffers by it, so a short file can never make them allocate much.
    std::int64_t Remaining();
};
