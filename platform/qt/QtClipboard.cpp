#include "QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cstdint>
#include <memory>

namespace platform {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t Read32(const std::vector<std::uint8_t>& block, std::size_t at)
{
    return std::uint32_t(block[at]) | std::uint32_t(block[at + 1]) << 8 | std::uint32_t(block[at + 2]) << 16 |
           std::uint32_t(block[at + 3]) << 24;
}

std::uint16_t Read16(const std::vector<std::uint8_t>& block, std::size_t at)
{
    return std::uint16_t(block[at] | block[at + 1] << 8);
}

void Put32(QByteArray& bytes, std::size_t at, std::uint64_t value)
{
    for (int i = 0; i < 4; ++i) bytes[qsizetype(at + i)] = char(value >> (8 * i));
}

// Where the rows start inside the block; 0 when the block is no uncompressed DIB of 1, 4, 8 or
// 24 bits whose rows are all there.
std::uint64_t PixelOffset(const std::vector<std::uint8_t>& dib)
{
    if (dib.size() < kInfoHeaderSize) return 0;
    const std::uint32_t headerSize = Read32(dib, 0);
    const auto width = std::int32_t(Read32(dib, 4));
    const auto height = std::int32_t(Read32(dib, 8));
    const std::uint16_t bits = Read16(dib, 14);
    const std::uint32_t compression = Read32(dib, 16);
    const std::uint32_t coloursUsed = Read32(dib, 32);
    if (headerSize < kInfoHeaderSize || headerSize > dib.size() || width <= 0 || height == 0 ||
        height == INT32_MIN || Read16(dib, 12) != 1 || compression != 0)
        return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;
    const std::uint64_t maxColours = bits <= 8 ? std::uint64_t(1) << bits : 0;
    if (coloursUsed > maxColours) return 0;
    const std::uint64_t colours = coloursUsed ? coloursUsed : maxColours;
    const std::uint64_t rowStride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    const std::uint64_t rows = std::uint64_t(height < 0 ? -std::int64_t(height) : height);
    const std::uint64_t offset = headerSize + 4 * colours;
    if (offset + rowStride * rows > dib.size()) return 0;
    return offset;
}

} // namespace

bool QtClipboard::SetImage(const std::vector<std::uint8_t>& packedDib)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const std::uint64_t pixelOffset = PixelOffset(packedDib);
    if (!clipboard || pixelOffset == 0 || packedDib.size() > UINT32_MAX - kFileHeaderSize) return false;

    QByteArray bmp(qsizetype(kFileHeaderSize), '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, kFileHeaderSize + packedDib.size());
    Put32(bmp, 10, kFileHeaderSize + pixelOffset);
    bmp.append(reinterpret_cast<const char*>(packedDib.data()), qsizetype(packedDib.size()));

    QImage image;
    if (!image.loadFromData(bmp, "BMP")) return false;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;

    auto data = std::make_unique<QMimeData>();
    data->setImageData(image);
    data->setData(QStringLiteral("image/png"), png);
    data->setData(QStringLiteral("image/bmp"), bmp);
    clipboard->setMimeData(data.release());
    return true;
}

} // namespace platform
