// Draw and Stretch: output of a picture into a RasterDC.
#include "Picture.h"
#include "RasterDC.h"

#include <algorithm>
#include <cmath>
#include <vector>

bool Picture::Stretch(RasterDC* dc, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    if (!dib || !dc) return false;
    dc->StretchDIBits(x, y, width, height, dib, info.pixels);
    return true;
}

bool Picture::Draw(RasterDC* dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const DcRect* clip)
{
    if (!dib || !dc || w == 0 || h == 0 || !info.enabled) return false;
    if (w < 0) w = header.width;
    if (h < 0) h = header.height;

    const DcRect savedClip = dc->GetClipBox();
    if (clip) dc->IntersectClipRect(*clip);

    const bool blend = HasTransparency();
    const bool ownSize = w == header.width && h == header.height;
    if (!blend && ownSize) {
        dc->SetDIBitsToDevice(x, y, dib, info.pixels);
    } else {
        DrawVisible(*dc, x, y, w, h, blend);
    }

    if (clip) dc->SetClipBox(savedClip);
    return true;
}

// The part of (x, y, w, h) inside the clip box, pixel by pixel: each device pixel takes the
// nearest source pixel (single-precision scale factors) and, when blending, is mixed with
// what lies under it.
void Picture::DrawVisible(RasterDC& dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool blend)
{
    const DcRect target{x, y, std::int32_t(std::min<std::int64_t>(std::int64_t(x) + w, INT32_MAX)),
                        std::int32_t(std::min<std::int64_t>(std::int64_t(y) + h, INT32_MAX))};
    const DcRect visible = target.Intersect(dc.GetClipBox());
    if (visible.IsEmpty()) return;
    const bool ownSize = w == header.width && h == header.height;
    const float xScale = float(header.width) / float(w);
    const float yScale = float(header.height) / float(h);

    std::vector<std::int32_t> columns(static_cast<std::size_t>(visible.right - visible.left));
    for (std::int32_t px = visible.left; px < visible.right; ++px) {
        const std::int32_t dx = px - x;
        const auto sx = ownSize ? dx : std::int32_t(std::floor(float(dx) * xScale));
        columns[std::size_t(px - visible.left)] = std::clamp(sx, 0, header.width - 1);
    }

    std::vector<RgbQuad> screen = dc.ReadBack(visible);
    const RgbQuad transparent = GetTransparentColor();
    const bool useTransparent = info.transparentIndex != -1;
    const bool palette = header.colours != 0;
    std::size_t i = 0;
    for (std::int32_t py = visible.top; py < visible.bottom; ++py) {
        const std::int32_t dy = py - y;
        const auto fromTop = ownSize ? dy : std::int32_t(std::ceil(float(dy + 1) * yScale)) - 1;
        const std::int32_t sy = header.height - 1 - std::clamp(fromTop, 0, header.height - 1);
        for (std::int32_t px = visible.left; px < visible.right; ++px, ++i) {
            const std::int32_t sx = columns[std::size_t(px - visible.left)];
            const RgbQuad colour = InsideColour(sx, sy);
            if (!blend) {
                screen[i] = colour;
                continue;
            }
            unsigned a = alpha ? AlphaGet(sx, sy) : 255;
            a = (a * (info.alphaMax + 1u)) >> 8;
            if (palette && info.alphaPaletteEnabled) a = (a * (colour.reserved + 1u)) >> 8;
            // Palette colours compare with their reserved byte, true colour with it as 0.
            if (useTransparent && colour.Value() == transparent.Value()) continue;
            if (a == 0) continue;
            if (a == 255) {
                screen[i] = colour;
                continue;
            }
            RgbQuad& back = screen[i];
            back.blue = std::uint8_t((colour.blue * a + back.blue * (255 - a)) >> 8);
            back.green = std::uint8_t((colour.green * a + back.green * (255 - a)) >> 8);
            back.red = std::uint8_t((colour.red * a + back.red * (255 - a)) >> 8);
        }
    }
    dc.WriteBack(visible, screen);
}
