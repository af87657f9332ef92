// Flip, Mirror and the quarter turns.
#include "Picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

bool Picture::Flip()
{
    if (!dib) return false;
    const std::size_t stride = info.rowStride;
    for (std::int32_t top = 0, bottom = header.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(info.pixels + top * stride, info.pixels + (top + 1) * stride, info.pixels + bottom * stride);
    AlphaFlip();
    SelectionDelete();
    return true;
}

bool Picture::Mirror()
{
    if (!dib) return false;
    const std::int32_t width = header.width;
    std::vector<std::uint8_t> row(info.rowStride);
    for (std::int32_t y = 0; y < header.height; ++y) {
        std::uint8_t* line = info.pixels + std::size_t(y) * info.rowStride;
        switch (header.bitsPerPixel) {
        case 8:
            std::reverse(line, line + width);
            break;
        case 24:
            for (std::int32_t left = 0, right = width - 1; left < right; ++left, --right)
                std::swap_ranges(line + 3 * std::size_t(left), line + 3 * std::size_t(left) + 3, line + 3 * std::size_t(right));
            break;
        default:
            // Sub-byte pixels: read from a copy of the row, write in place.
            std::memcpy(row.data(), line, row.size());
            for (std::int32_t x = 0; x < width; ++x) {
                const std::int32_t from = width - 1 - x;
                std::uint8_t index;
                if (header.bitsPerPixel == 4) index = (from & 1) ? (row[from / 2] & 0x0F) : (row[from / 2] >> 4);
                else index = (row[from / 8] >> (7 - (from & 7))) & 1;
                SetPixelIndex(x, y, index);
            }
        }
    }
    AlphaMirror();
    SelectionDelete();
    return true;
}

bool Picture::Rotate(bool clockwise, Picture* destination)
{
    if (!dib) return false;
    const std::int32_t width = header.width;
    const std::int32_t height = header.height;
    Picture turned;
    turned.CopyInfo(*this);
    if (!turned.Create(height, width, header.bitsPerPixel, info.format)) return false;
    turned.SetPaletteRaw(GetPalette(), header.colours);
    if (alpha) turned.AlphaCreate();

    // New pixel (nx, ny) comes from old pixel (ox, oy):
    // counter-clockwise ox = ny, oy = H - 1 - nx; clockwise ox = W - 1 - ny, oy = nx.
    const std::uint32_t bits = header.bitsPerPixel;
    for (std::int32_t ny = 0; ny < width; ++ny) {
        if (info.escape) break;
        info.progress = 100 * ny / width;
        const std::int32_t ox = clockwise ? width - 1 - ny : ny;
        std::uint8_t* out = turned.info.pixels + std::size_t(ny) * turned.info.rowStride;
        for (std::int32_t nx = 0; nx < height; ++nx) {
            const std::int32_t oy = clockwise ? nx : height - 1 - nx;
            if (bits == 24) {
                std::memcpy(out + 3 * std::size_t(nx), PixelAddress(ox, oy), 3);
            } else if (bits == 8) {
                out[nx] = *PixelAddress(ox, oy);
            } else {
                turned.SetPixelIndex(nx, ny, GetPixelIndex(ox, oy));
            }
            if (alpha) turned.AlphaSet(nx, ny, AlphaGet(ox, oy));
        }
    }
    MoveResult(turned, destination);
    return true;
}

bool Picture::RotateLeft(Picture* destination)
{
    return Rotate(false, destination);
}

bool Picture::RotateRight(Picture* destination)
{
    return Rotate(true, destination);
}

namespace {

// Where an upright pixel comes from: source column = x0 + dx column + dy row, source row
// (counted from the top) = y0 + ex column + ey row, in units of the turned picture's
// coordinates. Indexed by Exif orientation; entry 0 is unused.
struct OrientationMap {
    bool swapsSides;
    int dx, dy, ex, ey;
    bool fromRight, fromBottom;
};
constexpr OrientationMap kOrientations[9] = {
    {false, 1, 0, 0, 1, false, false}, {false, 1, 0, 0, 1, false, false}, {false, -1, 0, 0, 1, true, false},
    {false, -1, 0, 0, -1, true, true}, {false, 1, 0, 0, -1, false, true}, {true, 0, 1, 1, 0, false, false},
    {true, 0, 1, -1, 0, false, true},  {true, 0, -1, -1, 0, true, true},  {true, 0, -1, 1, 0, true, false},
};

} // namespace

bool Picture::Orient(int orientation)
{
    if (!dib) return false;
    if (orientation < 2 || orientation > 8) return true;
    const OrientationMap& map = kOrientations[orientation];
    const std::int32_t width = header.width;
    const std::int32_t height = header.height;
    const std::int32_t newWidth = map.swapsSides ? height : width;
    const std::int32_t newHeight = map.swapsSides ? width : height;
    Picture turned;
    turned.CopyInfo(*this);
    if (!turned.Create(newWidth, newHeight, header.bitsPerPixel, info.format)) return false;
    turned.SetPaletteRaw(GetPalette(), header.colours);
    if (alpha && !turned.AlphaCreate()) return false;

    const std::int32_t x0 = map.fromRight ? width - 1 : 0;
    const std::int32_t y0 = map.fromBottom ? height - 1 : 0;
    const std::uint32_t bytes = header.bitsPerPixel / 8;
    // Rows are stored bottom-up, so a step down the picture is a step back in memory.
    const std::ptrdiff_t step = std::ptrdiff_t(map.dx) * bytes - std::ptrdiff_t(map.ex) * info.rowStride;
    for (std::int32_t y = 0; y < newHeight; ++y) {
        const std::int32_t sx = x0 + map.dy * y;
        const std::int32_t sy = height - 1 - (y0 + map.ey * y);
        const std::int32_t ny = newHeight - 1 - y;
        if (bytes > 0) {
            const std::uint8_t* from = PixelAddress(sx, sy);
            std::uint8_t* to = turned.PixelAddress(0, ny);
            for (std::int32_t x = 0; x < newWidth; ++x, from += step, to += bytes) std::memcpy(to, from, bytes);
        } else {
            for (std::int32_t x = 0; x < newWidth; ++x)
                turned.SetPixelIndex(x, ny, GetPixelIndex(sx + map.dx * x, sy - map.ex * x));
        }
        if (alpha)
            for (std::int32_t x = 0; x < newWidth; ++x) turned.AlphaSet(x, ny, AlphaGet(sx + map.dx * x, sy - map.ex * x));
    }
    MoveResult(turned, nullptr);
    return true;
}

void Picture::MoveResult(Picture& result, Picture* destination)
{
    if (destination) destination->Transfer(result);
    else Transfer(result);
}
