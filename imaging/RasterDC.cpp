#include "RasterDC.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A packed bitmap as the drawing code reads it.
class DibReader {
public:
    DibReader(const std::uint8_t* dib, const std::uint8_t* pixels)
    {
        if (!dib || !pixels) return;
        BitmapInfoHeader h;
        std::memcpy(&h, dib, sizeof h);
        const std::uint32_t bpp = h.bitsPerPixel;
        if (h.size < 40 || h.width <= 0 || h.height == 0 || h.height == INT32_MIN ||
            (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32))
            return;
        width = h.width;
        height = std::abs(h.height);
        topDown = h.height < 0;
        bitsPerPixel = bpp;
        colours = bpp <= 8 ? (h.colours ? std::min<std::uint32_t>(h.colours, 256) : 1u << bpp) : 0;
        palette = reinterpret_cast<const RgbQuad*>(dib + h.size);
        rows = pixels;
        stride = ((std::size_t(width) * bpp + 31) / 32) * 4;
    }

    bool IsValid() const { return rows != nullptr; }
    std::int32_t Width() const { return width; }
    std::int32_t Height() const { return height; }

    // Pixel (x, row) with rows counted from the top as shown.
    RgbQuad Pixel(std::int32_t x, std::int32_t rowFromTop) const
    {
        const std::int32_t stored = topDown ? rowFromTop : height - 1 - rowFromTop;
        const std::uint8_t* row = rows + std::size_t(stored) * stride;
        std::uint32_t index;
        switch (bitsPerPixel) {
        case 24:
            return RgbQuad{row[3 * std::size_t(x)], row[3 * std::size_t(x) + 1], row[3 * std::size_t(x) + 2], 0};
        case 32:
            return RgbQuad{row[4 * std::size_t(x)], row[4 * std::size_t(x) + 1], row[4 * std::size_t(x) + 2], 0};
        case 8:
            index = row[x];
            break;
        case 4:
            index = (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
            break;
        default:
            index = (row[x / 8] >> (7 - (x & 7))) & 1;
        }
        return index < colours ? palette[index] : RgbQuad{};
    }

private:
    const std::uint8_t* rows = nullptr;
    const RgbQuad* palette = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t colours = 0;
    std::size_t stride = 0;
};

RgbQuad FromColorRef(ColorRef colour)
{
    return RGBtoRGBQUAD(colour & 0xFFFFFF);
}

} // namespace

DcRect DcRect::Intersect(const DcRect& other) const
{
    DcRect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
             std::min(bottom, other.bottom)};
    return r.IsEmpty() ? DcRect{} : r;
}

RasterDC::RasterDC(std::uint8_t* buffer, std::int32_t columns, std::int32_t rows, std::int32_t rowBytes)
    : bits(buffer), width(std::max(columns, 0)), height(std::max(rows, 0)), stride(rowBytes)
{
    // A buffer whose rows cannot hold the width is drawn into nowhere.
    if (!bits || std::int64_t(stride) < 4 * std::int64_t(this->width)) this->width = this->height = 0;
    clip = DcRect{0, 0, this->width, this->height};
}

RasterDC::RasterDC(std::int32_t columns, std::int32_t rows)
    : owned(std::size_t(std::max(columns, 0)) * std::size_t(std::max(rows, 0)) * 4), bits(owned.data()),
      width(std::max(columns, 0)), height(std::max(rows, 0)), stride(4 * this->width), clip{0, 0, this->width, this->height}
{
    for (std::size_t i = 3; i < owned.size(); i += 4) owned[i] = 0xFF;
}

void RasterDC::SetClipBox(const DcRect& box)
{
    clip = box.Intersect(DcRect{0, 0, width, height});
}

void RasterDC::IntersectClipRect(const DcRect& rect)
{
    clip = clip.Intersect(rect);
}

void RasterDC::Put(std::int32_t x, std::int32_t y, RgbQuad colour)
{
    std::uint8_t* p = Address(x, y);
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
    p[3] = 0xFF;
}

ColorRef RasterDC::GetPixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return kInvalidColour;
    const std::uint8_t* p = Address(x, y);
    return MakeColorRef(p[2], p[1], p[0]);
}

void RasterDC::SetPixel(std::int32_t x, std::int32_t y, ColorRef colour)
{
    if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) Put(x, y, FromColorRef(colour));
}

void RasterDC::FillRect(const DcRect& rect, ColorRef colour)
{
    const DcRect r = rect.Intersect(clip);
    const RgbQuad c = FromColorRef(colour);
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x) Put(x, y, c);
}

void RasterDC::Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, ColorRef colour)
{
    const std::int64_t dx = std::abs(std::int64_t(x1) - x0);
    const std::int64_t dy = -std::abs(std::int64_t(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    std::int64_t error = dx + dy;
    std::int64_t x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            Put(std::int32_t(x), std::int32_t(y), FromColorRef(colour));
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

bool RasterDC::SetDIBitsToDevice(std::int32_t x, std::int32_t y, const std::uint8_t* dib, const std::uint8_t* pixels)
{
    const DibReader source(dib, pixels);
    if (!source.IsValid()) return false;
    const DcRect r = DcRect{x, y, std::int32_t(std::min<std::int64_t>(std::int64_t(x) + source.Width(), INT32_MAX)),
                            std::int32_t(std::min<std::int64_t>(std::int64_t(y) + source.Height(), INT32_MAX))}
                         .Intersect(clip);
    for (std::int32_t dy = r.top; dy < r.bottom; ++dy)
        for (std::int32_t dx = r.left; dx < r.right; ++dx) Put(dx, dy, source.Pixel(dx - x, dy - y));
    return true;
}

bool RasterDC::StretchDIBits(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const std::uint8_t* dib,
                             const std::uint8_t* pixels)
{
    const DibReader source(dib, pixels);
    if (!source.IsValid()) return false;
    if (w <= 0 || h <= 0) return true;
    const DcRect r = DcRect{x, y, std::int32_t(std::min<std::int64_t>(std::int64_t(x) + w, INT32_MAX)),
                            std::int32_t(std::min<std::int64_t>(std::int64_t(y) + h, INT32_MAX))}
                         .Intersect(clip);
    if (r.IsEmpty()) return true;
    std::vector<std::int32_t> columns(static_cast<std::size_t>(r.right - r.left));
    for (std::int32_t dx = r.left; dx < r.right; ++dx)
        columns[std::size_t(dx - r.left)] = std::int32_t((std::int64_t(dx) - x) * source.Width() / w);
    for (std::int32_t dy = r.top; dy < r.bottom; ++dy) {
        const auto row = std::int32_t((std::int64_t(dy) - y) * source.Height() / h);
        for (std::int32_t dx = r.left; dx < r.right; ++dx) Put(dx, dy, source.Pixel(columns[std::size_t(dx - r.left)], row));
    }
    return true;
}

std::vector<RgbQuad> RasterDC::ReadBack(const DcRect& rect) const
{
    const DcRect r = rect.Intersect(clip);
    std::vector<RgbQuad> out;
    out.reserve(std::size_t(r.right - r.left) * std::size_t(r.bottom - r.top));
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x) {
            const std::uint8_t* p = Address(x, y);
            out.push_back(RgbQuad{p[0], p[1], p[2], 0});
        }
    return out;
}

void RasterDC::WriteBack(const DcRect& rect, const std::vector<RgbQuad>& pixels)
{
    const DcRect r = rect.Intersect(clip);
    if (pixels.size() < std::size_t(r.right - r.left) * std::size_t(r.bottom - r.top)) return;
    std::size_t i = 0;
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x) Put(x, y, pixels[i++]);
}
