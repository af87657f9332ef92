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
                std::swap_ranges(line + 3 * left, line + 3 * left + 3, line + 3 * right);
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

void Picture::MoveResult(Picture& result, Picture* destination)
{
    if (destination) destination->Transfer(result);
    else Transfer(result);
}
