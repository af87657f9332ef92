#include "QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>

#include <cstring>
#include <optional>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

const QString kBmp = QStringLiteral("image/bmp");
const QString kPng = QStringLiteral("image/png");
const QString kQtImage = QStringLiteral("application/x-qt-image");

std::uint32_t Read32(const std::uint8_t* at)
{
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* at)
{
    return std::uint16_t(at[0] | at[1] << 8);
}

void Put32(QByteArray& bytes, std::size_t at, std::uint64_t value)
{
    for (int i = 0; i < 4; ++i) bytes[qsizetype(at) + i] = char(value >> (8 * i));
}

// Where things are in a packed DIB, offsets from its start.
struct DibLayout {
    int width = 0;
    int height = 0;
    int bits = 0;
    std::size_t palette = 0;
    std::size_t colours = 0;
    std::size_t pixels = 0;
    std::size_t rowStride = 0;
};

// Only an uncompressed bottom-up DIB of 1, 4, 8 or 24 bits whose rows are all there.
std::optional<DibLayout> Layout(const std::vector<std::uint8_t>& dib)
{
    if (dib.size() < kInfoHeaderSize) return std::nullopt;
    const std::uint32_t headerSize = Read32(&dib[0]);
    const auto width = std::int32_t(Read32(&dib[4]));
    const auto height = std::int32_t(Read32(&dib[8]));
    const std::uint16_t bits = Read16(&dib[14]);
    const std::uint32_t coloursUsed = Read32(&dib[32]);
    if (headerSize < kInfoHeaderSize || headerSize > dib.size() || width <= 0 || height <= 0 ||
        Read16(&dib[12]) != 1 || Read32(&dib[16]) != 0)
        return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return std::nullopt;
    const std::uint64_t maxColours = bits <= 8 ? std::uint64_t(1) << bits : 0;
    if (coloursUsed > maxColours) return std::nullopt;
    const std::uint64_t colours = coloursUsed ? coloursUsed : maxColours;
    const std::uint64_t rowStride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    const std::uint64_t pixels = headerSize + 4 * colours;
    if (pixels + rowStride * std::uint64_t(height) > dib.size()) return std::nullopt;
    return DibLayout{width, height, bits, headerSize, std::size_t(colours), std::size_t(pixels), std::size_t(rowStride)};
}

// Converted here rather than by Qt's BMP reader, which refuses pictures above its allocation
// limit (256 MB) that the viewer can hold.
QImage ToImage(const std::uint8_t* dib, const DibLayout& layout)
{
    QImage image(layout.width, layout.height, layout.bits == 24 ? QImage::Format_RGB888 : QImage::Format_Indexed8);
    if (image.isNull()) return image;
    if (layout.bits <= 8) {
        // Indices beyond a short palette show black rather than reading past it.
        QList<QRgb> table(1 << layout.bits, qRgb(0, 0, 0));
        for (std::size_t i = 0; i < layout.colours; ++i) {
            const std::uint8_t* quad = dib + layout.palette + 4 * i;
            table[qsizetype(i)] = qRgb(quad[2], quad[1], quad[0]);
        }
        image.setColorTable(table);
    }
    for (int y = 0; y < layout.height; ++y) {
        const std::uint8_t* row = dib + layout.pixels + std::size_t(layout.height - 1 - y) * layout.rowStride;
        std::uint8_t* out = image.scanLine(y);
        switch (layout.bits) {
        case 24:
            for (int x = 0; x < layout.width; ++x) {
                out[3 * std::size_t(x)] = row[3 * std::size_t(x) + 2];
                out[3 * std::size_t(x) + 1] = row[3 * std::size_t(x) + 1];
                out[3 * std::size_t(x) + 2] = row[3 * std::size_t(x)];
            }
            break;
        case 8: std::memcpy(out, row, std::size_t(layout.width)); break;
        case 4:
            for (int x = 0; x < layout.width; ++x) out[x] = (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0f;
            break;
        default:
            for (int x = 0; x < layout.width; ++x) out[x] = (row[x / 8] >> (7 - x % 8)) & 1;
            break;
        }
    }
    return image;
}

// The image is converted only when a program asks for it: a 12-megapixel photo takes most of a
// second to encode as PNG, which Copy itself should not cost.
class DibMimeData : public QMimeData {
public:
    DibMimeData(QByteArray bmp, const DibLayout& layout) : m_bmp(std::move(bmp)), m_layout(layout) {}

    QStringList formats() const override { return {kQtImage, kPng, kBmp}; }
    bool hasFormat(const QString& type) const override { return formats().contains(type); }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        if (type == kBmp) return m_bmp;
        if (type == kQtImage) return Image();
        if (type == kPng) return Png();
        return {};
    }

private:
    const QImage& Image() const
    {
        if (m_image.isNull())
            m_image = ToImage(reinterpret_cast<const std::uint8_t*>(m_bmp.constData()) + kFileHeaderSize, m_layout);
        return m_image;
    }

    const QByteArray& Png() const
    {
        if (m_png.isEmpty()) {
            QBuffer buffer(&m_png);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "PNG");
            writer.setQuality(kFastPng);
            writer.write(Image());
        }
        return m_png;
    }

    // zlib's fastest level: four times the speed of the default for a quarter more bytes, which
    // only ever travel through memory.
    static constexpr int kFastPng = 80;

    QByteArray m_bmp;
    DibLayout m_layout;
    mutable QImage m_image;
    mutable QByteArray m_png;
};

} // namespace

bool QtClipboard::SetImage(const std::vector<std::uint8_t>& packedDib)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::optional<DibLayout> layout = Layout(packedDib);
    if (!clipboard || !layout || packedDib.size() > UINT32_MAX - kFileHeaderSize) return false;

    QByteArray bmp(qsizetype(kFileHeaderSize), '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, kFileHeaderSize + packedDib.size());
    Put32(bmp, 10, kFileHeaderSize + layout->pixels);
    bmp.append(reinterpret_cast<const char*>(packedDib.data()), qsizetype(packedDib.size()));
    clipboard->setMimeData(new DibMimeData(std::move(bmp), *layout));
    return true;
}

} // namespace platform
