// Reads the chunks of a PNG file that decide how it decodes, for the PNG tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct PngFacts {
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;
    bool hasBackground = false;
    std::uint32_t background = 0; // red | green << 8 | blue << 16, 8 bits each
    bool hasTransparency = false;

    int PixelDepth() const
    {
        const int channels[] = {1, 0, 3, 1, 2, 0, 4};
        return bitDepth * channels[colourType];
    }
};

inline std::uint32_t PngBig32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

inline PngFacts ReadPngFacts(const std::vector<unsigned char>& png)
{
    PngFacts facts;
    std::vector<unsigned char> palette;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = PngBig32(&png[at]);
        if (at + 12 + length > png.size()) break;
        const std::string type(png.begin() + std::ptrdiff_t(at + 4), png.begin() + std::ptrdiff_t(at + 8));
        const unsigned char* data = &png[at + 8];
        if (type == "IHDR") {
            facts.bitDepth = data[8];
            facts.colourType = data[9];
            facts.interlace = data[12];
        } else if (type == "PLTE") {
            palette.assign(data, data + length);
        } else if (type == "tRNS") {
            facts.hasTransparency = true;
        } else if (type == "bKGD") {
            facts.hasBackground = true;
            auto sample = [&](int i) {
                const unsigned v = unsigned(data[2 * i]) << 8 | data[2 * i + 1];
                return facts.bitDepth == 16 ? v >> 8 : v * 255 / ((1u << facts.bitDepth) - 1);
            };
            if (facts.colourType == 3) {
                const std::size_t i = 3 * std::size_t(data[0]);
                if (i + 2 < palette.size()) facts.background = palette[i] | palette[i + 1] << 8 | palette[i + 2] << 16;
            } else if (facts.colourType & 2) {
                facts.background = sample(0) | sample(1) << 8 | sample(2) << 16;
            } else {
                facts.background = sample(0) * 0x010101u;
            }
        }
        at += 12 + length;
    }
    return facts;
}

// The file without its chunks of the given type (their CRCs go with them).
inline std::vector<unsigned char> WithoutChunk(const std::vector<unsigned char>& png, const char* type)
{
    std::vector<unsigned char> out(png.begin(), png.begin() + 8);
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t end = at + 12 + PngBig32(&png[at]);
        if (std::memcmp(&png[at + 4], type, 4) != 0) out.insert(out.end(), png.begin() + std::ptrdiff_t(at), png.begin() + std::ptrdiff_t(end));
        at = end;
    }
    return out;
}
