// ByteStream over a growable memory block.
#pragma once

#include "ByteStream.h"

class MemoryStream : public ByteStream {
public:
    static constexpr std::size_t kGrowthStep = 4096;

    // Empty, owned block of zero bytes: the form encoders write into.
    MemoryStream();
    // Reads (and, on write, copies before growing) caller memory it does not own.
    MemoryStream(const std::uint8_t* data, std::size_t size);
    ~MemoryStream() override;

    bool Close() override;
    std::size_t Read(void* buffer, std::size_t itemSize, std::size_t itemCount) override;
    std::size_t Write(const void* buffer, std::size_t itemSize, std::size_t itemCount) override;
    bool Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override;
    std::int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    std::int32_t Error() override;
    bool PutC(std::uint8_t byte) override;
    int GetC() override;

    const std::uint8_t* GetBuffer() const { return buffer; }
    std::size_t GetCapacity() const { return capacity; }

    // Room for `needed` bytes in one step, for a writer that knows roughly how much it writes.
    bool Reserve(std::size_t needed);

private:
    bool PrepareWrite(std::size_t count);

    std::uint8_t* buffer = nullptr;
    std::size_t dataSize = 0;
    bool ownsBuffer = false;
    std::size_t position = 0;
    std::size_t capacity = 0;
};
