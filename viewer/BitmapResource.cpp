#include "BitmapResource.h"

#include <limits>

namespace resources {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
// The palette is described in place.
static_assert(sizeof(RgbQuad) == 4 && alignof(RgbQuad) == 1);

std::uint32_t U16(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

std::uint32_t U32(const std::uint8_t* p)
{
    return U16(p) | U16(p + 2) << 16;
}

} // namespace

bool DescribeBitmapFile(const std::uint8_t* data, std::size_t size, BitmapDescription& bitmap)
{
    bitmap = {};
    if (!data || size < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M')
        return false;
    const std::uint8_t* info = data + kFileHeaderSize;
    const std::uint32_t pixelOffset = U32(data + 10);
    const std::uint32_t infoSize = U32(info);
    const auto width = std::int32_t(U32(info + 4));
    const auto height = std::int32_t(U32(info + 8));
    const std::uint32_t bits = U16(info + 14);
    const std::uint32_t compression = U32(info + 16);
    std::uint32_t colours = U32(info + 32);

    const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (infoSize < kInfoHeaderSize || infoSize > size - kFileHeaderSize || !knownDepth ||
        compression != kUncompressed || width <= 0 || height == 0 ||
        height == std::numeric_limits<std::int32_t>::min())
        return false;

    if (bits <= 8) {
        const std::uint32_t most = 1u << bits;
        if (colours == 0 || colours > most) colours = most;
        const std::size_t paletteEnd = kFileHeaderSize + infoSize + std::size_t(colours) * sizeof(RgbQuad);
        if (paletteEnd > size || paletteEnd > pixelOffset) return false;
        bitmap.palette = reinterpret_cast<const RgbQuad*>(data + kFileHeaderSize + infoSize);
        bitmap.paletteSize = std::int32_t(colours);
    }

    const std::uint64_t rows = height < 0 ? std::uint64_t(-std::int64_t(height)) : std::uint64_t(height);
    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > size ||
        stride > std::uint64_t(std::numeric_limits<std::int32_t>::max()) ||
        stride * rows > size - pixelOffset)
        return false;

    bitmap.width = width;
    bitmap.height = std::int32_t(rows);
    bitmap.bitsPerPixel = std::int32_t(bits);
    bitmap.stride = std::int32_t(stride);
    bitmap.topDown = height < 0;
    bitmap.bits = data + pixelOffset;
    return true;
}

} // namespace resources
