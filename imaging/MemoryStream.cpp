#include "MemoryStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
// Positions and sizes are reported as signed 32-bit values.
constexpr std::size_t kMaxSize = std::size_t(std::numeric_limits<std::int32_t>::max());
}

MemoryStream::MemoryStream()
    : buffer(static_cast<std::uint8_t*>(std::malloc(1))), ownsBuffer(true)
{
}

MemoryStream::MemoryStream(const std::uint8_t* data, std::size_t size)
    : buffer(const_cast<std::uint8_t*>(data)), dataSize(data ? std::min(size, kMaxSize) : 0),
      ownsBuffer(false), capacity(dataSize)
{
}

MemoryStream::~MemoryStream()
{
    if (ownsBuffer) std::free(buffer);
}

bool MemoryStream::Close()
{
    if (!buffer) return true;
    if (ownsBuffer) {
        std::free(buffer);
        buffer = nullptr;
        dataSize = 0;
        capacity = 0;
        position = 0;
    }
    return true;
}

bool MemoryStream::Reserve(std::size_t needed)
{
    if (needed <= capacity && ownsBuffer) return true;
    if (needed > kMaxSize) return false;
    const std::size_t steps = needed > capacity ? (needed - capacity + kGrowthStep - 1) / kGrowthStep : 0;
    const std::size_t newCapacity = std::max<std::size_t>(capacity + steps * kGrowthStep, 1);
    std::uint8_t* grown;
    if (ownsBuffer) {
        grown = static_cast<std::uint8_t*>(std::realloc(buffer, newCapacity));
    } else {
        // Caller memory is never written or reallocated: copy it into a block of our own.
        grown = static_cast<std::uint8_t*>(std::malloc(newCapacity));
        if (grown && buffer) std::memcpy(grown, buffer, dataSize);
    }
    if (!grown) return false;
    buffer = grown;
    capacity = newCapacity;
    ownsBuffer = true;
    return true;
}

bool MemoryStream::PrepareWrite(std::size_t count)
{
    if (count > kMaxSize || position > kMaxSize - count) return false;
    if (!Reserve(position + count)) return false;
    // Bytes between the old end and a write placed beyond it read back as zeros.
    if (position > dataSize) std::memset(buffer + dataSize, 0, position - dataSize);
    return true;
}

std::size_t MemoryStream::Read(void* destination, std::size_t itemSize, std::size_t itemCount)
{
    if (!buffer || !destination || position > dataSize) return 0;
    if (itemSize == 0 || itemCount == 0) return 0;
    const std::size_t wanted = itemCount > std::numeric_limits<std::size_t>::max() / itemSize
                                   ? std::numeric_limits<std::size_t>::max()
                                   : itemSize * itemCount;
    const std::size_t count = std::min(wanted, dataSize - position);
    std::memcpy(destination, buffer + position, count);
    position += count;
    return count / itemSize;
}

std::size_t MemoryStream::Write(const void* source, std::size_t itemSize, std::size_t itemCount)
{
    if (!buffer || !source || itemSize == 0 || itemCount == 0) return 0;
    if (itemCount > kMaxSize / itemSize) return 0;
    const std::size_t count = itemSize * itemCount;
    if (!PrepareWrite(count)) return 0;
    std::memcpy(buffer + position, source, count);
    position += count;
    dataSize = std::max(dataSize, position);
    return itemCount;
}

bool MemoryStream::Seek(std::int32_t offset, int origin)
{
    if (!buffer) return false;
    std::int64_t base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = std::int64_t(position); break;
    case 2: base = std::int64_t(dataSize); break;
    default: return false;
    }
    const std::int64_t target = base + offset;
    if (target < 0 || target > std::int64_t(kMaxSize)) return false;
    position = std::size_t(target);
    return true;
}

std::int32_t MemoryStream::Tell()
{
    if (!buffer) return -1;
    return std::int32_t(position);
}

std::int32_t MemoryStream::Size()
{
    if (!buffer) return -1;
    return std::int32_t(dataSize);
}

bool MemoryStream::Flush()
{
    return buffer != nullptr;
}

bool MemoryStream::Eof()
{
    if (!buffer) return true;
    return position >= dataSize;
}

std::int32_t MemoryStream::Error()
{
    if (!buffer) return -1;
    return position > dataSize ? 1 : 0;
}

bool MemoryStream::PutC(std::uint8_t byte)
{
    if (!buffer || !PrepareWrite(1)) return false;
    buffer[position++] = byte;
    dataSize = std::max(dataSize, position);
    return true;
}

int MemoryStream::GetC()
{
    if (Eof()) return -1;
    return buffer[position++];
}
