// LZW coding of GIF image data: a decoder for the code stream in its sub-blocks, and three
// coders that write one (plain codes, hashed string matching, and runs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class ByteReader;
class ByteStream;

// Takes decoded indices a row at a time; false when it wants no more rows.
class GifRowSink {
public:
    virtual ~GifRowSink() = default;
    virtual bool Row(const std::uint8_t* indices, std::size_t count) = 0;
};

class GifLzwDecoder {
public:
    enum class Stop {
        EndCode,     // the end code: the sub-blocks still go on to their terminator
        Terminator,  // the zero-length block: the reader stands just behind it
        InputEnd,    // the input ran out
        SinkFull,    // every row was delivered before the end code
        BadCode,     // a code that refers to nothing
    };

    // Decodes one image's code stream (after its code size byte) into rows of `width`
    // indices; a last, shorter row is handed over when the data ends inside a row.
    Stop Decode(ByteReader& in, int codeSize, std::size_t width, GifRowSink& sink);

private:
    bool NextByte(ByteReader& in, Stop& stop);

    std::uint16_t prefix[4096] = {};
    std::uint8_t suffix[4096] = {};
    std::uint8_t first[4096] = {};
    std::uint16_t length[4096] = {};
    std::uint8_t string[4096] = {};
    std::uint8_t block[255] = {};
    std::size_t blockLength = 0;
    std::size_t blockPosition = 0;
};

// Gathers output and hands it to the stream in large pieces. A short write is remembered and
// everything after it dropped; Finish says whether all of it reached the stream.
class GifOutput {
public:
    explicit GifOutput(ByteStream& target) : stream(target) { bytes.reserve(kChunk + 1024); }

    void Put(std::uint8_t byte)
    {
        bytes.push_back(byte);
        if (bytes.size() >= kChunk) Send();
    }
    void Put(const std::uint8_t* data, std::size_t count);
    void Put16(std::uint32_t value)
    {
        Put(std::uint8_t(value));
        Put(std::uint8_t(value >> 8));
    }
    bool Finish();

private:
    static constexpr std::size_t kChunk = 1 << 16;
    void Send();

    ByteStream& stream;
    std::vector<std::uint8_t> bytes;
    bool failed = false;
};

// The indices of an image in file order (top row first), a row at a time.
struct GifPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::function<const std::uint8_t*(std::uint32_t row)> row;
};

// Each writes the clear code, the image's codes, the end code and the data sub-blocks, but not
// the code size byte before them nor the terminator after them.
// Every pixel its own code: any decoder reads it, nothing is compressed.
void GifEncodePlain(const GifPixels& pixels, int codeSize, GifOutput& out);
// String matching with an open-addressed hash table of 5003 entries.
void GifEncodeHashed(const GifPixels& pixels, int codeSize, GifOutput& out);
// Runs of one index coded with codes any LZW decoder expands into runs; no string matching.
void GifEncodeRuns(const GifPixels& pixels, int codeSize, GifOutput& out);
