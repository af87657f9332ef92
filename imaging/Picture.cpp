#include "Picture.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/mman.h>

RgbQuad RGBtoRGBQUAD(ColorRef colour)
{
    return RgbQuad::FromValue((colour & 0xFF00FF00u) | ((colour >> 16) & 0xFF) | ((colour & 0xFF) << 16));
}

ColorRef RGBQUADtoRGB(RgbQuad colour)
{
    return RGBtoRGBQUAD(colour.Value()).Value();
}

namespace {

std::uint32_t RoundDepth(std::uint32_t bits)
{
    if (bits <= 1) return 1;
    if (bits <= 4) return 4;
    if (bits <= 8) return 8;
    return 24;
}

// Large blocks come from calloc as fresh zero pages that cost nothing until a row is written, so
// a tiny file that claims a huge picture stays cheap. Large pictures are filled row by row right
// after they are made: backing their aligned middle with huge pages where the system allows saves
// thousands of page faults per photograph.
std::uint8_t* AllocateCleared(std::size_t size)
{
    auto* block = static_cast<std::uint8_t*>(std::calloc(1, size));
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    if (!block || size < 4 * kHugePage) return block;
    const auto base = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t start = (base + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (base + size) & ~(kHugePage - 1);
    if (end > start) ::madvise(block + (start - base), end - start, MADV_HUGEPAGE);
    return block;
}

std::atomic<std::uint64_t> maxPixels{Picture::kDefaultMaxPixels};

// Saturates: a file may claim tens of millions of dots per inch, which no int32 holds in metres.
std::int32_t PelsPerMeter(std::int32_t dpi)
{
    const double pels = std::floor(dpi * 39.37007874015748 + 0.5);
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    return std::int32_t(std::clamp(pels, -kMax, kMax));
}

} // namespace

// ---- lifetime -------------------------------------------------------------------------------

std::uint64_t Picture::GetMaxPixels()
{
    return maxPixels.load(std::memory_order_relaxed);
}

void Picture::SetMaxPixels(std::uint64_t pixels)
{
    maxPixels.store(pixels, std::memory_order_relaxed);
}

bool Picture::FitsCeiling(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= std::int64_t(1) << 31 && height <= std::int64_t(1) << 31 &&
           std::uint64_t(width) * std::uint64_t(height) <= GetMaxPixels();
}

Picture::Picture(ImageFormat format)
{
    Reset(format);
}

Picture::Picture(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel, ImageFormat format)
{
    Reset(format);
    Create(width, height, bitsPerPixel, format);
}

Picture::Picture(const Picture& source, bool copyPixels, bool copySelection, bool copyAlpha)
{
    Reset(source.info.format);
    Copy(source, copyPixels, copySelection, copyAlpha);
}

Picture::Picture(const Picture& source) : Picture(source, true, true, true) {}

Picture::Picture(Picture&& source) noexcept
{
    Reset(source.info.format);
    Transfer(source);
}

Picture& Picture::operator=(const Picture& source)
{
    if (&source != this) Copy(source, true, true, true);
    return *this;
}

Picture& Picture::operator=(Picture&& source) noexcept
{
    Transfer(source);
    return *this;
}

Picture::~Picture()
{
    Destroy();
}

void Picture::Reset(ImageFormat format)
{
    header = BitmapInfoHeader{};
    info = PictureInfo{};
    info.format = format;
    dib = nullptr;
    selection = nullptr;
    alpha = nullptr;
    layers = nullptr;
    SetDpiX(96);
    SetDpiY(96);
}

void Picture::ReleaseOwned()
{
    for (std::int32_t i = 0; layers && i < info.layerCount; ++i) delete layers[i];
    std::free(layers);
    std::free(selection);
    std::free(alpha);
    std::free(dib);
    layers = nullptr;
    selection = nullptr;
    alpha = nullptr;
    dib = nullptr;
    info.pixels = nullptr;
    info.layerCount = 0;
}

void Picture::Destroy()
{
    if (info.ghostOf) return;
    ReleaseOwned();
}

std::uint8_t* Picture::Create(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel,
                              ImageFormat format)
{
    Destroy();
    // A borrowing object that builds its own image must own what it builds.
    if (info.ghostOf) {
        info.ghostOf = nullptr;
        dib = nullptr;
        selection = nullptr;
        alpha = nullptr;
        layers = nullptr;
        info.pixels = nullptr;
        info.layerCount = 0;
    }

    const std::uint32_t bits = RoundDepth(bitsPerPixel);
    if (width <= 0 || height <= 0) {
        SetLastError("Create: invalid image size");
        return nullptr;
    }
    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    const std::uint64_t imageBytes = stride * std::uint64_t(height);
    if (!FitsCeiling(width, height) || imageBytes > kMaxImageBytes) {
        SetLastError("Create: image too large");
        return nullptr;
    }

    const std::uint32_t colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    header.size = 40;
    header.width = width;
    header.height = height;
    header.planes = 1;
    header.bitsPerPixel = std::uint16_t(bits);
    header.compression = 0;
    header.imageSize = std::uint32_t(imageBytes);
    header.colours = colours;
    header.coloursImportant = 0;
    // Keep the header's resolution in step with the info block (Copy and CopyInfo bring dpi).
    header.xPelsPerMeter = PelsPerMeter(info.dpiX);
    header.yPelsPerMeter = PelsPerMeter(info.dpiY);
    info.rowStride = std::uint32_t(stride);
    info.format = format;
    info.nearestCacheValid = false;
    info.partial = false;

    // Cleared, so that a short or hostile file never shows stale memory.
    dib = AllocateCleared(GetSize());
    if (!dib) {
        info.pixels = nullptr;
        return nullptr;
    }
    std::memcpy(dib, &header, sizeof header);
    info.pixels = dib + 40 + 4 * std::size_t(colours);
    return dib;
}

void Picture::Copy(const Picture& source, bool copyPixels, bool copySelection, bool copyAlpha)
{
    if (&source == this) return;
    // Release our own buffers under our own ownership rules before taking the source's info.
    Destroy();
    PictureInfo copied = source.info;
    copied.pixels = nullptr;
    copied.ghostOf = nullptr;
    copied.layerCount = 0;
    info = copied;
    dib = nullptr;
    selection = nullptr;
    alpha = nullptr;
    layers = nullptr;
    SetDpiX(info.dpiX);
    SetDpiY(info.dpiY);
    if (!source.dib) return;

    if (!Create(source.header.width, source.header.height, source.header.bitsPerPixel, source.info.format))
        return;
    if (copyPixels) {
        std::memcpy(dib, source.dib, GetSize());
    } else {
        SetPaletteRaw(source.GetPalette(), 256);
    }
    const std::uint64_t plane = PlaneSize();
    if (copySelection && source.selection) {
        selection = static_cast<std::uint8_t*>(std::malloc(plane));
        if (selection) std::memcpy(selection, source.selection, plane);
    }
    if (copyAlpha && source.alpha) {
        alpha = static_cast<std::uint8_t*>(std::malloc(plane));
        if (alpha) std::memcpy(alpha, source.alpha, plane);
    }
}

void Picture::Transfer(Picture& source)
{
    if (&source == this) return;
    Destroy();
    header = source.header;
    info = source.info;
    dib = source.dib;
    selection = source.selection;
    alpha = source.alpha;
    layers = source.layers;

    // The source is left as a new picture would be (transparent index -1, quality 75, 96 dpi),
    // so that reusing a moved-from picture never carries odd settings into a save.
    source.Reset(source.info.format);
}

void Picture::CopyInfo(const Picture& source)
{
    if (dib || &source == this) return;
    const bool ownGhost = info.ghostOf != nullptr;
    Picture* ghost = info.ghostOf;
    info = source.info;
    info.pixels = nullptr;
    info.ghostOf = ownGhost ? ghost : nullptr;
    info.layerCount = 0;
    SetDpiX(info.dpiX);
    SetDpiY(info.dpiY);
}

void Picture::BorrowBuffers(Picture& source)
{
    if (&source == this) return;
    Destroy();
    header = source.header;
    info = source.info;
    dib = source.dib;
    selection = source.selection;
    alpha = source.alpha;
    layers = source.layers;
    info.ghostOf = &source;
}

void Picture::SetLastError(const char* text)
{
    std::snprintf(info.lastError, sizeof info.lastError, "%s", text ? text : "");
}

// ---- queries --------------------------------------------------------------------------------

std::uint32_t Picture::GetSize() const
{
    return 40 + 4 * header.colours + header.imageSize;
}

std::uint64_t Picture::PlaneSize() const
{
    return std::uint64_t(std::max(header.width, 0)) * std::uint64_t(std::max(header.height, 0));
}

bool Picture::IsInside(std::int32_t x, std::int32_t y) const
{
    return x >= 0 && x < header.width && y >= 0 && y < header.height;
}

int Picture::GetColorKind() const
{
    if (alpha) return 4;
    return header.bitsPerPixel <= 8 ? 1 : 2;
}

RgbQuad Picture::GetTransparentColor() const
{
    if (header.bitsPerPixel < 24 && info.transparentIndex != -1)
        return GetPaletteColor(std::uint32_t(info.transparentIndex));
    return info.transparentColor;
}

void Picture::SetDpiX(std::int32_t dpi)
{
    info.dpiX = dpi;
    header.xPelsPerMeter = PelsPerMeter(dpi);
}

void Picture::SetDpiY(std::int32_t dpi)
{
    info.dpiY = dpi;
    header.yPelsPerMeter = PelsPerMeter(dpi);
}

void Picture::SetOffset(std::int32_t x, std::int32_t y)
{
    info.offsetX = x;
    info.offsetY = y;
}

void Picture::SetDecodeBox(std::int32_t width, std::int32_t height)
{
    const bool valid = width > 0 && height > 0;
    info.decodeBoxWidth = valid ? width : 0;
    info.decodeBoxHeight = valid ? height : 0;
}

Picture* Picture::GetLayer(std::int32_t index) const
{
    if (!layers || index < 0 || index >= info.layerCount) return nullptr;
    return layers[index];
}

// ---- palette --------------------------------------------------------------------------------

RgbQuad* Picture::GetPalette() const
{
    if (!dib || header.colours == 0) return nullptr;
    return reinterpret_cast<RgbQuad*>(dib + 40);
}

RgbQuad Picture::GetPaletteColor(std::uint32_t index) const
{
    RgbQuad* palette = GetPalette();
    index %= 256;
    if (!palette || index >= header.colours) return RgbQuad{};
    return palette[index];
}

bool Picture::GetPaletteColor(std::uint32_t index, std::uint8_t& red, std::uint8_t& green,
                              std::uint8_t& blue) const
{
    RgbQuad* palette = GetPalette();
    index %= 256;
    if (!palette || index >= header.colours) return false;
    red = palette[index].red;
    green = palette[index].green;
    blue = palette[index].blue;
    return true;
}

void Picture::SetPaletteEntry(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                              std::uint8_t blue, std::uint8_t alphaValue)
{
    SetPaletteColor(index, RgbQuad{blue, green, red, alphaValue});
}

void Picture::SetPaletteColor(std::uint32_t index, RgbQuad colour)
{
    RgbQuad* palette = GetPalette();
    index %= 256;
    if (!palette || index >= header.colours) return;
    palette[index] = colour;
    ClearNearestCache();
}

void Picture::SetPalette(std::uint32_t count, const std::uint8_t* red, const std::uint8_t* green,
                         const std::uint8_t* blue)
{
    RgbQuad* palette = GetPalette();
    if (!palette || !red) return;
    if (!green) green = red;
    if (!blue) blue = green;
    const std::uint32_t n = std::min(count, header.colours);
    for (std::uint32_t i = 0; i < n; ++i) {
        palette[i].red = red[i];
        palette[i].green = green[i];
        palette[i].blue = blue[i];
    }
    ClearNearestCache();
}

void Picture::SetPaletteFromTriples(const std::uint8_t* rgb, std::uint32_t count)
{
    RgbQuad* palette = GetPalette();
    if (!palette || !rgb) return;
    const std::uint32_t n = std::min(count, header.colours);
    for (std::uint32_t i = 0; i < n; ++i) {
        palette[i].red = rgb[3 * std::size_t(i)];
        palette[i].green = rgb[3 * i + 1];
        palette[i].blue = rgb[3 * i + 2];
    }
    ClearNearestCache();
}

void Picture::SetPaletteRaw(const RgbQuad* source, std::uint32_t count)
{
    RgbQuad* palette = GetPalette();
    if (!palette || !source) return;
    std::memmove(palette, source, 4 * std::size_t(std::min(count, header.colours)));
    ClearNearestCache();
}

void Picture::SetGrayPalette()
{
    RgbQuad* palette = GetPalette();
    if (!palette || header.colours < 2) return;
    const std::uint32_t step = 255 / (header.colours - 1);
    for (std::uint32_t i = 0; i < header.colours; ++i) {
        const auto v = std::uint8_t(i * step);
        palette[i].red = palette[i].green = palette[i].blue = v;
    }
    ClearNearestCache();
}

bool Picture::IsGrayScale() const
{
    RgbQuad* palette = GetPalette();
    if (!palette) return false;
    for (std::uint32_t i = 0; i < header.colours; ++i) {
        if (palette[i].red != i || palette[i].green != i || palette[i].blue != i) return false;
    }
    return true;
}

void Picture::SwapIndex(std::uint8_t a, std::uint8_t b)
{
    RgbQuad* palette = GetPalette();
    if (!palette || a >= header.colours || b >= header.colours) return;
    std::swap(palette[a], palette[b]);
    ClearNearestCache();
    for (std::int32_t y = 0; y < header.height; ++y) {
        for (std::int32_t x = 0; x < header.width; ++x) {
            const std::uint8_t index = GetPixelIndex(x, y);
            if (index == a) SetPixelIndex(x, y, b);
            else if (index == b) SetPixelIndex(x, y, a);
        }
    }
}

std::uint8_t Picture::GetNearestIndex(RgbQuad colour)
{
    RgbQuad* palette = GetPalette();
    if (!palette) return 0;
    if (info.nearestCacheValid && info.nearestCacheColour.Value() == colour.Value())
        return info.nearestCacheIndex;

    long best = 200000;
    std::uint32_t bestIndex = 0;
    for (std::uint32_t i = 0; i < header.colours; ++i) {
        const long dr = long(palette[i].red) - colour.red;
        const long dg = long(palette[i].green) - colour.green;
        const long db = long(palette[i].blue) - colour.blue;
        const long distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            bestIndex = i;
            if (distance == 0) break;
        }
    }
    info.nearestCacheColour = colour;
    info.nearestCacheIndex = std::uint8_t(bestIndex);
    info.nearestCacheValid = true;
    return std::uint8_t(bestIndex);
}

// ---- pixels ---------------------------------------------------------------------------------

std::uint8_t* Picture::PixelAddress(std::int32_t x, std::int32_t y) const
{
    return info.pixels + std::size_t(y) * info.rowStride + (std::size_t(x) * header.bitsPerPixel) / 8;
}

std::uint8_t Picture::GetPixelIndex(std::int32_t x, std::int32_t y) const
{
    if (!dib || header.bitsPerPixel == 24) return 0;
    if (!IsInside(x, y)) return info.transparentIndex != -1 ? std::uint8_t(info.transparentIndex) : 0;
    const std::uint8_t byte = *PixelAddress(x, y);
    switch (header.bitsPerPixel) {
    case 8:
        return byte;
    case 4:
        return (x & 1) ? (byte & 0x0F) : (byte >> 4);
    default:
        return (byte >> (7 - (x & 7))) & 1;
    }
}

void Picture::SetPixelIndex(std::int32_t x, std::int32_t y, std::uint8_t index)
{
    if (!dib || header.bitsPerPixel == 24 || !IsInside(x, y)) return;
    std::uint8_t& byte = *PixelAddress(x, y);
    switch (header.bitsPerPixel) {
    case 8:
        byte = index;
        break;
    case 4:
        if (x & 1) byte = std::uint8_t((byte & 0xF0) | (index & 0x0F));
        else byte = std::uint8_t((byte & 0x0F) | (index << 4));
        break;
    default: {
        const std::uint8_t mask = std::uint8_t(0x80 >> (x & 7));
        byte = (index & 1) ? (byte | mask) : (byte & ~mask);
    }
    }
}

RgbQuad Picture::GetPixelColor(std::int32_t x, std::int32_t y) const
{
    if (!dib || !IsInside(x, y)) {
        if (info.transparentIndex != -1) {
            if (header.bitsPerPixel < 24) return GetPaletteColor(std::uint32_t(info.transparentIndex));
            return info.transparentColor;
        }
        if (dib) return GetPixelColor(0, 0);
        return info.transparentColor;
    }
    RgbQuad colour;
    if (header.colours) {
        colour = GetPaletteColor(GetPixelIndex(x, y));
    } else {
        const std::uint8_t* p = PixelAddress(x, y);
        colour = RgbQuad{p[0], p[1], p[2], info.transparentColor.reserved};
    }
    if (alpha) colour.reserved = AlphaGet(x, y);
    return colour;
}

void Picture::SetPixelColor(std::int32_t x, std::int32_t y, RgbQuad colour, bool setAlpha)
{
    if (!dib || !IsInside(x, y)) return;
    if (header.colours) {
        SetPixelIndex(x, y, GetNearestIndex(colour));
    } else {
        std::uint8_t* p = PixelAddress(x, y);
        p[0] = colour.blue;
        p[1] = colour.green;
        p[2] = colour.red;
    }
    if (setAlpha) AlphaSet(x, y, colour.reserved);
}

void Picture::SetPixelColor(std::int32_t x, std::int32_t y, ColorRef colour)
{
    SetPixelColor(x, y, RGBtoRGBQUAD(colour), false);
}

void Picture::Clear(std::uint8_t value)
{
    if (dib && info.pixels) std::memset(info.pixels, value, header.imageSize);
}

void Picture::SwapRedBlue(std::uint8_t* buffer, std::uint32_t length) const
{
    if (!buffer || header.colours) return;
    const std::uint32_t limit = std::min(length, info.rowStride);
    // Only whole triples: a trailing partial group would reach past the buffer.
    for (std::uint32_t i = 0; i + 3 <= limit; i += 3) std::swap(buffer[i], buffer[i + 2]);
}

namespace {

// One colour channel of a bit-field pixel: where its bits lie and how wide they are.
struct MaskChannel {
    int shift = 0;
    int width = 0;

    explicit MaskChannel(std::uint32_t mask)
    {
        if (!mask) return;
        shift = std::countr_zero(mask);
        width = int(std::bit_width(mask >> shift));
    }
    // The channel's value scaled to a byte: high bits kept, missing low bits zero (5 bits * 8).
    std::uint8_t Extract(std::uint32_t pixel, std::uint32_t mask) const
    {
        const std::uint32_t v = (pixel & mask) >> shift;
        if (width >= 8) return std::uint8_t(v >> (width - 8));
        return std::uint8_t(v << (8 - width));
    }
};

} // namespace

bool Picture::Expand16or32Bit(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t redMask,
                              std::uint32_t greenMask, std::uint32_t blueMask, std::uint32_t sourceBits)
{
    if (!dib || header.bitsPerPixel != 24 || (sourceBits != 16 && sourceBits != 32)) return false;
    const std::size_t width = std::size_t(header.width);
    const std::size_t sourceStride = sourceBits == 16 ? ((width + 1) / 2) * 4 : width * 4;
    if (sourceSize < sourceStride * std::size_t(header.height)) return false;
    return ExpandMaskedRows(source, sourceSize, redMask, greenMask, blueMask, sourceBits) == header.height;
}

std::int32_t Picture::ExpandMaskedRows(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t redMask,
                                       std::uint32_t greenMask, std::uint32_t blueMask, std::uint32_t sourceBits)
{
    if (!dib || !source || header.bitsPerPixel != 24 || (sourceBits != 16 && sourceBits != 32)) return 0;
    const std::size_t width = std::size_t(header.width);
    const std::size_t bytesPerPixel = sourceBits / 8;
    const std::size_t sourceStride = sourceBits == 16 ? ((width + 1) / 2) * 4 : width * 4;
    const std::size_t height = std::min(std::size_t(header.height), sourceSize / sourceStride);
    if (sourceBits == 16) {
        redMask &= 0xFFFF;
        greenMask &= 0xFFFF;
        blueMask &= 0xFFFF;
    } else if (!redMask && !greenMask && !blueMask) {
        redMask = 0xFF0000;
        greenMask = 0x00FF00;
        blueMask = 0x0000FF;
    }
    // Each channel is placed by its own mask, so any bit-field layout converts correctly.
    const MaskChannel red(redMask), green(greenMask), blue(blueMask);
    // Last row and pixel first: the source may be our own pixel rows, widened in place.
    for (std::size_t y = height; y-- > 0;) {
        const std::uint8_t* src = source + y * sourceStride;
        std::uint8_t* dst = info.pixels + y * info.rowStride;
        for (std::size_t x = width; x-- > 0;) {
            const std::uint8_t* p = src + bytesPerPixel * x;
            std::uint32_t w = p[0] | (p[1] << 8);
            if (bytesPerPixel == 4) w |= (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
            const std::uint8_t b = blue.Extract(w, blueMask);
            const std::uint8_t g = green.Extract(w, greenMask);
            const std::uint8_t r = red.Extract(w, redMask);
            dst[3 * x] = b;
            dst[3 * x + 1] = g;
            dst[3 * x + 2] = r;
        }
    }
    return std::int32_t(height);
}

int Picture::CompareLuminance(RgbQuad a, RgbQuad b)
{
    auto luminance = [](RgbQuad c) { return (601 * c.green + 306 * c.red + 117 * c.blue) >> 10; };
    return luminance(a) - luminance(b);
}

// ---- alpha and selection --------------------------------------------------------------------

bool Picture::AlphaCreate()
{
    AlphaDelete();
    const std::uint64_t plane = PlaneSize();
    if (plane == 0) return false;
    alpha = static_cast<std::uint8_t*>(std::calloc(1, plane));
    return alpha != nullptr;
}

void Picture::AlphaDelete()
{
    std::free(alpha);
    alpha = nullptr;
}

void Picture::AlphaClear(std::uint8_t value)
{
    if (alpha) std::memset(alpha, value, PlaneSize());
}

void Picture::AlphaSet(std::int32_t x, std::int32_t y, std::uint8_t value)
{
    if (alpha && IsInside(x, y)) alpha[std::size_t(y) * header.width + x] = value;
}

std::uint8_t Picture::AlphaGet(std::int32_t x, std::int32_t y) const
{
    if (alpha && IsInside(x, y)) return alpha[std::size_t(y) * header.width + x];
    return 0;
}

bool Picture::AlphaCopy(const Picture& source)
{
    if (!source.alpha || source.header.width != header.width || source.header.height != header.height)
        return false;
    if (&source == this) return true;
    const std::uint64_t plane = PlaneSize();
    if (!alpha) alpha = static_cast<std::uint8_t*>(std::malloc(plane));
    if (!alpha) return false;
    std::memcpy(alpha, source.alpha, plane);
    info.alphaMax = source.info.alphaMax;
    return true;
}

void Picture::AlphaFlip()
{
    if (!alpha) return;
    const std::size_t width = std::size_t(header.width);
    for (std::int32_t top = 0, bottom = header.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(alpha + top * width, alpha + (top + 1) * width, alpha + bottom * width);
}

void Picture::AlphaMirror()
{
    if (!alpha) return;
    const std::size_t width = std::size_t(header.width);
    for (std::int32_t y = 0; y < header.height; ++y) std::reverse(alpha + y * width, alpha + (y + 1) * width);
}

bool Picture::AlphaPaletteHasAlpha() const
{
    RgbQuad* palette = GetPalette();
    if (!palette) return false;
    for (std::uint32_t i = 0; i < header.colours; ++i)
        if (palette[i].reserved) return true;
    return false;
}

void Picture::SelectionDelete()
{
    std::free(selection);
    selection = nullptr;
    info.selectionBox = SelectionBox{header.width, 0, 0, header.height};
}

bool Picture::SelectionCopy(const Picture& source)
{
    if (!source.selection || source.header.width != header.width || source.header.height != header.height)
        return false;
    if (&source == this) return true;
    const std::uint64_t plane = PlaneSize();
    if (!selection) selection = static_cast<std::uint8_t*>(std::malloc(plane));
    if (!selection) return false;
    std::memcpy(selection, source.selection, plane);
    info.selectionBox = source.info.selectionBox;
    return true;
}

// ---- clipboard and bitmaps ------------------------------------------------------------------

ByteBlock Picture::CopyToGlobalHandle() const
{
    if (!dib) return {};
    return ByteBlock(dib, dib + GetSize());
}

bool Picture::CreateFromBitmap(const BitmapDescription* bitmap)
{
    Destroy();
    if (!bitmap) return false;
    if (!Create(bitmap->width, bitmap->height, std::uint32_t(std::max(bitmap->bitsPerPixel, 0)),
                ImageFormat::Unknown))
        return false;

    const std::int32_t bits = bitmap->bitsPerPixel;
    const std::uint64_t neededStride = (std::uint64_t(bitmap->width) * std::uint64_t(std::max(bits, 0)) + 7) / 8;
    const bool known = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!bitmap->bits || !known || bitmap->stride <= 0 || std::uint64_t(bitmap->stride) < neededStride) {
        SetLastError("GetDIBits failed");
        return false;
    }
    if (bits <= 8) {
        if (bitmap->palette && bitmap->paletteSize > 0)
            SetPaletteRaw(bitmap->palette, std::uint32_t(bitmap->paletteSize));
        else
            SetGrayPalette();
    }
    for (std::int32_t y = 0; y < header.height; ++y) {
        const std::int32_t sourceRow = bitmap->topDown ? header.height - 1 - y : y;
        const std::uint8_t* src = bitmap->bits + std::size_t(sourceRow) * std::size_t(bitmap->stride);
        std::uint8_t* dst = info.pixels + std::size_t(y) * info.rowStride;
        if (bits <= 8) {
            std::memcpy(dst, src, std::size_t(neededStride));
            continue;
        }
        for (std::int32_t x = 0; x < header.width; ++x) {
            std::uint8_t* out = dst + 3 * std::size_t(x);
            if (bits == 16) {
                const std::uint32_t w = src[2 * std::size_t(x)] | (src[2 * std::size_t(x) + 1] << 8);
                out[0] = std::uint8_t((w & 0x1F) << 3);
                out[1] = std::uint8_t((w >> 2) & 0xF8);
                out[2] = std::uint8_t((w >> 7) & 0xF8);
            } else {
                const std::uint8_t* in = src + std::size_t(x) * std::size_t(bits / 8);
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }
    }
    return true;
}
