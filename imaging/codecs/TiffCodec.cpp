#include "TiffCodec.h"

#include "TiffLibrary.h"
#include "TiffStreamBridge.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr const char* kCorrupted = "Corrupted TIFF file!";
constexpr const char* kCorruptedTiles = "Corrupted tiled TIFF file!";
constexpr const char* kSaveFailed = "Error saving TIFF file";

// Closes a handle however the reading ends.
struct ReadHandle {
    TIFF* file;
    ~ReadHandle() { Tiff().Close(file); }
};

struct RgbaReader {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaReader()
    {
        if (begun) Tiff().RGBAImageEnd(&image);
    }
};

// A resolution in dots per inch (per centimetre converted), or 0 for a value that cannot be one
// (NaN, below 1, huge).
std::int32_t DpiOf(float value, std::uint16_t unit)
{
    const double dpi = unit == RESUNIT_CENTIMETER ? std::round(value * 2.54) : double(value);
    return std::isfinite(dpi) && dpi >= 1 && dpi < double(std::numeric_limits<std::int32_t>::max())
               ? std::int32_t(dpi)
               : 0;
}

std::int32_t PositionOf(tiff* file, ttag_t tag)
{
    float value = 0;
    if (!Tiff().GetField(file, tag, &value) || !std::isfinite(value) || value < 0 ||
        value >= float(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return std::int32_t(value);
}

// Keeps the high byte of each 16-bit sample (libtiff delivers them in host order), in place.
void KeepHighBytes(std::uint8_t* row, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t sample;
        std::memcpy(&sample, row + 2 * i, 2);
        row[i] = std::uint8_t(sample >> 8);
    }
}

std::uint8_t EncodeSrgb(double v)
{
    v = v > 0.00304 ? 1.055 * std::pow(v, 0.41667) - 0.055 : 12.92 * v;
    return std::uint8_t(std::clamp(v * 255, 0.0, 255.0));
}

// CIE L*a*b* with 8-bit L and signed 8-bit a and b to blue, green, red.
void LabToBgr(const std::uint8_t* lab, std::uint8_t* bgr)
{
    const double fy = (lab[0] * 0.3921568627450981 + 16) * 0.008620689655172414;
    const double fx = fy + 0.002 * std::int8_t(lab[1]);
    const double fz = fy - 0.005 * std::int8_t(lab[2]);
    const double x = 0.95047 * fx * fx * fx;
    const double y = fy * fy * fy;
    const double z = 1.0883 * fz * fz * fz;
    bgr[2] = EncodeSrgb(3.240479 * x - 1.53715 * y - 0.498535 * z);
    bgr[1] = EncodeSrgb(-0.969256 * x + 1.875992 * y + 0.041556 * z);
    bgr[0] = EncodeSrgb(0.055648 * x - 0.204043 * y + 1.057311 * z);
}

// libtiff's RGBA reader hands out colours multiplied by alpha; the picture keeps them unmultiplied.
std::uint8_t Unmultiply(std::uint32_t channel, std::uint32_t alpha)
{
    if (alpha == 0 || alpha == 255) return std::uint8_t(channel);
    return std::uint8_t(std::min<std::uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

template <class T>
std::unique_ptr<T[]> Allocate(std::uint64_t count)
{
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) return nullptr;
    return std::unique_ptr<T[]>(new (std::nothrow) T[std::size_t(count)]);
}

} // namespace

// The tags of the chosen page that decide how it is read.
struct TiffCodec::Page {
    std::uint32_t width = 0;
    std::uint32_t length = 0;
    std::uint16_t samples = 1;
    std::uint16_t bits = 1;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint32_t rowsPerStrip = 0;
    bool withAlpha = false;
    // Colours stored multiplied by their alpha.
    bool associatedAlpha = false;
    bool tiled = false;
    std::uint32_t tileWidth = 0;
    std::uint32_t tileLength = 0;

    // Bytes of one stored row, all samples interleaved.
    std::uint64_t RowBytes() const { return (std::uint64_t(samples) * bits * width + 7) / 8; }

    // The layouts read row by row: grey and palette into palette pictures, RGB and Lab into 24
    // bits; libtiff's RGBA reader takes every other one.
    bool ReadByRows() const
    {
        if (sampleFormat != SAMPLEFORMAT_UINT || (bits != 1 && bits != 4 && bits != 8 && bits != 16)) return false;
        if (samples > 1 && planar != PLANARCONFIG_CONTIG) return false;
        if (tiled && std::uint64_t(tileWidth) * samples * bits % 8 != 0) return false;
        switch (photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK: return samples == 1 || (samples == 2 && bits >= 8);
        case PHOTOMETRIC_PALETTE: return (samples == 1 && (bits == 4 || bits == 8)) || (samples == 2 && bits == 8);
        case PHOTOMETRIC_RGB:
        case PHOTOMETRIC_CIELAB: return (samples == 3 || samples == 4) && bits >= 8;
        default: return false;
        }
    }

    std::uint32_t Depth() const
    {
        if (photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_CIELAB) return 24;
        return samples == 1 && bits < 8 ? bits : 8;
    }
};

TiffCodec::TiffCodec() : ImageCodec(ImageFormat::Tif) {}

TiffCodec::~TiffCodec()
{
    CloseOutput();
}

void TiffCodec::CheckEscape() const
{
    if (info.escape) Fail("Cancelled");
}

bool TiffCodec::Decode(ByteStream& in)
{
    if (!TiffLibrary::Load()) {
        SetLastError(TiffLibrary::Unavailable());
        return false;
    }
    TiffStreamBridge bridge(in);
    TIFF* file = bridge.Open("rb");
    if (!file) {
        SetLastError("Error encountered while opening TIFF file");
        return false;
    }
    ReadHandle handle{file};
    try {
        ReadPage(file);
        return true;
    } catch (const Failure& failure) {
        Destroy();
        Report(failure);
        return false;
    }
}

void TiffCodec::ReadPage(tiff* file)
{
    const tdir_t pages = Tiff().NumberOfDirectories(file);
    info.frameCount = std::int32_t(std::min<tdir_t>(pages, std::numeric_limits<std::int32_t>::max()));
    if (info.frame < 0 || !Tiff().SetDirectory(file, tdir_t(info.frame)))
        Fail("Error: page not present in TIFF file");

    Page page;
    Tiff().GetField(file, TIFFTAG_IMAGEWIDTH, &page.width);
    Tiff().GetField(file, TIFFTAG_IMAGELENGTH, &page.length);
    Tiff().GetFieldDefaulted(file, TIFFTAG_SAMPLESPERPIXEL, &page.samples);
    Tiff().GetFieldDefaulted(file, TIFFTAG_BITSPERSAMPLE, &page.bits);
    Tiff().GetField(file, TIFFTAG_PHOTOMETRIC, &page.photometric);
    Tiff().GetFieldDefaulted(file, TIFFTAG_PLANARCONFIG, &page.planar);
    Tiff().GetFieldDefaulted(file, TIFFTAG_SAMPLEFORMAT, &page.sampleFormat);
    Tiff().GetFieldDefaulted(file, TIFFTAG_ORIENTATION, &page.orientation);
    Tiff().GetFieldDefaulted(file, TIFFTAG_ROWSPERSTRIP, &page.rowsPerStrip);
    page.tiled = Tiff().IsTiled(file);
    if (page.tiled) {
        Tiff().GetField(file, TIFFTAG_TILEWIDTH, &page.tileWidth);
        Tiff().GetField(file, TIFFTAG_TILELENGTH, &page.tileLength);
        if (page.tileWidth == 0 || page.tileLength == 0) Fail(kCorruptedTiles);
    }
    std::uint16_t extraCount = 0;
    std::uint16_t* extraKinds = nullptr;
    Tiff().GetFieldDefaulted(file, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    const std::uint16_t extraKind = extraCount > 0 && extraKinds ? extraKinds[0] : EXTRASAMPLE_ASSOCALPHA;
    // As libtiff's RGBA reader takes them: a fourth RGB sample without a kind is associated alpha.
    page.withAlpha = page.samples == 2 ||
                     (page.samples == 4 && (page.photometric != PHOTOMETRIC_RGB || extraKind != EXTRASAMPLE_UNSPECIFIED));
    page.associatedAlpha = page.photometric == PHOTOMETRIC_RGB && extraKind == EXTRASAMPLE_ASSOCALPHA;
    page.rowsPerStrip = std::clamp<std::uint32_t>(page.rowsPerStrip, 1, std::max<std::uint32_t>(page.length, 1));
    info.transparentIndex = -1;
    ReadPlacement(file);

    CheckEscape();
    if (!Picture::FitsCeiling(page.width, page.length)) Fail("Create: image too large");
    if (page.ReadByRows()) ReadRows(file, page);
    else ReadRgba(file, page);
    // TIFF's orientation values are those of Exif.
    if (!Orient(page.orientation)) Fail("Create: image too large");
}

void TiffCodec::ReadPlacement(tiff* file)
{
    std::uint16_t unit = RESUNIT_INCH;
    Tiff().GetFieldDefaulted(file, TIFFTAG_RESOLUTIONUNIT, &unit);
    float resolution = 0;
    if (Tiff().GetField(file, TIFFTAG_XRESOLUTION, &resolution))
        if (const std::int32_t dpi = DpiOf(resolution, unit)) SetDpiX(dpi);
    if (Tiff().GetField(file, TIFFTAG_YRESOLUTION, &resolution))
        if (const std::int32_t dpi = DpiOf(resolution, unit)) SetDpiY(dpi);
    SetOffset(PositionOf(file, TIFFTAG_XPOSITION), PositionOf(file, TIFFTAG_YPOSITION));
}

void TiffCodec::ReadRgba(tiff* file, const Page& page)
{
    RgbaReader reader;
    TIFFRGBAImage& image = reader.image;
    char message[1024] = {};
    // A layout libtiff does not read (float or 12-bit samples, say) is named, not called corrupt.
    if (!Tiff().RGBAImageOK(file, message)) Fail(message);
    if (!Tiff().RGBAImageBegin(&image, file, 1, message)) Fail(kCorrupted);
    reader.begun = true;
    // Rows come in stored order; the orientation is applied to every layout alike afterwards.
    image.req_orientation = image.orientation;

    const std::uint32_t width = page.width;
    const std::uint32_t length = page.length;
    if (!Create(std::int32_t(width), std::int32_t(length), 24, ImageFormat::Tif)) Fail(info.lastError);
    const bool withAlpha = image.alpha != 0;
    if (withAlpha && !AlphaCreate()) Fail("Create: image too large");

    // A band of whole strips or rows of tiles, so that each is decoded once.
    const std::uint32_t band = std::min(page.tiled ? page.tileLength : page.rowsPerStrip, length);
    std::unique_ptr<std::uint32_t[]> raster = Allocate<std::uint32_t>(std::uint64_t(width) * band);
    if (!raster) Fail("No space for raster buffer");
    for (std::uint32_t top = 0; top < length; top += band) {
        CheckEscape();
        const std::uint32_t rows = std::min(band, length - top);
        image.row_offset = int(top);
        if (!Tiff().RGBAImageGet(&image, raster.get(), width, rows)) {
            if (top == 0) Fail(kCorrupted);
            SetPartial(true);
            return;
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::size_t y = length - 1 - (top + r);
            const std::uint32_t* source = raster.get() + std::size_t(r) * width;
            std::uint8_t* target = info.pixels + y * info.rowStride;
            std::uint8_t* targetAlpha = withAlpha ? alpha + y * width : nullptr;
            for (std::uint32_t x = 0; x < width; ++x, target += 3) {
                const std::uint32_t value = source[x];
                const std::uint32_t a = TIFFGetA(value);
                target[0] = Unmultiply(TIFFGetB(value), withAlpha ? a : 255);
                target[1] = Unmultiply(TIFFGetG(value), withAlpha ? a : 255);
                target[2] = Unmultiply(TIFFGetR(value), withAlpha ? a : 255);
                if (withAlpha) targetAlpha[x] = std::uint8_t(a);
            }
        }
    }
}

void TiffCodec::ReadRows(tiff* file, const Page& page)
{
    if (!Create(std::int32_t(page.width), std::int32_t(page.length), page.Depth(), ImageFormat::Tif)) Fail(info.lastError);
    if (page.withAlpha && !AlphaCreate()) Fail("Create: image too large");
    SetPagePalette(file, page);
    const std::uint32_t rows = page.tiled ? ReadTiles(file, page) : ReadStrips(file, page);
    if (rows == 0) Fail(page.tiled ? kCorruptedTiles : kCorrupted);
    if (rows < page.length) SetPartial(true);
}

// Returns the number of rows read before the first that could not be.
std::uint32_t TiffCodec::ReadStrips(tiff* file, const Page& page)
{
    const std::uint64_t rowBytes =
        std::max<std::uint64_t>(page.RowBytes(), std::uint64_t(Tiff().ScanlineSize64(file)));
    std::unique_ptr<std::uint8_t[]> row = Allocate<std::uint8_t>(rowBytes);
    if (!row) Fail(kCorrupted);
    for (std::uint32_t y = 0; y < page.length; ++y) {
        if (y % page.rowsPerStrip == 0) CheckEscape();
        if (Tiff().ReadScanline(file, row.get(), y, 0) < 0) return y;
        StoreRow(page, row.get(), y);
    }
    return page.length;
}

// Reads a row of tiles into a band of whole image rows, the last tile cut at the right edge.
std::uint32_t TiffCodec::ReadTiles(tiff* file, const Page& page)
{
    const std::uint64_t tileBytes = std::uint64_t(Tiff().TileSize64(file));
    const std::uint64_t tileRowBytes = std::uint64_t(Tiff().TileRowSize64(file));
    const std::uint64_t rowBytes = page.RowBytes();
    const std::uint32_t bandRows = std::min(page.tileLength, page.length);
    if (tileBytes == 0 || tileRowBytes == 0 || tileRowBytes * bandRows > tileBytes) Fail(kCorruptedTiles);
    std::unique_ptr<std::uint8_t[]> tile = Allocate<std::uint8_t>(tileBytes);
    std::unique_ptr<std::uint8_t[]> band = Allocate<std::uint8_t>(rowBytes * bandRows);
    if (!tile || !band) Fail(kCorruptedTiles);

    const std::uint64_t bitsPerPixel = std::uint64_t(page.samples) * page.bits;
    for (std::uint32_t top = 0; top < page.length; top += page.tileLength) {
        CheckEscape();
        const std::uint32_t rows = std::min(bandRows, page.length - top);
        for (std::uint32_t left = 0; left < page.width; left += page.tileWidth) {
            if (Tiff().ReadTile(file, tile.get(), left, top, 0, 0) < 0) return top;
            const std::uint64_t offset = left * bitsPerPixel / 8;
            const std::size_t count = std::size_t(std::min(tileRowBytes, rowBytes - offset));
            for (std::uint32_t r = 0; r < rows; ++r)
                std::memcpy(band.get() + r * rowBytes + offset, tile.get() + r * tileRowBytes, count);
            if (page.width - left <= page.tileWidth) break;
        }
        for (std::uint32_t r = 0; r < rows; ++r) StoreRow(page, band.get() + r * rowBytes, top + r);
        if (page.length - top <= page.tileLength) break;
    }
    return page.length;
}

// Stored row y (from the top), in the file's samples, into the picture's row counted from the bottom.
void TiffCodec::StoreRow(const Page& page, std::uint8_t* source, std::uint32_t y)
{
    const std::uint32_t width = page.width;
    const std::uint32_t samples = page.samples;
    if (page.bits == 16) KeepHighBytes(source, std::size_t(width) * samples);
    const std::size_t row = page.length - 1 - y;
    std::uint8_t* target = info.pixels + row * info.rowStride;
    std::uint8_t* targetAlpha = alpha ? alpha + row * width : nullptr;
    if (page.photometric == PHOTOMETRIC_RGB) {
        for (std::uint32_t x = 0; x < width; ++x, source += samples, target += 3) {
            const std::uint32_t a = targetAlpha ? source[3] : 255;
            target[0] = page.associatedAlpha ? Unmultiply(source[2], a) : source[2];
            target[1] = page.associatedAlpha ? Unmultiply(source[1], a) : source[1];
            target[2] = page.associatedAlpha ? Unmultiply(source[0], a) : source[0];
            if (targetAlpha) targetAlpha[x] = std::uint8_t(a);
        }
    } else if (page.photometric == PHOTOMETRIC_CIELAB) {
        for (std::uint32_t x = 0; x < width; ++x, source += samples) {
            LabToBgr(source, target + 3 * std::size_t(x));
            if (targetAlpha) targetAlpha[x] = source[3];
        }
    } else if (samples == 1) {
        const std::size_t bytes = (std::size_t(width) * std::min<std::uint16_t>(page.bits, 8) + 7) / 8;
        std::memcpy(target, source, std::min<std::size_t>(info.rowStride, bytes));
    } else {
        for (std::uint32_t x = 0; x < width; ++x, source += 2) {
            target[x] = source[0];
            targetAlpha[x] = source[1];
        }
    }
}

void TiffCodec::SetPagePalette(tiff* file, const Page& page)
{
    const std::uint32_t colours = GetNumColors();
    if (colours == 0) return;
    if (page.photometric != PHOTOMETRIC_PALETTE) {
        SetGrayPalette();
        if (page.photometric == PHOTOMETRIC_MINISWHITE) {
            RgbQuad* palette = GetPalette();
            for (std::uint32_t i = 0; i < colours; ++i) {
                const std::uint8_t value = std::uint8_t(~palette[i].red);
                palette[i] = {value, value, value, 0};
            }
        }
        return;
    }
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    if (!Tiff().GetField(file, TIFFTAG_COLORMAP, &red, &green, &blue)) Fail(kCorrupted);
    const std::uint32_t entries = std::min(colours, std::uint32_t(1) << page.bits);
    bool wide = false;
    for (std::uint32_t i = 0; i < entries; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
    auto scale = [wide](std::uint16_t value) { return std::uint8_t(wide ? value * 255 / 65535 : value); };
    for (std::uint32_t i = 0; i < entries; ++i) SetPaletteEntry(i, scale(red[i]), scale(green[i]), scale(blue[i]));
}

bool TiffCodec::Encode(ByteStream& out)
{
    return Encode(out, false);
}

bool TiffCodec::Encode(ByteStream& out, bool append)
{
    try {
        if (!IsValid()) Fail("No image to save");
        if (!TiffLibrary::Load()) Fail(TiffLibrary::Unavailable());
        if (!writer) {
            output = std::make_unique<TiffStreamBridge>(out);
            writer = output->Open("w");
            if (!writer) Fail("initialization fail");
        } else if (!output->Uses(out)) {
            Fail("invalid file pointer");
        }
        multiPage = append || pagesWritten > 0;
        WritePage(pagesWritten + 1);
        if (!Tiff().WriteDirectory(writer) || output->Failed())
            Fail(append ? "Error saving TIFF directory" : kSaveFailed);
        if (append) {
            ++pagesWritten;
            return true;
        }
        Tiff().Close(writer);
        writer = nullptr;
        // What libtiff wrote while closing is checked too, and the stream's buffer is written out.
        const bool written = !output->Failed() && out.Flush() && out.Error() == 0;
        CloseOutput();
        if (!written) Fail(kSaveFailed);
        return true;
    } catch (const Failure& failure) {
        CloseOutput();
        Report(failure);
        return false;
    }
}

void TiffCodec::CloseOutput()
{
    if (writer) {
        // A file given up on is not finished: what closing would still write goes nowhere.
        output->Detach();
        Tiff().Close(writer);
        writer = nullptr;
    }
    output.reset();
    multiPage = false;
    pagesWritten = 0;
}

void TiffCodec::WritePage(std::uint32_t page)
{
    const std::uint32_t depth = GetBpp();
    const bool withAlpha = alpha && (depth == 8 || depth == 24);
    const std::uint16_t samples = depth == 24 ? (withAlpha ? 4 : 3) : (withAlpha ? 2 : 1);
    const std::uint16_t bits = std::uint16_t(depth == 24 ? 8 : depth);
    const RgbQuad* palette = GetPalette();
    const std::uint32_t colours = GetNumColors();

    // A 1-bit page is min-is-white: the lighter colour must be index 0, else the rows go inverted.
    const bool invert = depth == 1 && CompareLuminance(palette[0], palette[1]) < 0;
    bool grey = depth == 8;
    for (std::uint32_t i = 0; grey && i < colours; ++i) {
        const auto value = std::uint8_t(i);
        grey = palette[i] == RgbQuad{value, value, value, 0};
    }
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    if (depth == 1) photometric = PHOTOMETRIC_MINISWHITE;
    else if (depth < 24) photometric = grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;

    std::uint16_t compression = std::uint16_t(info.codecOption);
    if (compression == 0)
        compression = depth == 1    ? COMPRESSION_CCITTFAX4
                      : depth == 8  ? COMPRESSION_PACKBITS
                      : depth == 24 ? COMPRESSION_JPEG
                                    : COMPRESSION_NONE;

    TIFF* file = writer;
    bool ok = Tiff().SetField(file, TIFFTAG_IMAGEWIDTH, std::uint32_t(GetWidth())) &&
              Tiff().SetField(file, TIFFTAG_IMAGELENGTH, std::uint32_t(GetHeight())) &&
              Tiff().SetField(file, TIFFTAG_SAMPLESPERPIXEL, samples) &&
              Tiff().SetField(file, TIFFTAG_BITSPERSAMPLE, bits) &&
              Tiff().SetField(file, TIFFTAG_PHOTOMETRIC, photometric) &&
              Tiff().SetField(file, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              Tiff().SetField(file, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              Tiff().SetField(file, TIFFTAG_COMPRESSION, compression);
    if (ok && withAlpha) {
        // The picture's alpha is not multiplied into its colours.
        std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        ok = Tiff().SetField(file, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (ok && compression == COMPRESSION_LZW && bits == 8)
        ok = Tiff().SetField(file, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (ok && compression == COMPRESSION_JPEG)
        ok = Tiff().SetField(file, TIFFTAG_JPEGQUALITY, int(info.jpegQuality));
    std::uint32_t rowsPerStrip = Tiff().DefaultStripSize(file, std::uint32_t(-1));
    if (compression == COMPRESSION_JPEG) rowsPerStrip = (rowsPerStrip + 7) / 8 * 8;
    ok = ok && Tiff().SetField(file, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (ok && info.dpiX > 0 && info.dpiY > 0)
        ok = Tiff().SetField(file, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) &&
             Tiff().SetField(file, TIFFTAG_XRESOLUTION, double(info.dpiX)) &&
             Tiff().SetField(file, TIFFTAG_YRESOLUTION, double(info.dpiY));
    if (ok && photometric == PHOTOMETRIC_PALETTE) {
        std::uint16_t map[3][256] = {};
        for (std::uint32_t i = 0; i < colours; ++i) {
            map[0][i] = std::uint16_t(palette[i].red * 257);
            map[1][i] = std::uint16_t(palette[i].green * 257);
            map[2][i] = std::uint16_t(palette[i].blue * 257);
        }
        ok = Tiff().SetField(file, TIFFTAG_COLORMAP, map[0], map[1], map[2]);
    }
    if (ok && multiPage) {
        char name[32];
        std::snprintf(name, sizeof name, "Page %u", page);
        // Pages count from 0; the total is not known while pages are still being appended.
        ok = Tiff().SetField(file, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE) &&
             Tiff().SetField(file, TIFFTAG_PAGENUMBER, std::uint16_t(page - 1), std::uint16_t(0)) &&
             Tiff().SetField(file, TIFFTAG_PAGENAME, name);
    } else if (ok) {
        ok = Tiff().SetField(file, TIFFTAG_SUBFILETYPE, 0);
    }
    if (!ok) Fail(kSaveFailed);

    // Rows are copied before libtiff sees them: its encoders may work in the buffer they get.
    const std::size_t rowBytes = (std::size_t(GetWidth()) * samples * bits + 7) / 8;
    std::vector<std::uint8_t> line(std::max<std::size_t>(rowBytes, std::size_t(Tiff().ScanlineSize64(file))));
    const std::int32_t width = GetWidth();
    for (std::int32_t y = GetHeight() - 1, r = 0; y >= 0; --y, ++r) {
        const std::uint8_t* source = info.pixels + std::size_t(y) * info.rowStride;
        const std::uint8_t* sourceAlpha = withAlpha ? alpha + std::size_t(y) * width : nullptr;
        std::uint8_t* target = line.data();
        if (depth == 24) {
            for (std::int32_t x = 0; x < width; ++x, source += 3) {
                *target++ = source[2];
                *target++ = source[1];
                *target++ = source[0];
                if (withAlpha) *target++ = sourceAlpha[x];
            }
        } else if (withAlpha) {
            for (std::int32_t x = 0; x < width; ++x) {
                *target++ = source[x];
                *target++ = sourceAlpha[x];
            }
        } else {
            std::memcpy(target, source, rowBytes);
            if (invert)
                for (std::size_t i = 0; i < rowBytes; ++i) target[i] = std::uint8_t(~target[i]);
        }
        if (Tiff().WriteScanline(file, line.data(), std::uint32_t(r), 0) < 0) Fail(kSaveFailed);
    }
}
