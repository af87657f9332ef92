#include "GifLzw.h"

#include "ByteReader.h"
#include "ByteStream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr unsigned kMaxCodeWidth = 12;
constexpr unsigned kTableSize = 1u << kMaxCodeWidth;

// Packs codes least significant bit first into sub-blocks of blockSize bytes.
class CodePacker {
public:
    CodePacker(GifOutput& target, std::size_t size) : out(target), blockSize(size) {}

    void Put(unsigned code, unsigned width)
    {
        accumulator |= std::uint64_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            Byte(std::uint8_t(accumulator));
            accumulator >>= 8;
            bits -= 8;
        }
    }

    void Finish()
    {
        if (bits > 0) Byte(std::uint8_t(accumulator));
        accumulator = 0;
        bits = 0;
        if (fill) EndBlock();
    }

private:
    void Byte(std::uint8_t byte)
    {
        block[fill++] = byte;
        if (fill == blockSize) EndBlock();
    }
    void EndBlock()
    {
        out.Put(std::uint8_t(fill));
        out.Put(block, fill);
        fill = 0;
    }

    GifOutput& out;
    const std::size_t blockSize;
    std::uint64_t accumulator = 0;
    unsigned bits = 0;
    std::uint8_t block[255] = {};
    std::size_t fill = 0;
};

template <class Visit>
void ForEachPixel(const GifPixels& pixels, Visit visit)
{
    for (std::uint32_t y = 0; y < pixels.height; ++y) {
        const std::uint8_t* row = pixels.row(y);
        for (std::uint32_t x = 0; x < pixels.width; ++x) visit(row[x]);
    }
}

} // namespace

GifLzwDecoder::Stop GifLzwDecoder::Decode(ByteReader& in, int codeSize, std::size_t width, GifRowSink& sink)
{
    blockLength = 0;
    blockPosition = 0;
    const unsigned clear = 1u << codeSize;
    const unsigned end = clear + 1;
    const unsigned firstFree = clear + 2;
    for (unsigned i = 0; i < clear; ++i) {
        suffix[i] = first[i] = std::uint8_t(i);
        length[i] = 1;
    }
    unsigned size = unsigned(codeSize) + 1;
    unsigned slot = firstFree;
    unsigned top = 1u << size;
    std::uint32_t accumulator = 0;
    unsigned bits = 0;
    std::vector<std::uint8_t> line(width);
    std::size_t filled = 0;
    Stop stop = Stop::EndCode;

    auto nextCode = [&](unsigned& code) {
        while (bits < size) {
            if (blockPosition == blockLength) {
                const int count = in.Next();
                if (count <= 0) {
                    stop = count == 0 ? Stop::Terminator : Stop::InputEnd;
                    return false;
                }
                blockLength = in.Read(block, std::size_t(count));
                blockPosition = 0;
                if (blockLength == 0) {
                    stop = Stop::InputEnd;
                    return false;
                }
            }
            accumulator |= std::uint32_t(block[blockPosition++]) << bits;
            bits += 8;
        }
        code = accumulator & ((1u << size) - 1);
        accumulator >>= size;
        bits -= size;
        return true;
    };

    // Writes the code's string into the rows; false once the sink wants no more.
    auto emit = [&](unsigned code) {
        std::size_t n = length[code];
        const std::uint8_t* text = &suffix[code];
        if (n > 1) {
            unsigned c = code;
            for (std::size_t i = n; i > 0; c = prefix[c]) string[--i] = suffix[c];
            text = string;
        }
        while (n) {
            const std::size_t take = std::min(n, width - filled);
            std::memcpy(line.data() + filled, text, take);
            filled += take;
            text += take;
            n -= take;
            if (filled == width) {
                filled = 0;
                if (!sink.Row(line.data(), width)) return false;
            }
        }
        return true;
    };

    auto add = [&](unsigned previous, std::uint8_t character) {
        prefix[slot] = std::uint16_t(previous);
        suffix[slot] = character;
        first[slot] = first[previous];
        length[slot] = std::uint16_t(length[previous] + 1);
        ++slot;
    };

    // No code before the first clear code or literal can be a string's prefix.
    bool havePrevious = false;
    unsigned previous = 0;
    unsigned code = 0;
    while (nextCode(code)) {
        if (code == end) {
            stop = Stop::EndCode;
            break;
        }
        if (code == clear) {
            size = unsigned(codeSize) + 1;
            slot = firstFree;
            top = 1u << size;
            bool more = true;
            while ((more = nextCode(code)) && code == clear) {
            }
            if (!more) break;
            if (code == end) {
                stop = Stop::EndCode;
                break;
            }
            if (code >= slot) code = 0;
        } else if (!havePrevious) {
            if (code >= slot) {
                stop = Stop::BadCode;
                break;
            }
        } else if (code >= slot) {
            // Not yet in the table: the previous string and its own first character. Codes
            // further ahead are damage and read the same way.
            add(previous, first[previous]);
            code = slot - 1;
        } else if (slot < top) {
            add(previous, first[code]);
        }
        if (havePrevious && slot >= top && size < kMaxCodeWidth) {
            top <<= 1;
            ++size;
        }
        if (!emit(code)) {
            stop = Stop::SinkFull;
            break;
        }
        previous = code;
        havePrevious = true;
    }
    if (filled > 0) sink.Row(line.data(), filled);
    return stop;
}

void GifOutput::Put(const std::uint8_t* data, std::size_t count)
{
    bytes.insert(bytes.end(), data, data + count);
    if (bytes.size() >= kChunk) Send();
}

void GifOutput::Send()
{
    if (!failed && !bytes.empty() && stream.Write(bytes.data(), 1, bytes.size()) != bytes.size()) failed = true;
    bytes.clear();
}

bool GifOutput::Finish()
{
    Send();
    return !failed;
}

void GifEncodePlain(const GifPixels& pixels, int codeSize, GifOutput& out)
{
    CodePacker packer(out, 254);
    const unsigned initialWidth = unsigned(codeSize) + 1;
    const unsigned clear = 1u << codeSize;
    unsigned width = initialWidth;
    unsigned slot = 0;
    unsigned top = 0;
    bool fresh = true;
    // The code width follows the table a decoder builds: one entry per code after the first.
    auto restart = [&] {
        packer.Put(clear, width);
        width = initialWidth;
        slot = clear + 2;
        top = 1u << width;
        fresh = true;
    };
    restart();
    ForEachPixel(pixels, [&](std::uint8_t pixel) {
        packer.Put(pixel, width);
        if (fresh) {
            fresh = false;
            return;
        }
        if (slot < top) ++slot;
        if (slot >= top && width < kMaxCodeWidth) {
            top <<= 1;
            ++width;
        }
        if (slot >= kTableSize - 1) restart();
    });
    packer.Put(clear + 1, width);
    packer.Finish();
}

void GifEncodeHashed(const GifPixels& pixels, int codeSize, GifOutput& out)
{
    constexpr int kHashSize = 5003;
    CodePacker packer(out, 254);
    const unsigned initialWidth = unsigned(codeSize) + 1;
    const unsigned clear = 1u << codeSize;
    unsigned width = initialWidth;
    unsigned maxCode = (1u << width) - 1;
    unsigned nextCode = clear + 2;
    bool cleared = false;
    std::vector<std::int32_t> keys(kHashSize, -1);
    std::vector<std::uint16_t> codes(kHashSize);

    // The encoder's next code runs one ahead of the decoder's table, so a width grows once the
    // next code has passed the largest code of the current width.
    auto output = [&](unsigned code) {
        packer.Put(code, width);
        if (cleared) {
            width = initialWidth;
            maxCode = (1u << width) - 1;
            cleared = false;
        } else if (nextCode > maxCode) {
            ++width;
            maxCode = width == kMaxCodeWidth ? kTableSize : (1u << width) - 1;
        }
    };

    output(clear);
    bool started = false;
    unsigned prefix = 0;
    ForEachPixel(pixels, [&](std::uint8_t pixel) {
        if (!started) {
            prefix = pixel;
            started = true;
            return;
        }
        const std::int32_t key = (std::int32_t(pixel) << kMaxCodeWidth) + std::int32_t(prefix);
        int i = (int(pixel) << 4) ^ int(prefix);
        if (keys[std::size_t(i)] == key) {
            prefix = codes[std::size_t(i)];
            return;
        }
        if (keys[std::size_t(i)] >= 0) {
            const int step = i == 0 ? 1 : kHashSize - i;
            do {
                i -= step;
                if (i < 0) i += kHashSize;
                if (keys[std::size_t(i)] == key) {
                    prefix = codes[std::size_t(i)];
                    return;
                }
            } while (keys[std::size_t(i)] >= 0);
        }
        output(prefix);
        prefix = pixel;
        if (nextCode < kTableSize) {
            codes[std::size_t(i)] = std::uint16_t(nextCode++);
            keys[std::size_t(i)] = key;
        } else {
            std::fill(keys.begin(), keys.end(), -1);
            nextCode = clear + 2;
            cleared = true;
            output(clear);
        }
    });
    if (started) output(prefix);
    output(clear + 1);
    packer.Finish();
}

namespace {

// Runs are told to the decoder as codes it takes for strings it has not seen yet: after a
// clear, the pixel and then codes base, base + 1 … stand for runs of 2, 3 … pixels, and such a
// table of runs serves the following runs of the same pixel.
class RunCoder {
public:
    RunCoder(GifOutput& out, int codeSize)
        : packer(out, 255),
          initialWidth(unsigned(codeSize) + 1),
          clear(1u << codeSize),
          base(clear + 2),
          bumpStart(clear - 1),
          clearStart(initialWidth <= 3 ? 9 : clear - 2),
          maxCodes(kTableSize - 3 - clear)
    {
        Reset();
        WriteClear();
    }

    void Add(std::uint8_t pixel)
    {
        if (runLength > 0 && pixel != runPixel) Flush();
        if (runLength > 0) {
            ++runLength;
        } else {
            runPixel = pixel;
            runLength = 1;
        }
    }

    void Finish()
    {
        if (runLength > 0) Flush();
        packer.Put(clear + 1, width);
        packer.Finish();
    }

private:
    void Reset()
    {
        width = initialWidth;
        bump = bumpStart;
        clearLimit = clearStart;
        count = 0;
        tableSize = 0;
        justCleared = true;
    }

    void WriteClear()
    {
        packer.Put(clear, width);
        Reset();
    }

    void Plain(unsigned code)
    {
        justCleared = false;
        packer.Put(code, width);
        ++count;
        if (count >= bump) {
            ++width;
            bump += 1u << (width - 1);
        }
        if (count >= clearLimit) WriteClear();
    }

    void RestoreLimit()
    {
        clearLimit = clearStart;
        if (count >= clearLimit) WriteClear();
    }

    // Codes needed for a run of `length` from a fresh table: 1 + 2 + … + k pixels take k codes.
    std::uint64_t TriangleCost(std::uint64_t length) const
    {
        const std::uint64_t m = maxCodes;
        const std::uint64_t perBlock = m * (m + 1) / 2;
        std::uint64_t cost = length / perBlock * m;
        const std::uint64_t rest = length % perBlock;
        if (rest > 0) {
            auto k = std::uint64_t(std::sqrt(double(rest)));
            while (k > 0 && k * (k + 1) >= 2 * rest) --k;
            while (k * (k + 1) < 2 * rest) ++k;
            cost += k;
        }
        return cost;
    }

    void FromClear(std::uint64_t length)
    {
        clearLimit = maxCodes;
        tablePixel = runPixel;
        unsigned k = 1;
        while (length > 0) {
            if (k == 1) {
                tableSize = 1;
                Plain(runPixel);
                --length;
            } else if (length >= k) {
                tableSize = k;
                Plain(base + k - 2);
                length -= k;
            } else if (length == 1) {
                ++tableSize;
                Plain(runPixel);
                length = 0;
            } else {
                ++tableSize;
                Plain(base + unsigned(length) - 2);
                length = 0;
            }
            k = count == 0 ? 1 : k + 1;
        }
        RestoreLimit();
    }

    void ClearOrRepeat(std::uint64_t length)
    {
        if (1 + TriangleCost(length) < length) {
            WriteClear();
            FromClear(length);
            return;
        }
        for (; length > 0; --length) Plain(runPixel);
    }

    void WithTable(std::uint64_t length)
    {
        std::uint64_t repeats = length / tableSize;
        std::uint64_t leftover = length % tableSize;
        std::uint64_t extra = leftover ? 1 : 0;
        if (count + repeats + extra > maxCodes) {
            repeats = maxCodes - count;
            leftover = length - repeats * tableSize;
            extra = 1 + TriangleCost(leftover);
        }
        if (1 + TriangleCost(length) < repeats + extra) {
            WriteClear();
            FromClear(length);
            return;
        }
        clearLimit = maxCodes;
        for (; repeats > 0; --repeats) Plain(base + tableSize - 2);
        if (leftover) {
            if (justCleared) FromClear(leftover);
            else if (leftover == 1) Plain(runPixel);
            else Plain(base + unsigned(leftover) - 2);
        }
        RestoreLimit();
    }

    void Flush()
    {
        if (runLength == 1) Plain(runPixel);
        else if (justCleared) FromClear(runLength);
        else if (tableSize < 2 || tablePixel != runPixel) ClearOrRepeat(runLength);
        else WithTable(runLength);
        runLength = 0;
    }

    CodePacker packer;
    const unsigned initialWidth;
    const unsigned clear;
    const unsigned base;
    const unsigned bumpStart;
    const unsigned clearStart;
    const unsigned maxCodes;
    unsigned width = 0;
    unsigned bump = 0;
    unsigned clearLimit = 0;
    unsigned count = 0;
    unsigned tableSize = 0;
    unsigned tablePixel = 0;
    bool justCleared = true;
    std::uint8_t runPixel = 0;
    std::uint64_t runLength = 0;
};

} // namespace

void GifEncodeRuns(const GifPixels& pixels, int codeSize, GifOutput& out)
{
    RunCoder coder(out, codeSize);
    ForEachPixel(pixels, [&](std::uint8_t pixel) { coder.Add(pixel); });
    coder.Finish();
}
