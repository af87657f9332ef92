#include "GifBlocks.h"

#include "ByteReader.h"

namespace gif {

bool SkipSubBlocks(ByteReader& in)
{
    for (;;) {
        const int size = in.Next();
        if (size <= 0) return size == 0;
        if (in.Read(nullptr, std::size_t(size)) != std::size_t(size)) return false;
    }
}

bool ReadTable(ByteReader& in, std::uint8_t flags, std::vector<std::uint8_t>& table)
{
    table.resize(3 * TableEntries(flags));
    return in.Read(table.data(), table.size()) == table.size();
}

bool ReadDescriptor(ByteReader& in, Descriptor& image)
{
    std::uint8_t raw[9];
    if (in.Read(raw, sizeof raw) != sizeof raw) return false;
    image.left = Get16(raw);
    image.top = Get16(raw + 2);
    image.width = Get16(raw + 4);
    image.height = Get16(raw + 6);
    image.flags = raw[8];
    return true;
}

bool SkipImage(ByteReader& in, std::uint8_t flags)
{
    const std::size_t table = (flags & kTableFlag) ? 3 * TableEntries(flags) : 0;
    return in.Read(nullptr, table) == table && in.Next() >= 0 && SkipSubBlocks(in);
}

void RowOrder::Advance()
{
    static constexpr std::uint32_t kStart[] = {0, 4, 2, 1};
    static constexpr std::uint32_t kStep[] = {8, 8, 4, 2};
    m_row += m_step;
    while (m_row >= m_height) {
        if (!m_interlaced || ++m_pass == 4) {
            m_done = true;
            return;
        }
        m_row = kStart[m_pass];
        m_step = kStep[m_pass];
    }
}

} // namespace gif
