// Software device context: what pictures are drawn into. A 32-bit buffer of blue, green, red,
// unused bytes (rows top first) with a clip box; device-independent bitmaps are the packed
// blocks a Picture holds (40-byte header, palette, bottom-up rows).
#pragma once

#include "Picture.h"

#include <cstdint>
#include <vector>

// Device rectangle; right and bottom are exclusive.
struct DcRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    DcRect Intersect(const DcRect& other) const;
    friend bool operator==(const DcRect&, const DcRect&) = default;
};

class RasterDC {
public:
    // Returned by GetPixel outside the buffer.
    static constexpr ColorRef kInvalidColour = 0xFFFFFFFF;

    // Draws into caller memory: `height` rows of `stride` bytes.
    RasterDC(std::uint8_t* bits, std::int32_t width, std::int32_t height, std::int32_t stride);
    // Draws into a black buffer of its own.
    RasterDC(std::int32_t width, std::int32_t height);
    RasterDC(const RasterDC&) = delete;
    RasterDC& operator=(const RasterDC&) = delete;

    std::int32_t GetWidth() const { return width; }
    std::int32_t GetHeight() const { return height; }
    std::int32_t GetStride() const { return stride; }
    std::uint8_t* GetBits() const { return bits; }

    DcRect GetClipBox() const { return clip; }
    // Both keep the clip box inside the buffer.
    void SetClipBox(const DcRect& box);
    void IntersectClipRect(const DcRect& rect);

    ColorRef GetPixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, ColorRef colour);
    void FillRect(const DcRect& rect, ColorRef colour);
    // One pixel wide; like a pen line, the end point itself is not drawn.
    void Line(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, ColorRef colour);

    // The whole bitmap unscaled with its top-left corner at (x, y). False for a block that is
    // not a bitmap of 1, 4, 8, 24 or 32 bits.
    bool SetDIBitsToDevice(std::int32_t x, std::int32_t y, const std::uint8_t* dib, const std::uint8_t* pixels);
    // The whole bitmap scaled into (x, y, w, h), each device pixel taking the nearest source
    // pixel: shrinking drops rows and columns rather than blending them.
    bool StretchDIBits(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const std::uint8_t* dib,
                       const std::uint8_t* pixels);

    // What lies under the rectangle within the clip box, rows top first; WriteBack puts such a
    // block back.
    std::vector<RgbQuad> ReadBack(const DcRect& rect) const;
    void WriteBack(const DcRect& rect, const std::vector<RgbQuad>& pixels);

private:
    std::uint8_t* Address(std::int32_t x, std::int32_t y) const
    {
        return bits + std::size_t(y) * std::size_t(stride) + 4 * std::size_t(x);
    }
    void Put(std::int32_t x, std::int32_t y, RgbQuad colour);

    std::vector<std::uint8_t> owned;
    std::uint8_t* bits;
    std::int32_t width;
    std::int32_t height;
    std::int32_t stride;
    DcRect clip;
};
