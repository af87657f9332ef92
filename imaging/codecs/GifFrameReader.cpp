#include "GifFrameReader.h"

#include "FileStream.h"
#include "GifBlocks.h"

#include <algorithm>
#include <cstring>

using namespace gif;

namespace {

constexpr int kRestoreBackground = 2;
constexpr int kRestorePrevious = 3;
// A screen of up to 16 megapixels is always composed; a larger one only when the file's data
// could fill it (no byte of LZW data stands for more than 4096 pixels).
constexpr std::uint64_t kFreeScreenPixels = std::uint64_t(1) << 24;
constexpr std::uint64_t kLargestExpansion = 4096;

// Fills indices of one image, row by row in file order.
class IndexRows : public GifRowSink {
public:
    IndexRows(std::vector<std::uint8_t>& indices, std::vector<std::uint32_t>& arrived, std::uint32_t width,
              std::uint32_t height, bool interlaced)
        : m_indices(indices), m_arrived(arrived), m_width(width), m_order(height, interlaced)
    {
        m_indices.assign(std::size_t(width) * height, 0);
        m_arrived.assign(height, 0);
    }

    bool Row(const std::uint8_t* indices, std::size_t count) override
    {
        if (m_order.Done()) return false;
        count = std::min<std::size_t>(count, m_width);
        std::memcpy(m_indices.data() + std::size_t(m_order.Row()) * m_width, indices, count);
        m_arrived[m_order.Row()] = std::uint32_t(count);
        m_order.Advance();
        return !m_order.Done();
    }

private:
    std::vector<std::uint8_t>& m_indices;
    std::vector<std::uint32_t>& m_arrived;
    std::uint32_t m_width;
    RowOrder m_order;
};

} // namespace

std::unique_ptr<FrameReader> FrameReader::Open(const std::string& path)
{
    return GifFrameReader::Open(path);
}

std::unique_ptr<GifFrameReader> GifFrameReader::Open(const std::string& path)
{
    std::unique_ptr<GifFrameReader> reader(new GifFrameReader);
    reader->m_file.reset(std::fopen(path.c_str(), "rb"));
    if (!reader->m_file) return nullptr;
    reader->m_stream = std::make_unique<FileStream>(reader->m_file.get());
    if (!reader->ReadHeader()) return nullptr;
    // Counting passes over the images without decoding them; it also finds the loop count
    // wherever the file keeps it.
    while (reader->Step(nullptr)) ++reader->m_frameCount;
    if (reader->m_frameCount < 2 || !reader->Rewind()) return nullptr;
    return reader;
}

bool GifFrameReader::ReadHeader()
{
    std::uint8_t head[kHeaderSize];
    if (m_stream->Read(head, 1, sizeof head) != sizeof head || std::memcmp(head, "GIF8", 4) != 0) return false;
    m_screenWidth = Get16(head + 6);
    m_screenHeight = Get16(head + 8);
    const std::uint64_t pixels = std::uint64_t(m_screenWidth) * m_screenHeight;
    const std::uint64_t fileSize = std::uint64_t(std::max<std::int32_t>(m_stream->Size(), 0));
    if (pixels == 0 || !Picture::FitsCeiling(m_screenWidth, m_screenHeight) ||
        pixels > kFreeScreenPixels + kLargestExpansion * fileSize)
        return false;
    if (head[10] & kTableFlag) {
        m_globalTable.resize(3 * TableEntries(head[10]));
        if (m_stream->Read(m_globalTable.data(), 1, m_globalTable.size()) != m_globalTable.size()) return false;
    }
    m_dataStart = m_stream->Tell();
    return m_dataStart > 0;
}

bool GifFrameReader::Rewind()
{
    // The reader reads ahead: it starts afresh behind the seek.
    m_in.reset();
    if (!m_stream->Seek(m_dataStart, SEEK_SET)) return false;
    m_in = std::make_unique<ByteReader>(*m_stream);
    m_canvas.assign(std::size_t(m_screenWidth) * m_screenHeight, RgbQuad{});
    m_saved.clear();
    m_lastDisposal = 0;
    m_control = {};
    return true;
}

bool GifFrameReader::Next(Picture& frame)
{
    return m_in && Step(&frame);
}

bool GifFrameReader::Step(Picture* frame)
{
    if (!m_in) m_in = std::make_unique<ByteReader>(*m_stream);
    for (;;) {
        const int block = m_in->Next();
        if (block < 0 || block == kTrailer) return false;
        if (block == kExtension) {
            if (!ReadExtension()) return false;
            continue;
        }
        if (block != kImage) continue;
        Descriptor image;
        if (!ReadDescriptor(*m_in, image)) return false;
        // A control block speaks for the one image after it.
        const Control control = m_control;
        m_control = {};
        // An image of no pixels is no frame; one reaching over the screen's edge is cut there.
        if (image.width == 0 || image.height == 0) {
            if (!SkipImage(*m_in, image.flags)) return false;
            continue;
        }
        if (!frame) return SkipImage(*m_in, image.flags);
        std::vector<std::uint8_t> local;
        if ((image.flags & kTableFlag) && !ReadTable(*m_in, image.flags, local)) return false;
        const std::vector<std::uint8_t>& table = local.empty() ? m_globalTable : local;
        Dispose();
        if (control.disposal == kRestorePrevious) m_saved = m_canvas;
        if (!DecodeImage(image)) return false;
        Draw(image, table, control.transparent);
        m_lastLeft = std::min(image.left, m_screenWidth);
        m_lastTop = std::min(image.top, m_screenHeight);
        m_lastWidth = std::min(image.width, m_screenWidth - m_lastLeft);
        m_lastHeight = std::min(image.height, m_screenHeight - m_lastTop);
        m_lastDisposal = control.disposal;
        return MakeFrame(*frame, control.delay);
    }
}

bool GifFrameReader::ReadExtension()
{
    const int label = m_in->Next();
    const int size = label < 0 ? -1 : m_in->Next();
    if (size < 0) return false;
    std::uint8_t data[255];
    if (m_in->Read(data, std::size_t(size)) != std::size_t(size)) return false;
    if (size == 0) return true;
    if (label == kGraphicControl && size == 4)
        m_control = {(data[0] >> 2) & 7, std::uint16_t(Get16(data + 1)), (data[0] & 1) ? data[3] : -1};
    if (label == kApplication) {
        // Another size is taken for damage, as when the codec reads the file.
        if (std::size_t(size) != kApplicationIdSize) return false;
        const bool looping = std::memcmp(data, "NETSCAPE2.0", 11) == 0 || std::memcmp(data, "ANIMEXTS1.0", 11) == 0;
        const int subSize = m_in->Next();
        if (subSize <= 0) return subSize == 0;
        std::uint8_t sub[255];
        if (m_in->Read(sub, std::size_t(subSize)) != std::size_t(subSize)) return false;
        // The first loop block counts, as in browsers.
        if (looping && subSize >= 3 && sub[0] == 1 && m_loopCount < 0) m_loopCount = int(Get16(sub + 1));
    }
    return SkipSubBlocks(*m_in);
}

bool GifFrameReader::DecodeImage(const Descriptor& image)
{
    IndexRows rows(m_indices, m_arrived, image.width, image.height, (image.flags & kInterlaceFlag) != 0);
    const int codeSize = m_in->Next();
    if (codeSize < 0) return false;
    if (codeSize < 2 || codeSize > 9) return SkipSubBlocks(*m_in);
    const GifLzwDecoder::Stop stop = m_lzw->Decode(*m_in, codeSize, image.width, rows);
    if (stop == GifLzwDecoder::Stop::InputEnd) return true;
    return stop == GifLzwDecoder::Stop::Terminator || SkipSubBlocks(*m_in);
}

void GifFrameReader::Dispose()
{
    if (m_lastDisposal == kRestorePrevious && m_saved.size() == m_canvas.size()) {
        m_canvas.swap(m_saved);
    } else if (m_lastDisposal == kRestoreBackground) {
        for (std::uint32_t y = 0; y < m_lastHeight; ++y) {
            RgbQuad* row = m_canvas.data() + std::size_t(m_lastTop + y) * m_screenWidth + m_lastLeft;
            std::fill(row, row + m_lastWidth, RgbQuad{});
        }
    }
    m_lastDisposal = 0;
}

// Rows or pixels that never arrived are not drawn: the screen shows through.
void GifFrameReader::Draw(const Descriptor& image, const std::vector<std::uint8_t>& table, int transparent)
{
    RgbQuad palette[256] = {};
    for (std::size_t i = 0; i < std::min<std::size_t>(256, table.size() / 3); ++i)
        palette[i] = {table[3 * i + 2], table[3 * i + 1], table[3 * i], 255};
    for (std::size_t i = table.size() / 3; i < 256; ++i) palette[i].reserved = 255;
    if (image.left >= m_screenWidth || image.top >= m_screenHeight) return;
    const std::uint32_t width = std::min(image.width, m_screenWidth - image.left);
    const std::uint32_t height = std::min(image.height, m_screenHeight - image.top);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* source = m_indices.data() + std::size_t(y) * image.width;
        RgbQuad* target = m_canvas.data() + std::size_t(image.top + y) * m_screenWidth + image.left;
        for (std::uint32_t x = 0; x < std::min(width, m_arrived[y]); ++x)
            if (source[x] != transparent) target[x] = palette[source[x]];
    }
}

bool GifFrameReader::MakeFrame(Picture& frame, std::uint16_t delay) const
{
    if (!frame.Create(std::int32_t(m_screenWidth), std::int32_t(m_screenHeight), 24, ImageFormat::Gif)) return false;
    const bool seeThrough =
        std::any_of(m_canvas.begin(), m_canvas.end(), [](const RgbQuad& pixel) { return pixel.reserved != 255; });
    if (seeThrough && !frame.AlphaCreate()) return false;
    for (std::uint32_t y = 0; y < m_screenHeight; ++y) {
        const RgbQuad* source = m_canvas.data() + std::size_t(y) * m_screenWidth;
        // Picture rows run bottom-up.
        const std::int32_t row = std::int32_t(m_screenHeight - 1 - y);
        std::uint8_t* target = frame.GetBits() + std::size_t(row) * frame.GetEffWidth();
        for (std::uint32_t x = 0; x < m_screenWidth; ++x) {
            target[3 * std::size_t(x)] = source[x].blue;
            target[3 * x + 1] = source[x].green;
            target[3 * x + 2] = source[x].red;
        }
        if (!seeThrough) continue;
        std::uint8_t* alpha = frame.GetAlpha() + std::size_t(row) * m_screenWidth;
        for (std::uint32_t x = 0; x < m_screenWidth; ++x) alpha[x] = source[x].reserved;
    }
    frame.SetFrameDelay(delay);
    return true;
}
