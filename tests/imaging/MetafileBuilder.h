// Builds small placeable WMF and EMF files record by record, for tests with known geometry.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace testsupport {

inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v);
    Put16(out, v >> 16);
}

// A packed 24-bit DIB, bottom-up; `rgb` holds the pixels top row first as 0xRRGGBB.
inline std::vector<std::uint8_t> Dib24(int width, int height, const std::vector<std::uint32_t>& rgb)
{
    std::vector<std::uint8_t> dib;
    const int stride = (width * 3 + 3) / 4 * 4;
    for (std::uint32_t v : {40u, std::uint32_t(width), std::uint32_t(height)}) Put32(dib, v);
    Put16(dib, 1);
    Put16(dib, 24);
    for (int i = 0; i < 6; ++i) Put32(dib, i == 1 ? std::uint32_t(stride * height) : 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = rgb[std::size_t(y * width + x)];
            dib.insert(dib.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
        }
        for (int pad = width * 3; pad < stride; ++pad) dib.push_back(0);
    }
    return dib;
}

class WmfBuilder {
public:
    // Parameters are 16-bit words in the order they stand in the record.
    WmfBuilder& Record(std::uint16_t function, std::initializer_list<int> words, const std::vector<std::uint8_t>& tail = {})
    {
        const std::size_t tailWords = (tail.size() + 1) / 2;
        Put32(records, std::uint32_t(3 + words.size() + tailWords));
        Put16(records, function);
        for (int w : words) Put16(records, std::uint32_t(w));
        records.insert(records.end(), tail.begin(), tail.end());
        if (tail.size() % 2) records.push_back(0);
        return *this;
    }

    std::vector<std::uint8_t> Build(int left, int top, int right, int bottom, int inch, int objects = 8) const
    {
        std::vector<std::uint8_t> out;
        Put32(out, 0x9AC6CDD7);
        for (int v : {0, left, top, right, bottom, inch, 0, 0}) Put16(out, std::uint32_t(v));
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2) checksum ^= std::uint16_t(out[i] | out[i + 1] << 8);
        Put16(out, checksum);
        const std::size_t words = 9 + records.size() / 2 + 3;
        Put16(out, 1);
        Put16(out, 9);
        Put16(out, 0x300);
        Put32(out, std::uint32_t(words));
        Put16(out, std::uint32_t(objects));
        Put32(out, 0);
        Put16(out, 0);
        out.insert(out.end(), records.begin(), records.end());
        Put32(out, 3);
        Put16(out, 0);
        return out;
    }

private:
    std::vector<std::uint8_t> records;
};

class EmfBuilder {
public:
    // Fields are 32-bit values after the type and size.
    EmfBuilder& Record(std::uint32_t type, std::initializer_list<std::int64_t> fields,
                       const std::vector<std::uint8_t>& tail = {})
    {
        Put32(records, type);
        Put32(records, std::uint32_t(8 + 4 * fields.size() + (tail.size() + 3) / 4 * 4));
        for (std::int64_t f : fields) Put32(records, std::uint32_t(f));
        records.insert(records.end(), tail.begin(), tail.end());
        while (records.size() % 4) records.push_back(0);
        ++count;
        return *this;
    }

    // Bounds in device pixels; the frame is the same area for a 96-dpi reference device.
    std::vector<std::uint8_t> Build(int left, int top, int right, int bottom) const
    {
        std::vector<std::uint8_t> out;
        const std::uint32_t total = std::uint32_t(88 + records.size() + 20);
        Put32(out, 1);
        Put32(out, 88);
        for (int v : {left, top, right, bottom}) Put32(out, std::uint32_t(v));
        for (int v : {left, top, right, bottom}) Put32(out, std::uint32_t(std::int64_t(v) * 2540 / 96));
        Put32(out, 0x464D4520);
        Put32(out, 0x10000);
        Put32(out, total);
        Put32(out, std::uint32_t(count + 2));
        Put16(out, 8);
        Put16(out, 0);
        for (int i = 0; i < 3; ++i) Put32(out, 0);
        // A 960 x 960 pixel device of 254 x 254 mm: 96 dots per inch.
        for (int v : {960, 960, 254, 254}) Put32(out, std::uint32_t(v));
        out.insert(out.end(), records.begin(), records.end());
        for (std::uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(out, v);
        return out;
    }

private:
    std::vector<std::uint8_t> records;
    int count = 0;
};

} // namespace testsupport
