// Buffered reading from a ByteStream for decoders that take their input a byte or a packet at a
// time: one stream call per block instead of one per byte. It reads ahead, so a decoder that
// uses it takes everything after that point through it as well.
#pragma once

#include "ByteStream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class ByteReader {
public:
    // The block never outgrows what the stream can still deliver, so a tiny file costs little.
    explicit ByteReader(ByteStream& source)
        : stream(source), block(std::size_t(std::clamp<std::int64_t>(source.Remaining(), 4096, 65536)))
    {
    }

    // The next byte, or -1 at the end of the input.
    int Next()
    {
        if (position == length && !Refill()) return -1;
        return block[position++];
    }

    // Copies up to count bytes, or passes over them when target is null; fewer only at the end
    // of the input.
    std::size_t Read(std::uint8_t* target, std::size_t count)
    {
        std::size_t done = 0;
        while (done < count) {
            if (position == length && !Refill()) break;
            const std::size_t n = std::min(count - done, length - position);
            if (target) std::memcpy(target + done, block.data() + position, n);
            position += n;
            done += n;
        }
        return done;
    }

private:
    bool Refill()
    {
        length = stream.Read(block.data(), 1, block.size());
        position = 0;
        return length > 0;
    }

    ByteStream& stream;
    std::vector<std::uint8_t> block;
    std::size_t position = 0;
    std::size_t length = 0;
};
