// ReduceOnto: area-averaged reduction over a background colour.
#include "Picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kWhole = 1u << 16;

// For each output pixel along one axis, the source pixels it covers and the share of it each
// one has, in units of 1/65536 that add up to exactly 65536.
struct Spans {
    std::vector<std::int32_t> first;
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> weights;

    std::int32_t Count(std::size_t j) const { return std::int32_t(start[j + 1] - start[j]); }
};

// Output pixel j covers [j * from, (j + 1) * from) and source pixel i covers [i * to, (i + 1) * to):
// both axes measured in units of 1/(from * to) of the whole, so the overlaps are exact.
Spans MakeSpans(std::int32_t from, std::int32_t to)
{
    Spans spans;
    spans.first.resize(std::size_t(to));
    spans.start.reserve(std::size_t(to) + 1);
    for (std::int64_t j = 0; j < to; ++j) {
        const std::int64_t begin = j * from;
        const std::int64_t end = begin + from;
        spans.first[std::size_t(j)] = std::int32_t(begin / to);
        spans.start.push_back(std::uint32_t(spans.weights.size()));
        std::uint32_t given = 0;
        for (std::int64_t i = begin / to; i * to < end; ++i) {
            const std::int64_t overlap = std::min(end, (i + 1) * to) - std::max(begin, i * to);
            const auto weight = std::uint32_t(overlap * kWhole / from);
            spans.weights.push_back(weight);
            given += weight;
        }
        // Rounding down left a little over; the last share takes it.
        spans.weights.back() += kWhole - given;
    }
    spans.start.push_back(std::uint32_t(spans.weights.size()));
    return spans;
}

std::uint8_t Blend(unsigned colour, unsigned back, unsigned alpha)
{
    return std::uint8_t((colour * alpha + back * (255 - alpha) + 127) / 255);
}

} // namespace

bool Picture::HasTransparency() const
{
    return info.transparentIndex != -1 || alpha || info.alphaPaletteEnabled;
}

// One row (counted from the top) as blue, green, red bytes with its transparency blended over
// background, weighed as Draw weighs it.
void Picture::FlattenRow(std::int32_t fromTop, std::uint8_t* out, RgbQuad background) const
{
    const std::int32_t y = header.height - 1 - fromTop;
    const RgbQuad transparent = GetTransparentColor();
    const bool useTransparent = info.transparentIndex != -1;
    const bool paletteAlpha = header.colours != 0 && info.alphaPaletteEnabled;
    const std::uint8_t* alphaRow = alpha ? alpha + std::size_t(y) * header.width : nullptr;
    for (std::int32_t x = 0; x < header.width; ++x, out += 3) {
        const RgbQuad colour = InsideColour(x, y);
        unsigned a = alphaRow ? alphaRow[x] : 255;
        a = (a * (info.alphaMax + 1u)) >> 8;
        if (paletteAlpha) a = (a * (colour.reserved + 1u)) >> 8;
        if (useTransparent && colour.Value() == transparent.Value()) a = 0;
        out[0] = Blend(colour.blue, background.blue, a);
        out[1] = Blend(colour.green, background.green, a);
        out[2] = Blend(colour.red, background.red, a);
    }
}

bool Picture::ReduceOnto(Picture& result, std::int32_t width, std::int32_t height, RgbQuad background) const
{
    if (!dib || &result == this || width <= 0 || height <= 0 || width > header.width || height > header.height)
        return false;
    Picture reduced;
    if (!reduced.Create(width, height, 24, info.format)) return false;
    reduced.SetDpiX(info.dpiX);
    reduced.SetDpiY(info.dpiY);

    const Spans columns = MakeSpans(header.width, width);
    const Spans rows = MakeSpans(header.height, height);
    const std::size_t rowBytes = 3 * std::size_t(header.width);
    const bool direct = header.bitsPerPixel == 24 && !HasTransparency();
    std::vector<std::uint8_t> flat(direct ? 0 : rowBytes);
    std::int32_t flatRow = -1;
    auto sourceRow = [&](std::int32_t fromTop) -> const std::uint8_t* {
        if (direct) return info.pixels + std::size_t(header.height - 1 - fromTop) * info.rowStride;
        // A row shared by two output rows is flattened once.
        if (fromTop != flatRow) FlattenRow(fromTop, flat.data(), background);
        flatRow = fromTop;
        return flat.data();
    };

    // Each output row: the source rows it covers summed by weight (at most 255 x 65536 per
    // sample), then the columns of that sum (64 bits: a further factor of 65536).
    std::vector<std::uint32_t> sums(rowBytes);
    for (std::int32_t j = 0; j < height; ++j) {
        const std::uint32_t* weight = rows.weights.data() + rows.start[std::size_t(j)];
        const std::int32_t first = rows.first[std::size_t(j)];
        for (std::int32_t i = 0; i < rows.Count(std::size_t(j)); ++i) {
            const std::uint8_t* src = sourceRow(first + i);
            const std::uint32_t w = weight[i];
            if (i == 0) {
                for (std::size_t k = 0; k < rowBytes; ++k) sums[k] = w * src[k];
            } else {
                for (std::size_t k = 0; k < rowBytes; ++k) sums[k] += w * src[k];
            }
        }
        std::uint8_t* out = reduced.info.pixels + std::size_t(height - 1 - j) * reduced.info.rowStride;
        for (std::int32_t x = 0; x < width; ++x, out += 3) {
            const std::uint32_t* share = columns.weights.data() + columns.start[std::size_t(x)];
            const std::uint32_t* sum = sums.data() + 3 * std::size_t(columns.first[std::size_t(x)]);
            std::uint64_t blue = 0, green = 0, red = 0;
            for (std::int32_t i = 0; i < columns.Count(std::size_t(x)); ++i, sum += 3) {
                blue += std::uint64_t(sum[0]) * share[i];
                green += std::uint64_t(sum[1]) * share[i];
                red += std::uint64_t(sum[2]) * share[i];
            }
            constexpr std::uint64_t kHalf = std::uint64_t(1) << 31;
            out[0] = std::uint8_t((blue + kHalf) >> 32);
            out[1] = std::uint8_t((green + kHalf) >> 32);
            out[2] = std::uint8_t((red + kHalf) >> 32);
        }
    }
    result.Transfer(reduced);
    return true;
}
