// Resample: area average, bilinear, nearest pixel and cubic B-spline.
#include "PaletteSearch.h"
#include "Picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::uint8_t ToByte(std::int64_t value)
{
    return std::uint8_t(std::clamp<std::int64_t>(value, 0, 255));
}

std::uint8_t ToByte(float value)
{
    return std::uint8_t(std::clamp(value, 0.0f, 255.0f));
}

// Cubic B-spline kernel.
float BSpline(float t)
{
    auto cube = [](float u) { return u > 0 ? u * u * u : 0.0f; };
    return (cube(t + 2) - 4 * cube(t + 1) + 6 * cube(t) - 4 * cube(t - 1)) / 6;
}

} // namespace

// Colour of a stored pixel known to lie inside: bytes for 24 bits, palette entry otherwise.
RgbQuad Picture::InsideColour(std::int32_t x, std::int32_t y) const
{
    if (header.bitsPerPixel == 24) {
        const std::uint8_t* p = PixelAddress(x, y);
        return RgbQuad{p[0], p[1], p[2], 0};
    }
    return GetPaletteColor(GetPixelIndex(x, y));
}

// Stores a colour into a 24-bit pixel known to lie inside.
void Picture::StoreColour(std::int32_t x, std::int32_t y, RgbQuad colour)
{
    std::uint8_t* p = PixelAddress(x, y);
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
}

bool Picture::Resample(std::int32_t newWidth, std::int32_t newHeight, int mode, Picture* destination)
{
    // An empty picture has nothing to resample from.
    if (!dib || newWidth <= 0 || newHeight <= 0) return false;
    if (destination == this) destination = nullptr;
    if (newWidth == header.width && newHeight == header.height) {
        if (destination) destination->Copy(*this, true, true, true);
        return true;
    }
    const float xScale = float(header.width) / float(newWidth);
    const float yScale = float(header.height) / float(newHeight);

    Picture result;
    result.CopyInfo(*this);
    if (!result.Create(newWidth, newHeight, header.bitsPerPixel, info.format)) return false;
    result.SetPaletteRaw(GetPalette(), 256);

    // Palette results take the nearest entry of their palette, as SetPixelColor would.
    PaletteSearch nearest(result.GetPalette(), result.header.colours);
    if (mode == 1) ResampleNearest(result, nearest, xScale, yScale);
    else if (mode == 2) ResampleBSpline(result, nearest, xScale, yScale);
    else if (header.bitsPerPixel == 24 && newWidth < header.width && newHeight < header.height)
        ResampleAreaAverage(result, xScale, yScale);
    else ResampleBilinear(result, nearest, xScale, yScale);

    if (alpha && result.AlphaCreate()) {
        for (std::int32_t y = 0; y < newHeight; ++y) {
            const auto sy = std::min(std::int32_t(float(y) * yScale), header.height - 1);
            for (std::int32_t x = 0; x < newWidth; ++x) {
                const auto sx = std::min(std::int32_t(float(x) * xScale), header.width - 1);
                result.AlphaSet(x, y, AlphaGet(sx, sy));
            }
        }
    }
    result.info.progress = info.progress;
    MoveResult(result, destination);
    return true;
}

void Picture::ResampleNearest(Picture& result, PaletteSearch& nearest, float xScale, float yScale)
{
    const std::int32_t newWidth = result.header.width;
    const std::int32_t newHeight = result.header.height;
    std::vector<std::int32_t> columns(static_cast<std::size_t>(newWidth));
    for (std::int32_t x = 0; x < newWidth; ++x)
        columns[x] = std::min(std::int32_t(float(x) * xScale), header.width - 1);
    for (std::int32_t y = 0; y < newHeight; ++y) {
        info.progress = int(100LL * y / newHeight);
        if (info.escape) break;
        const auto sy = std::min(std::int32_t(float(y) * yScale), header.height - 1);
        if (header.bitsPerPixel == 24) {
            const std::uint8_t* src = info.pixels + std::size_t(sy) * info.rowStride;
            std::uint8_t* dst = result.info.pixels + std::size_t(y) * result.info.rowStride;
            for (std::int32_t x = 0; x < newWidth; ++x) std::memcpy(dst + 3 * std::size_t(x), src + 3 * std::size_t(columns[x]), 3);
        } else {
            for (std::int32_t x = 0; x < newWidth; ++x)
                result.SetPixelIndex(x, y, nearest.Find(GetPixelColor(columns[x], sy)));
        }
    }
}

void Picture::ResampleBSpline(Picture& result, PaletteSearch& nearest, float xScale, float yScale)
{
    const std::int32_t newWidth = result.header.width;
    const std::int32_t newHeight = result.header.height;
    for (std::int32_t y = 0; y < newHeight; ++y) {
        info.progress = int(100LL * y / newHeight);
        if (info.escape) break;
        const float fy = float(y) * yScale;
        const auto iy = std::int32_t(std::floor(fy));
        const float dy = fy - float(iy);
        for (std::int32_t x = 0; x < newWidth; ++x) {
            const float fx = float(x) * xScale;
            const auto ix = std::int32_t(std::floor(fx));
            const float dx = fx - float(ix);
            float red = 0, green = 0, blue = 0;
            for (int m = -1; m <= 2; ++m) {
                const float ky = BSpline(float(m) - dy);
                const std::int32_t sy = std::clamp(iy + m, 0, header.height - 1);
                for (int n = -1; n <= 2; ++n) {
                    const float k = ky * BSpline(dx - float(n));
                    const RgbQuad c = InsideColour(std::clamp(ix + n, 0, header.width - 1), sy);
                    red += k * float(c.red);
                    green += k * float(c.green);
                    blue += k * float(c.blue);
                }
            }
            const RgbQuad c{ToByte(blue), ToByte(green), ToByte(red), 0};
            if (header.bitsPerPixel == 24) result.StoreColour(x, y, c);
            else result.SetPixelIndex(x, y, nearest.Find(c));
        }
    }
}

void Picture::ResampleBilinear(Picture& result, PaletteSearch& nearest, float xScale, float yScale)
{
    const std::int32_t newWidth = result.header.width;
    const std::int32_t newHeight = result.header.height;
    struct Tap {
        std::int32_t i0, i1;
        float d;
    };
    std::vector<Tap> columns(static_cast<std::size_t>(newWidth));
    for (std::int32_t x = 0; x < newWidth; ++x) {
        const float fx = float(x) * xScale;
        const auto ix = std::min(std::int32_t(fx), header.width - 1);
        columns[x] = Tap{ix, std::min(ix + 1, header.width - 1), fx - float(ix)};
    }
    const bool trueColour = header.bitsPerPixel == 24;
    for (std::int32_t y = 0; y < newHeight; ++y) {
        info.progress = int(100LL * y / newHeight);
        if (info.escape) break;
        const float fy = float(y) * yScale;
        const auto iy = std::min(std::int32_t(fy), header.height - 1);
        const std::int32_t iy1 = std::min(iy + 1, header.height - 1);
        const float dy = fy - float(iy);
        const std::uint8_t* row0 = info.pixels + std::size_t(iy) * info.rowStride;
        const std::uint8_t* row1 = info.pixels + std::size_t(iy1) * info.rowStride;
        std::uint8_t* dst = result.info.pixels + std::size_t(y) * result.info.rowStride;
        for (std::int32_t x = 0; x < newWidth; ++x) {
            const Tap& t = columns[x];
            auto mix = [&](std::uint8_t a00, std::uint8_t a10, std::uint8_t a01, std::uint8_t a11) {
                const float left = float(a00) * (1 - dy) + float(a01) * dy;
                const float right = float(a10) * (1 - dy) + float(a11) * dy;
                return ToByte(left * (1 - t.d) + right * t.d);
            };
            if (trueColour) {
                const std::uint8_t* p00 = row0 + 3 * std::size_t(t.i0);
                const std::uint8_t* p10 = row0 + 3 * std::size_t(t.i1);
                const std::uint8_t* p01 = row1 + 3 * std::size_t(t.i0);
                const std::uint8_t* p11 = row1 + 3 * std::size_t(t.i1);
                for (int c = 0; c < 3; ++c) dst[3 * x + c] = mix(p00[c], p10[c], p01[c], p11[c]);
                continue;
            }
            const RgbQuad c00 = InsideColour(t.i0, iy), c10 = InsideColour(t.i1, iy);
            const RgbQuad c01 = InsideColour(t.i0, iy1), c11 = InsideColour(t.i1, iy1);
            result.SetPixelIndex(x, y, nearest.Find(RgbQuad{mix(c00.blue, c10.blue, c01.blue, c11.blue),
                                                            mix(c00.green, c10.green, c01.green, c11.green),
                                                            mix(c00.red, c10.red, c01.red, c11.red), 0}));
        }
    }
}

// Integer area average with weights in thousandths. Each source row is added into the sums of
// the output row it lies in; a row that straddles two output rows is split by its weight, and
// the finished output row is written as soon as its last source row has been added.
void Picture::ResampleAreaAverage(Picture& result, float xScale, float yScale)
{
    const std::int32_t newWidth = result.header.width;
    const std::int32_t newHeight = result.header.height;
    const std::size_t lastColumn = 3 * std::size_t(newWidth);
    // 64-bit sums: at large factors the weighted sum of one output pixel passes 2^31.
    std::vector<std::int64_t> current(lastColumn + 3), next(lastColumn + 3);
    const auto divisor = std::int64_t(xScale * yScale * 1000);
    float yLimit = yScale - 1;
    std::int32_t rowsWritten = 0;

    auto writeColumn = [&](std::uint8_t* out, std::size_t k) {
        for (int c = 0; c < 3; ++c) out[k + c] = ToByte(current[k + c] / divisor);
    };

    for (std::int32_t y = 0; y < header.height; ++y) {
        info.progress = int(100LL * y / header.height);
        if (info.escape) break;
        const std::uint8_t* src = info.pixels + std::size_t(y) * info.rowStride;
        float xLimit = xScale - 1;
        std::size_t k = 0;
        // Float rounding of the running limits must not open a column or row past the last.
        const bool straddles = !(float(y) < yLimit) && rowsWritten < newHeight;
        if (!straddles) {
            for (std::int32_t x = 0; x < header.width; ++x, src += 3) {
                if (float(x) < xLimit || k == lastColumn) {
                    for (int c = 0; c < 3; ++c) current[k + c] += src[c] * 1000L;
                    continue;
                }
                const auto wx = std::int64_t((float(x) - xLimit) * 1000);
                for (int c = 0; c < 3; ++c) {
                    current[k + c] += src[c] * (1000 - wx);
                    current[k + 3 + c] += src[c] * wx;
                }
                k += 3;
                xLimit += xScale;
            }
            continue;
        }

        std::uint8_t* out = result.info.pixels + std::size_t(rowsWritten) * result.info.rowStride;
        const auto wy = std::int64_t((float(y) - yLimit) * 1000);
        for (std::int32_t x = 0; x < header.width; ++x, src += 3) {
            if (float(x) < xLimit || k == lastColumn) {
                for (int c = 0; c < 3; ++c) {
                    current[k + c] += src[c] * (1000 - wy);
                    next[k + c] += src[c] * wy;
                }
                continue;
            }
            const auto wx = std::int64_t((float(x) - xLimit) * 1000);
            for (int c = 0; c < 3; ++c) {
                const std::int64_t s = src[c];
                current[k + c] += s * (1000 - wy) * (1000 - wx) / 1000;
                next[k + c] += s * wy * (1000 - wx) / 1000;
                current[k + 3 + c] += s * (1000 - wy) * wx / 1000;
                next[k + 3 + c] = s * wy * wx / 1000;
            }
            writeColumn(out, k);
            k += 3;
            xLimit += xScale;
        }
        if (k < lastColumn) writeColumn(out, k);
        std::swap(current, next);
        std::fill_n(next.begin(), 3, 0);
        yLimit += yScale;
        ++rowsWritten;
    }
    if (rowsWritten < newHeight && !info.escape) {
        std::uint8_t* out = result.info.pixels + std::size_t(rowsWritten) * result.info.rowStride;
        for (std::size_t k = 0; k < lastColumn; k += 3) writeColumn(out, k);
    }
}
