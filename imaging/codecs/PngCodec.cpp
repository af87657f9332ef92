#include "PngCodec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <png.h>

struct PngCodec::ReadState {
    png_structp png;
    png_infop info;
    ByteStream& stream;
    std::vector<std::uint8_t>& row;
};

struct PngCodec::WriteState {
    png_structp png;
    png_infop info;
    ByteStream& stream;
    const Picture& picture;
    std::vector<std::uint8_t>& row;
    std::array<png_color, 256> palette;
    std::array<png_byte, 256> alpha;
};

namespace {

constexpr std::uint8_t kDefaultBackground = 192;
// pHYs without a unit is only an aspect ratio; keep such values within what a resolution can be.
constexpr png_uint_32 kMaxDpi = 1000000;
// The most libpng may allocate at once is the file's size, but at least this: enough for the
// row buffers of the widest picture libpng accepts (1,000,000 pixels of 64 bits).
constexpr std::int64_t kAllocationFloor = std::int64_t(16) << 20;

// libpng allocates a chunk's stated length and clears it before reading: a few bytes claiming
// a 2 GB text chunk would cost 2 GB and seconds. Refused, the chunk is skipped or the read fails.
png_voidp LimitedMalloc(png_structp png, png_alloc_size_t size)
{
    const auto limit = *static_cast<const png_alloc_size_t*>(png_get_mem_ptr(png));
    return size <= limit ? std::malloc(size) : nullptr;
}

void Free(png_structp, png_voidp memory)
{
    std::free(memory);
}

void ReadData(png_structp png, png_bytep data, std::size_t length)
{
    auto* stream = static_cast<ByteStream*>(png_get_io_ptr(png));
    if (stream->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void WriteData(png_structp png, png_bytep data, std::size_t length)
{
    auto* stream = static_cast<ByteStream*>(png_get_io_ptr(png));
    if (stream->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void FlushData(png_structp png)
{
    if (!static_cast<ByteStream*>(png_get_io_ptr(png))->Flush()) png_error(png, "Flush Error");
}

// Copies libpng's message into the picture's lastError and jumps back into the decoder.
void OnError(png_structp png, png_const_charp message)
{
    std::snprintf(static_cast<char*>(png_get_error_ptr(png)), sizeof PictureInfo::lastError, "%s", message);
    png_longjmp(png, 1);
}

// 2-bit pixels of a row widened in place to 4-bit ones, from the last pixel back.
void WidenTwoBitRow(std::uint8_t* row, std::uint32_t width)
{
    for (std::uint32_t i = width; i-- > 0;) {
        const std::uint8_t value = (row[i / 4] >> (6 - 2 * (i % 4))) & 3;
        std::uint8_t& target = row[i / 2];
        target = i % 2 ? std::uint8_t((target & 0xF0) | value) : std::uint8_t((target & 0x0F) | value << 4);
    }
}

std::int32_t DpiFromMetres(png_uint_32 perMetre)
{
    return std::int32_t(std::floor(std::min(perMetre * 0.0254, double(kMaxDpi)) + 0.5));
}

} // namespace

bool PngCodec::Decode(ByteStream& in)
{
    auto allocationLimit = png_alloc_size_t(std::max<std::int64_t>(in.Remaining(), kAllocationFloor));
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr,
                                               &allocationLimit, LimitedMalloc, Free);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop pngInfo = png_create_info_struct(png);
    if (!pngInfo) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    std::vector<std::uint8_t> row;
    ReadState state{png, pngInfo, in, row};
    const bool ok = ReadImage(state);
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    if (!ok) Destroy();
    return ok;
}

bool PngCodec::ReadImage(ReadState& state)
{
    if (setjmp(png_jmpbuf(state.png))) return false;
    ReadPicture(state);
    return true;
}

void PngCodec::ReadPicture(ReadState& state)
{
    png_structp png = state.png;
    png_infop pngInfo = state.info;
    png_set_read_fn(png, &state.stream, ReadData);
    png_set_error_fn(png, info.lastError, OnError, nullptr);
    // Decompressed text and profiles stay within the same bound.
    png_set_chunk_malloc_max(png, *static_cast<const png_alloc_size_t*>(png_get_mem_ptr(png)));
    png_read_info(png, pngInfo);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, pngInfo, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
    const int pixelDepth = bitDepth * png_get_channels(png, pngInfo);

    png_color_16p fileBackground = nullptr;
    const bool hasBackground = png_get_bKGD(png, pngInfo, &fileBackground) != 0;
    if (pixelDepth == 32) {
        if (hasBackground) {
            // 16-bit samples keep their meaning in the high byte.
            const int shift = bitDepth == 16 ? 8 : 0;
            info.transparentColor = {std::uint8_t(fileBackground->blue >> shift), std::uint8_t(fileBackground->green >> shift),
                                     std::uint8_t(fileBackground->red >> shift), 0};
        }
    } else if (hasBackground) {
        png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
        png_color_16 grey{};
        grey.red = grey.green = grey.blue = kDefaultBackground;
        // libpng composites grey files with the grey field, in the file's own sample size.
        const int maxSample = (1 << std::min(bitDepth, 8)) - 1;
        grey.gray = std::uint16_t((kDefaultBackground * maxSample + 127) / 255);
        png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    if (bitDepth == 16) png_set_strip_16(png);

    const std::uint32_t depth = pixelDepth == 16 ? 8 : pixelDepth > 16 ? 24 : std::uint32_t(pixelDepth);
    if (!Create(std::int32_t(std::min<png_uint_32>(width, 0x7FFFFFFF)), std::int32_t(std::min<png_uint_32>(height, 0x7FFFFFFF)),
                depth, ImageFormat::Png)) {
        char reason[sizeof info.lastError];
        std::snprintf(reason, sizeof reason, "%s", info.lastError);
        png_error(png, reason);
    }

    png_uint_32 resolutionX = 0, resolutionY = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    png_get_pHYs(png, pngInfo, &resolutionX, &resolutionY, &unit);
    if (unit == PNG_RESOLUTION_UNKNOWN) {
        SetDpiX(std::int32_t(std::min(resolutionX, kMaxDpi)));
        SetDpiY(std::int32_t(std::min(resolutionY, kMaxDpi)));
    } else if (unit == PNG_RESOLUTION_METER) {
        SetDpiX(DpiFromMetres(resolutionX));
        SetDpiY(DpiFromMetres(resolutionY));
    }

    png_colorp fileColours = nullptr;
    int colourCount = 0;
    if (png_get_PLTE(png, pngInfo, &fileColours, &colourCount)) {
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(std::uint32_t(colourCount), GetNumColors()); ++i)
            SetPaletteEntry(i, fileColours[i].red, fileColours[i].green, fileColours[i].blue);
    } else if (bitDepth == 2) {
        for (std::uint8_t i = 0; i < 4; ++i) SetPaletteEntry(i, std::uint8_t(85 * i), std::uint8_t(85 * i), std::uint8_t(85 * i));
    } else {
        SetGrayPalette();
    }

    // Only palette files have per-entry alpha; other files' tRNS colour is composited by libpng.
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    RgbQuad* palette = GetPalette();
    if (palette && png_get_tRNS(png, pngInfo, &transAlpha, &transCount, nullptr) && transAlpha) {
        const std::uint32_t colours = GetNumColors();
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(std::uint32_t(transCount), colours); ++i)
            palette[i].reserved = transAlpha[i];
        if (transCount == 1 && transAlpha[0] == 0) {
            info.transparentIndex = 0;
        } else {
            info.alphaPaletteEnabled = true;
            for (std::uint32_t i = std::uint32_t(transCount); i < colours; ++i) palette[i].reserved = 255;
        }
    }

    const bool withAlpha = colourType == PNG_COLOR_TYPE_RGB_ALPHA || (colourType == PNG_COLOR_TYPE_GRAY_ALPHA && pixelDepth == 32);
    if (withAlpha) {
        if (colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png);
            png_set_expand(png);
        }
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        if (!AlphaCreate()) png_error(png, "Create: image too large");
    }
    if (colourType & PNG_COLOR_MASK_COLOR) png_set_bgr(png);

    const int passes = interlace != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, pngInfo);
    const std::uint32_t stride = info.rowStride;
    // Big enough for what libpng delivers after its transformations, whatever the file holds.
    state.row.assign(std::max({std::size_t((pixelDepth + 7) / 8) * width + 10, std::size_t(png_get_rowbytes(png, pngInfo)),
                               std::size_t(stride), withAlpha ? 4 * std::size_t(width) : 0}),
                     0);
    std::uint8_t* buffer = state.row.data();

    for (int pass = 0; pass < passes; ++pass) {
        const bool lastPass = pass == passes - 1;
        for (png_uint_32 r = 0; r < height; ++r) {
            if (info.escape) png_longjmp(png, 1);
            const std::size_t y = height - 1 - r;
            std::uint8_t* target = info.pixels + y * stride;
            std::uint8_t* targetAlpha = withAlpha ? alpha + y * width : nullptr;
            // Later passes of an interlaced file merge into what the earlier ones delivered.
            if (pass > 0) {
                if (withAlpha) {
                    for (png_uint_32 x = 0; x < width; ++x) {
                        std::memcpy(buffer + 4 * std::size_t(x), target + 3 * std::size_t(x), 3);
                        buffer[4 * x + 3] = targetAlpha[x];
                    }
                } else {
                    std::memcpy(buffer, target, stride);
                }
            }
            png_read_row(png, buffer, nullptr);
            if (withAlpha) {
                for (png_uint_32 x = 0; x < width; ++x) {
                    std::memcpy(target + 3 * std::size_t(x), buffer + 4 * std::size_t(x), 3);
                    targetAlpha[x] = buffer[4 * x + 3];
                }
            } else {
                if (lastPass && bitDepth == 2) WidenTwoBitRow(buffer, width);
                std::memcpy(target, buffer, stride);
            }
        }
    }
    png_read_end(png, nullptr);
}

bool PngCodec::Encode(ByteStream& out)
{
    if (!IsValid()) {
        SetLastError("No image to save");
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    png_infop pngInfo = png_create_info_struct(png);
    if (!pngInfo) {
        png_destroy_write_struct(&png, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }

    // PNG readers take entry 0 as the one transparent colour. The exchange happens on a copy:
    // the picture being saved is the caller's and stays as it is.
    Picture exchanged;
    const Picture* source = this;
    const std::int32_t transparent = info.transparentIndex;
    if (GetNumColors() > 0 && transparent > 0 && std::uint32_t(transparent) < GetNumColors()) {
        exchanged.Copy(*this, true, false, true);
        exchanged.SwapIndex(0, std::uint8_t(transparent));
        exchanged.SetTransparentIndex(0);
        source = &exchanged;
    }

    std::vector<std::uint8_t> row;
    WriteState state{png, pngInfo, out, *source, row, {}, {}};
    const bool ok = WriteImage(state);
    png_destroy_write_struct(&png, &pngInfo);
    if (!ok) SetLastError("Error saving PNG file");
    return ok;
}

bool PngCodec::WriteImage(WriteState& state)
{
    if (setjmp(png_jmpbuf(state.png))) return false;
    WritePicture(state);
    return true;
}

void PngCodec::WritePicture(WriteState& state)
{
    png_structp png = state.png;
    png_infop pngInfo = state.info;
    const Picture& picture = state.picture;
    png_set_write_fn(png, &state.stream, WriteData, FlushData);

    const png_uint_32 width = png_uint_32(picture.GetWidth());
    const png_uint_32 height = png_uint_32(picture.GetHeight());
    const std::uint32_t colours = picture.GetNumColors();
    const RgbQuad* palette = picture.GetPalette();
    const std::uint8_t* alphaPlane = picture.GetAlpha();
    // A true-colour picture with a transparent colour is written with alpha 0 on that colour.
    const bool colourKey = colours == 0 && picture.GetTransparentIndex() >= 0 && !alphaPlane;
    const bool rgba = alphaPlane || colourKey;
    const int colourType = rgba ? PNG_COLOR_TYPE_RGB_ALPHA : colours ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
    const int bitDepth = colourType == PNG_COLOR_TYPE_PALETTE ? int(picture.GetBpp()) : 8;
    png_set_IHDR(png, pngInfo, width, height, bitDepth, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, pngInfo, png_uint_32(std::max(0, picture.GetHeader().xPelsPerMeter)),
                 png_uint_32(std::max(0, picture.GetHeader().yPelsPerMeter)), PNG_RESOLUTION_METER);

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        for (std::uint32_t i = 0; i < colours; ++i) {
            state.palette[i] = {palette[i].red, palette[i].green, palette[i].blue};
            state.alpha[i] = palette[i].reserved;
        }
        png_set_PLTE(png, pngInfo, state.palette.data(), int(colours));
        if (picture.IsAlphaPaletteEnabled()) {
            png_set_tRNS(png, pngInfo, state.alpha.data(), int(colours), nullptr);
        } else if (picture.GetTransparentIndex() == 0) {
            state.alpha[0] = 0;
            png_set_tRNS(png, pngInfo, state.alpha.data(), 1, nullptr);
        }
    }
    png_write_info(png, pngInfo);

    const std::uint32_t stride = picture.GetEffWidth();
    state.row.assign(std::max<std::size_t>(stride, 4 * std::size_t(width)), 0);
    std::uint8_t* buffer = state.row.data();
    const RgbQuad key = picture.GetTransparentColor();
    const unsigned alphaMax = picture.GetInfo().alphaMax;
    for (png_uint_32 r = 0; r < height; ++r) {
        const std::uint32_t y = height - 1 - r;
        const std::uint8_t* source = picture.GetBits() + std::size_t(y) * stride;
        if (rgba) {
            for (png_uint_32 x = 0; x < width; ++x) {
                const RgbQuad c = colours ? picture.GetPixelColor(std::int32_t(x), std::int32_t(y))
                                          : RgbQuad{source[3 * std::size_t(x)], source[3 * std::size_t(x) + 1], source[3 * std::size_t(x) + 2], 0};
                std::uint8_t a = 255;
                if (alphaPlane) a = std::uint8_t(alphaMax * alphaPlane[std::size_t(y) * width + x] / 255);
                else if (c.blue == key.blue && c.green == key.green && c.red == key.red) a = 0;
                buffer[4 * std::size_t(x)] = c.red;
                buffer[4 * x + 1] = c.green;
                buffer[4 * x + 2] = c.blue;
                buffer[4 * x + 3] = a;
            }
        } else if (colourType == PNG_COLOR_TYPE_RGB) {
            for (png_uint_32 x = 0; x < width; ++x) {
                buffer[3 * std::size_t(x)] = source[3 * std::size_t(x) + 2];
                buffer[3 * x + 1] = source[3 * x + 1];
                buffer[3 * std::size_t(x) + 2] = source[3 * std::size_t(x)];
            }
        } else {
            std::memcpy(buffer, source, stride);
        }
        png_write_row(png, buffer);
    }
    png_write_end(png, pngInfo);
}
