#include "PaletteSearch.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint32_t kCells = 32 * 32 * 32;
constexpr std::uint32_t kUnbuilt = 0xFFFFFFFF;

// Distances from v to the nearest and farthest value of [low, low + 7].
int Near(int v, int low)
{
    return v < low ? low - v : v > low + 7 ? v - low - 7 : 0;
}

int Far(int v, int low)
{
    return std::max(std::abs(v - low), std::abs(v - low - 7));
}

} // namespace

PaletteSearch::PaletteSearch(const RgbQuad* entries, std::uint32_t count)
    : palette(entries), colours(entries ? std::min<std::uint32_t>(count, 256) : 0), cells(kCells, kUnbuilt)
{
}

std::uint8_t PaletteSearch::Find(RgbQuad colour)
{
    const std::uint32_t cell = ((colour.red >> 3) << 10) | ((colour.green >> 3) << 5) | (colour.blue >> 3);
    if (cells[cell] == kUnbuilt) Build(cell);
    const std::uint32_t first = cells[cell];
    int best = 200000;
    std::uint8_t bestIndex = 0;
    for (std::uint32_t i = first + 1; i <= first + pool[first]; ++i) {
        const RgbQuad& e = palette[pool[i]];
        const int dr = e.red - colour.red, dg = e.green - colour.green, db = e.blue - colour.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            bestIndex = std::uint8_t(pool[i]);
            if (distance == 0) break;
        }
    }
    return bestIndex;
}

void PaletteSearch::Build(std::uint32_t cell)
{
    const int r = int(cell >> 10) << 3, g = int((cell >> 5) & 31) << 3, b = int(cell & 31) << 3;
    int nearest[256];
    int limit = 1 << 30;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const RgbQuad& e = palette[i];
        const int nr = Near(e.red, r), ng = Near(e.green, g), nb = Near(e.blue, b);
        const int fr = Far(e.red, r), fg = Far(e.green, g), fb = Far(e.blue, b);
        nearest[i] = nr * nr + ng * ng + nb * nb;
        limit = std::min(limit, fr * fr + fg * fg + fb * fb);
    }
    cells[cell] = std::uint32_t(pool.size());
    pool.push_back(0);
    for (std::uint32_t i = 0; i < colours; ++i) {
        if (nearest[i] > limit) continue;
        pool.push_back(std::uint16_t(i));
        ++pool[cells[cell]];
    }
}
