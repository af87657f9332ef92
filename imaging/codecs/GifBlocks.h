// The block structure of a GIF file, shared by the codec and the frame reader: block
// introducers, colour tables, image descriptors, data sub-blocks and interlaced row order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteReader;

namespace gif {

constexpr int kExtension = '!';
constexpr int kImage = ',';
constexpr int kTrailer = ';';
constexpr int kGraphicControl = 0xF9;
constexpr int kApplication = 0xFF;
constexpr std::size_t kApplicationIdSize = 11;
constexpr std::uint8_t kTableFlag = 0x80;
constexpr std::uint8_t kInterlaceFlag = 0x40;
constexpr std::size_t kHeaderSize = 13;

inline std::uint32_t Get16(const std::uint8_t* p)
{
    return std::uint32_t(p[0] | (p[1] << 8));
}

inline std::size_t TableEntries(std::uint8_t flags)
{
    return std::size_t(2) << (flags & 7);
}

struct Descriptor {
    std::uint32_t left = 0;
    std::uint32_t top = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t flags = 0;

    // Images that do not lie on the screen, or have no pixels, are passed over and not counted.
    bool Shown(std::uint32_t screenWidth, std::uint32_t screenHeight) const
    {
        return width > 0 && height > 0 && left + width <= screenWidth && top + height <= screenHeight;
    }
};

// Passes over data sub-blocks up to and including their zero-length terminator; false when the
// input ends first.
bool SkipSubBlocks(ByteReader& in);
// Reads a colour table of RGB triples; false when the input ends inside it.
bool ReadTable(ByteReader& in, std::uint8_t flags, std::vector<std::uint8_t>& table);
bool ReadDescriptor(ByteReader& in, Descriptor& image);
// Passes over an image that is not decoded: its colour table, code size byte and data.
bool SkipImage(ByteReader& in, std::uint8_t flags);

// The image rows in the order the file holds them: top to bottom, or in the four passes of an
// interlaced image.
class RowOrder {
public:
    RowOrder(std::uint32_t height, bool interlaced) : m_height(height), m_step(interlaced ? 8 : 1), m_interlaced(interlaced) {}

    std::uint32_t Row() const { return m_row; }
    bool Done() const { return m_done; }
    void Advance();

private:
    std::uint32_t m_height;
    std::uint32_t m_row = 0;
    std::uint32_t m_step;
    std::uint32_t m_pass = 0;
    bool m_interlaced;
    bool m_done = false;
};

} // namespace gif
