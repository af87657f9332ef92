// Nearest palette entry for many colours against one fixed palette.
#pragma once

#include "Picture.h"

#include <cstdint>
#include <vector>

// Gives the entry Picture::GetNearestIndex gives (lowest index among the nearest), but searches
// only the entries that can be nearest anywhere in the colour's 8 x 8 x 8 cell: an entry whose
// distance to the cell exceeds the smallest farthest-corner distance of all entries can be
// neither nearest nor tied. Candidate lists keep index order and are built when a cell is
// first met. The palette must not change while the search is used.
class PaletteSearch {
public:
    PaletteSearch(const RgbQuad* palette, std::uint32_t colours);

    std::uint8_t Find(RgbQuad colour);

private:
    void Build(std::uint32_t cell);

    const RgbQuad* palette;
    std::uint32_t colours;
    std::vector<std::uint32_t> cells;
    // Per built cell: the candidate count, then the candidate indices.
    std::vector<std::uint16_t> pool;
};
