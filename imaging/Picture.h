// The in-memory image: a packed device-independent bitmap (40-byte header, palette, bottom-up
// rows) with an information block and optional alpha and selection planes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the DIB block is kept in file byte order, which is little-endian");

class ByteStream;
class PaletteSearch;
class RasterDC;
struct DcRect;
// File and codec numbers; stored as a u32 in PictureInfo::format.
enum class ImageFormat : std::uint32_t {
    Unknown = 0,
    Bmp = 1,
    Gif = 2,
    Jpg = 3,
    Png = 4,
    Ico = 5,
    Tif = 6,
    Tga = 7,
    Pcx = 8,
    Wbmp = 9,
    Wmf = 10,
};

class Picture;
struct PictureDispatch;

// Palette entry and true-colour pixel in memory order: blue, green, red, reserved (or alpha).
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;

    std::uint32_t Value() const
    {
        return blue | (green << 8) | (red << 16) | (std::uint32_t(reserved) << 24);
    }
    static RgbQuad FromValue(std::uint32_t v)
    {
        return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
    }
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

// Window-system colour: red in the low byte.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return red | (green << 8) | (std::uint32_t(blue) << 16);
}

// Swaps red and blue, keeps the top byte.
RgbQuad RGBtoRGBQUAD(ColorRef colour);
ColorRef RGBQUADtoRGB(RgbQuad colour);

// BITMAPINFOHEADER layout; naturally 40 bytes with no padding.
struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colours = 0;
    std::uint32_t coloursImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct SelectionBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct PictureInfo {
    std::uint32_t rowStride = 0;
    std::uint8_t* pixels = nullptr;
    Picture* ghostOf = nullptr;
    ImageFormat format = ImageFormat::Unknown;
    char lastError[256] = {};
    std::int32_t progress = 0;
    std::int32_t escape = 0;
    std::int32_t transparentIndex = -1;
    RgbQuad transparentColor;
    std::uint8_t jpegQuality = 75;
    std::int32_t frame = 0;
    std::int32_t frameCount = 0;
    std::uint16_t frameDelay = 0;
    std::int32_t dpiX = 96;
    std::int32_t dpiY = 96;
    SelectionBox selectionBox;
    std::uint8_t alphaMax = 255;
    bool alphaPaletteEnabled = false;
    bool enabled = true;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    std::uint32_t codecOption = 0;
    RgbQuad nearestCacheColour;
    std::uint8_t nearestCacheIndex = 0;
    bool nearestCacheValid = false;
    std::int32_t layerCount = 0;
    // Set by a decoder that ran out of data or met damage after it had made the picture: the
    // rows it could not read are blank.
    bool partial = false;
    // A decode-size hint: the picture is only wanted to fill this box, so a codec that can
    // decode at a reduced size may deliver fewer pixels, never less than twice the box each way.
    // 0 asks for the full picture.
    std::int32_t decodeBoxWidth = 0;
    std::int32_t decodeBoxHeight = 0;
};

// An owned, zero-initialised byte block; stands for a movable global memory handle
// (what the clipboard takes). Empty means "no handle".
using ByteBlock = std::vector<std::uint8_t>;

// What the program hands over for a loaded bitmap resource. Rows are `stride` bytes apart,
// bottom-up unless `topDown`; 1/4/8-bit bitmaps carry `paletteSize` entries, 16-bit pixels are
// 5-5-5, 24-bit pixels blue-green-red, 32-bit pixels blue-green-red-unused.
struct BitmapDescription {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::int32_t stride = 0;
    bool topDown = false;
    const std::uint8_t* bits = nullptr;
    const RgbQuad* palette = nullptr;
    std::int32_t paletteSize = 0;
};

class Picture {
public:
    // Largest picture Create accepts by default. Anything larger is refused rather than attempted:
    // a hostile header must never cause a giant allocation. 2^28 pixels is a 16384 x 16384
    // photograph (768 MiB at 24 bits); the pixel rows themselves are also held below 1 GiB.
    static constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t(1) << 28;
    static constexpr std::uint64_t kMaxImageBytes = std::uint64_t(1) << 30;
    // The ceiling is a setting of the whole image layer: fuzzers and batch tools lower it.
    static std::uint64_t GetMaxPixels();
    static void SetMaxPixels(std::uint64_t pixels);
    // Whether width x height fits the ceiling; decoders ask before they allocate anything.
    static bool FitsCeiling(std::int64_t width, std::int64_t height);

    explicit Picture(ImageFormat format = ImageFormat::Unknown);
    Picture(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel,
            ImageFormat format = ImageFormat::Unknown);
    Picture(const Picture& source, bool copyPixels, bool copySelection = true, bool copyAlpha = true);
    Picture(const Picture& source);
    Picture(Picture&& source) noexcept;
    Picture& operator=(const Picture& source);
    Picture& operator=(Picture&& source) noexcept;
    virtual ~Picture();

    // Lifetime
    std::uint8_t* Create(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel,
                         ImageFormat format = ImageFormat::Unknown);
    void Destroy();
    void Copy(const Picture& source, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    void Transfer(Picture& source);
    void CopyInfo(const Picture& source);
    // Shares source's buffers without owning them (used by the encoder dispatch).
    void BorrowBuffers(Picture& source);

    // Queries
    std::int32_t GetWidth() const { return header.width; }
    std::int32_t GetHeight() const { return header.height; }
    std::uint32_t GetBpp() const { return header.bitsPerPixel; }
    std::uint32_t GetNumColors() const { return header.colours; }
    std::uint32_t GetEffWidth() const { return info.rowStride; }
    ImageFormat GetType() const { return info.format; }
    const char* GetLastError() const { return info.lastError; }
    std::uint32_t GetSize() const;
    std::uint32_t GetPaletteSize() const { return 4 * header.colours; }
    std::uint8_t* GetBits() const { return info.pixels; }
    std::uint8_t* GetDib() const { return dib; }
    bool IsInside(std::int32_t x, std::int32_t y) const;
    bool IsValid() const { return dib != nullptr; }
    // True when the decoder could not read every row (a cut or damaged file).
    bool IsPartial() const { return info.partial; }
    void SetPartial(bool partial) { info.partial = partial; }
    int GetColorKind() const;
    RgbQuad GetTransparentColor() const;
    const BitmapInfoHeader& GetHeader() const { return header; }
    const PictureInfo& GetInfo() const { return info; }

    // Settings of the information block
    std::int32_t GetDpiX() const { return info.dpiX; }
    std::int32_t GetDpiY() const { return info.dpiY; }
    void SetDpiX(std::int32_t dpi);
    void SetDpiY(std::int32_t dpi);
    std::uint8_t GetJpegQuality() const { return info.jpegQuality; }
    void SetJpegQuality(std::uint8_t quality) { info.jpegQuality = quality; }
    std::int32_t GetFrame() const { return info.frame; }
    void SetFrame(std::int32_t frame) { info.frame = frame; }
    std::int32_t GetNumFrames() const { return info.frameCount; }
    std::uint16_t GetFrameDelay() const { return info.frameDelay; }
    void SetFrameDelay(std::uint16_t delay) { info.frameDelay = delay; }
    std::int32_t GetProgress() const { return info.progress; }
    std::int32_t GetEscape() const { return info.escape; }
    void SetEscape(std::int32_t escape) { info.escape = escape; }
    std::int32_t GetTransparentIndex() const { return info.transparentIndex; }
    void SetTransparentIndex(std::int32_t index) { info.transparentIndex = index; }
    void SetTransparentColor(RgbQuad colour) { info.transparentColor = colour; }
    std::uint32_t GetCodecOption() const { return info.codecOption; }
    void SetCodecOption(std::uint32_t option) { info.codecOption = option; }
    std::uint8_t GetAlphaMax() const { return info.alphaMax; }
    void SetAlphaMax(std::uint8_t alphaMax) { info.alphaMax = alphaMax; }
    bool IsAlphaPaletteEnabled() const { return info.alphaPaletteEnabled; }
    void SetAlphaPaletteEnabled(bool enabled) { info.alphaPaletteEnabled = enabled; }
    // Loads after this may come out smaller than the file's picture (see PictureInfo).
    void SetDecodeBox(std::int32_t width, std::int32_t height);
    bool IsEnabled() const { return info.enabled; }
    void SetEnabled(bool enabled) { info.enabled = enabled; }
    std::int32_t GetOffsetX() const { return info.offsetX; }
    std::int32_t GetOffsetY() const { return info.offsetY; }
    void SetOffset(std::int32_t x, std::int32_t y);
    const SelectionBox& GetSelectionBox() const { return info.selectionBox; }
    std::int32_t GetLayerCount() const { return info.layerCount; }
    Picture* GetLayer(std::int32_t index) const;

    // Palette
    RgbQuad* GetPalette() const;
    RgbQuad GetPaletteColor(std::uint32_t index) const;
    bool GetPaletteColor(std::uint32_t index, std::uint8_t& red, std::uint8_t& green,
                         std::uint8_t& blue) const;
    void SetPaletteEntry(std::uint32_t index, std::uint8_t red, std::uint8_t green,
                         std::uint8_t blue, std::uint8_t alpha = 0);
    void SetPaletteColor(std::uint32_t index, RgbQuad colour);
    void SetPalette(std::uint32_t count, const std::uint8_t* red, const std::uint8_t* green = nullptr,
                    const std::uint8_t* blue = nullptr);
    void SetPaletteFromTriples(const std::uint8_t* rgb, std::uint32_t count);
    void SetPaletteRaw(const RgbQuad* palette, std::uint32_t count);
    void SetGrayPalette();
    bool IsGrayScale() const;
    void SwapIndex(std::uint8_t a, std::uint8_t b);
    std::uint8_t GetNearestIndex(RgbQuad colour);

    // Pixels
    std::uint8_t GetPixelIndex(std::int32_t x, std::int32_t y) const;
    void SetPixelIndex(std::int32_t x, std::int32_t y, std::uint8_t index);
    RgbQuad GetPixelColor(std::int32_t x, std::int32_t y) const;
    void SetPixelColor(std::int32_t x, std::int32_t y, RgbQuad colour, bool setAlpha = false);
    void SetPixelColor(std::int32_t x, std::int32_t y, ColorRef colour);
    void Clear(std::uint8_t value = 0);
    void SwapRedBlue(std::uint8_t* buffer, std::uint32_t length) const;
    // Fills the 24-bit rows from 16- or 32-bit source pixels. The source may be the picture's
    // own pixel rows (in-place widening); sourceSize bounds what is read. Each channel follows
    // its own bit mask; 32-bit pixels without masks are blue, green, red, unused. False when the
    // source is too short or the depths do not fit.
    bool Expand16or32Bit(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t redMask,
                         std::uint32_t greenMask, std::uint32_t blueMask, std::uint32_t sourceBits);
    // The same for as many whole source rows, from the bottom row up, as sourceSize holds (a cut
    // file); the rows above keep their pixels. Returns the number of rows converted.
    std::int32_t ExpandMaskedRows(const std::uint8_t* source, std::size_t sourceSize, std::uint32_t redMask,
                                  std::uint32_t greenMask, std::uint32_t blueMask, std::uint32_t sourceBits);
    static int CompareLuminance(RgbQuad a, RgbQuad b);

    // Alpha and selection planes
    std::uint8_t* GetAlpha() const { return alpha; }
    bool AlphaCreate();
    void AlphaDelete();
    void AlphaClear(std::uint8_t value);
    void AlphaSet(std::int32_t x, std::int32_t y, std::uint8_t value);
    std::uint8_t AlphaGet(std::int32_t x, std::int32_t y) const;
    bool AlphaCopy(const Picture& source);
    void AlphaFlip();
    void AlphaMirror();
    bool AlphaPaletteHasAlpha() const;
    std::uint8_t* GetSelection() const { return selection; }
    void SelectionDelete();
    bool SelectionCopy(const Picture& source);

    // Resampling, depth conversion and transforms. Each builds its result in a temporary that
    // then replaces this picture (or fills the destination) in one step.
    bool Resample(std::int32_t newWidth, std::int32_t newHeight, int mode = 0, Picture* destination = nullptr);
    bool DecreaseBpp(std::uint32_t bitsPerPixel, bool errorDiffusion, const RgbQuad* palette = nullptr);
    bool IncreaseBpp(std::uint32_t bitsPerPixel);
    bool Flip();
    bool Mirror();
    bool RotateLeft(Picture* destination = nullptr);
    bool RotateRight(Picture* destination = nullptr);

    // Output to a device context. Draw blends with alpha, palette alpha and the transparent
    // index; a width or height below 0 stands for the picture's own. Stretch copies scaled.
    bool Draw(RasterDC* dc, std::int32_t x, std::int32_t y, std::int32_t width = -1, std::int32_t height = -1,
              const DcRect* clip = nullptr);
    bool Stretch(RasterDC* dc, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

    // Clipboard and bitmaps
    ByteBlock CopyToGlobalHandle() const;
    bool CreateFromBitmap(const BitmapDescription* bitmap);

    // Format dispatch: pick a codec by format (Unknown = try them all).
    bool Load(const std::string& path, ImageFormat format = ImageFormat::Unknown);
    bool Save(const std::string& path, ImageFormat format);
    bool Decode(std::FILE* file, ImageFormat format);
    bool Encode(std::FILE* file, ImageFormat format);
    bool Decode(ByteStream& stream, ImageFormat format);
    bool Encode(ByteStream& stream, ImageFormat format);

    // Keeps at most 255 characters.
    void SetLastError(const char* text);

protected:
    friend struct PictureDispatch;

    void ClearNearestCache() { info.nearestCacheValid = false; }
    std::uint64_t PlaneSize() const;
    std::uint8_t* PixelAddress(std::int32_t x, std::int32_t y) const;

    std::uint8_t* dib = nullptr;
    BitmapInfoHeader header;
    PictureInfo info;
    std::uint8_t* selection = nullptr;
    std::uint8_t* alpha = nullptr;
    Picture** layers = nullptr;

private:
    RgbQuad InsideColour(std::int32_t x, std::int32_t y) const;
    void StoreColour(std::int32_t x, std::int32_t y, RgbQuad colour);
    void ResampleNearest(Picture& result, PaletteSearch& nearest, float xScale, float yScale);
    void ResampleBilinear(Picture& result, PaletteSearch& nearest, float xScale, float yScale);
    void ResampleBSpline(Picture& result, PaletteSearch& nearest, float xScale, float yScale);
    void ResampleAreaAverage(Picture& result, float xScale, float yScale);
    bool Rotate(bool clockwise, Picture* destination);
    void DrawVisible(RasterDC& dc, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool blend);
    void MoveResult(Picture& result, Picture* destination);
    void ReleaseOwned();
    void Reset(ImageFormat format);
};
