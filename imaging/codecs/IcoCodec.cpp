#include "IcoCodec.h"

#include "BmpCodec.h"
#include "LittleEndian.h"
#include "PngCodec.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kIconType = 1;
constexpr std::uint32_t kCursorType = 2;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The directory holds a side in one byte, 0 standing for 256.
constexpr std::uint32_t kLargestSide = 256;
constexpr std::size_t kWriteChunk = 65536;
// Icons are shown pixel for pixel; their writers leave the bitmap header's resolution unset or
// stray.
constexpr std::int32_t kIconDpi = 96;

bool IsIconDepth(std::uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

} // namespace

std::int64_t IcoCodec::ReadDirectory(ByteStream& in, std::int64_t length)
{
    std::uint8_t head[kDirectoryHeaderSize];
    if (in.Read(head, 1, sizeof head) != sizeof head) Fail("Not an icon");
    const std::uint32_t type = GetLittle16(head + 2);
    if (GetLittle16(head) != 0 || (type != kIconType && type != kCursorType)) Fail("Not an icon");
    const std::uint32_t count = GetLittle16(head + 4);
    info.frameCount = std::int32_t(count);
    if (count == 0) Fail("Icon file without images");

    // Every entry must point inside the file, behind the directory.
    const std::int64_t directoryEnd = std::int64_t(kDirectoryHeaderSize + count * kEntrySize);
    if (directoryEnd > length) Fail("Corrupted icon directory");
    std::vector<std::uint8_t> directory(count * kEntrySize);
    if (in.Read(directory.data(), 1, directory.size()) != directory.size()) Fail("Corrupted icon directory");
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* raw = directory.data() + i * kEntrySize;
        const std::int64_t size = GetLittle32(raw + 8);
        const std::int64_t offset = GetLittle32(raw + 12);
        if (offset < directoryEnd || offset + size > length) Fail("Corrupted icon directory");
    }
    if (info.frame < 0 || info.frame >= info.frameCount)
        Fail("ICO: no image " + std::to_string(info.frame) + " in " + std::to_string(count));
    return GetLittle32(directory.data() + std::size_t(info.frame) * kEntrySize + 12);
}

// Frame, count and the cancel flag are this codec's; the rest comes with the decoded image.
void IcoCodec::TakeImage(ImageCodec& decoded)
{
    const PictureInfo kept = info;
    Transfer(decoded);
    info.format = ImageFormat::Ico;
    info.frame = kept.frame;
    info.frameCount = kept.frameCount;
    info.escape = kept.escape;
}

void IcoCodec::ReadPng(ByteStream& in)
{
    PngCodec png;
    png.SetEscape(info.escape);
    if (!png.Decode(in)) Fail(png.GetLastError());
    TakeImage(png);
}

void IcoCodec::ReadBitmap(ByteStream& in)
{
    const std::int32_t start = in.Tell();
    std::uint8_t raw[kInfoHeaderSize];
    if (in.Read(raw, 1, sizeof raw) != sizeof raw) Fail("Corrupted icon image");
    const auto width = std::int32_t(GetLittle32(raw + 4));
    const auto height = std::int32_t(GetLittle32(raw + 8));
    // The height counts the colour rows and the mask rows.
    if (GetLittle32(raw) < kInfoHeaderSize || width <= 0 || height < 2 || GetLittle16(raw + 12) != 1 ||
        !IsIconDepth(GetLittle16(raw + 14)) || GetLittle32(raw + 16) != 0)
        Fail("Corrupted icon image");
    if (!in.Seek(start, 0)) Fail("Corrupted icon image");

    BmpCodec bitmap;
    bitmap.SetEscape(info.escape);
    if (!bitmap.DecodeIconImage(in)) Fail(bitmap.GetLastError());
    TakeImage(bitmap);
    SetDpiX(kIconDpi);
    SetDpiY(kIconDpi);
    if (IsPartial()) return;
    // Writers that had no alpha to give left the fourth byte 0 throughout; their mask says
    // what is transparent.
    if (alpha && std::all_of(alpha, alpha + PlaneSize(), [](std::uint8_t a) { return a == 0; })) AlphaDelete();
    ApplyMask(in);
}

// Mask bit 1 makes a pixel transparent. A picture that had no alpha of its own gets a plane
// only when some bit is set.
void IcoCodec::ApplyMask(ByteStream& in)
{
    const std::size_t width = std::size_t(header.width);
    const std::size_t height = std::size_t(header.height);
    const std::size_t stride = ((width + 31) / 32) * 4;
    std::vector<std::uint8_t> mask(std::min<std::uint64_t>(stride * height, std::uint64_t(in.Remaining())));
    const std::size_t rows = in.Read(mask.data(), 1, mask.size()) / stride;
    if (rows < height) SetPartial(true);

    auto transparent = [&](std::size_t x, std::size_t y) { return (mask[y * stride + x / 8] >> (7 - x % 8)) & 1; };
    bool any = false;
    for (std::size_t y = 0; y < rows && !any; ++y)
        for (std::size_t x = 0; x < width && !any; ++x) any = transparent(x, y);
    if (!any) return;
    if (!alpha) {
        if (!AlphaCreate()) Fail("Can't allocate memory");
        AlphaClear(255);
    }
    for (std::size_t y = 0; y < rows; ++y)
        for (std::size_t x = 0; x < width; ++x)
            if (transparent(x, y)) alpha[y * width + x] = 0;
}

bool IcoCodec::Decode(ByteStream& in)
{
    try {
        const std::int32_t start = in.Tell();
        const auto offset = std::int32_t(start + ReadDirectory(in, in.Remaining()));
        std::uint8_t signature[sizeof kPngSignature] = {};
        const bool png = in.Seek(offset, 0) && in.Read(signature, 1, sizeof signature) == sizeof signature &&
                         std::memcmp(signature, kPngSignature, sizeof signature) == 0;
        if (!in.Seek(offset, 0)) Fail("Corrupted icon image");
        if (png) ReadPng(in);
        else ReadBitmap(in);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

// Transparent in the mask: alpha 0, a palette alpha of 0, or the transparent index or colour.
bool IcoCodec::MaskBit(std::int32_t x, std::int32_t y, bool paletteAlpha) const
{
    if (alpha && AlphaGet(x, y) == 0) return true;
    const RgbQuad colour = GetPixelColor(x, y);
    if (paletteAlpha && colour.reserved == 0) return true;
    if (info.transparentIndex == -1) return false;
    // Palettes often hold the transparent colour twice; only the index itself is transparent.
    if (header.colours) return GetPixelIndex(x, y) == info.transparentIndex;
    return colour == GetTransparentColor();
}

bool IcoCodec::Encode(ByteStream& out)
{
    try {
        if (!dib) Fail("Encode: no image");
        const auto width = std::uint32_t(header.width);
        const auto height = std::uint32_t(header.height);
        if (width > kLargestSide || height > kLargestSide) Fail("Can't save this image as icon");
        const std::uint32_t colours = header.colours;
        const bool withAlpha = colours == 0 && alpha;
        const std::uint32_t bits = withAlpha ? 32 : header.bitsPerPixel;
        const std::uint32_t imageSize = withAlpha ? width * height * 4 : header.imageSize;
        const std::size_t maskStride = ((std::size_t(width) + 31) / 32) * 4;
        const auto maskSize = std::uint32_t(maskStride * height);

        std::vector<std::uint8_t> data(kDirectoryHeaderSize + kEntrySize + kInfoHeaderSize);
        std::uint8_t* raw = data.data();
        PutLittle16(raw + 2, kIconType);
        PutLittle16(raw + 4, 1);
        raw[6] = std::uint8_t(width);
        raw[7] = std::uint8_t(height);
        raw[8] = std::uint8_t(colours);
        PutLittle16(raw + 12, bits);
        PutLittle32(raw + 14, imageSize + 4 * colours + maskSize + std::uint32_t(kInfoHeaderSize));
        PutLittle32(raw + 18, std::uint32_t(kDirectoryHeaderSize + kEntrySize));
        raw += kDirectoryHeaderSize + kEntrySize;
        PutLittle32(raw, std::uint32_t(kInfoHeaderSize));
        PutLittle32(raw + 4, width);
        PutLittle32(raw + 8, 2 * height);
        PutLittle16(raw + 12, 1);
        PutLittle16(raw + 14, bits);
        PutLittle32(raw + 20, imageSize);
        const auto* palette = reinterpret_cast<const std::uint8_t*>(GetPalette());
        data.insert(data.end(), palette, palette + 4 * std::size_t(colours));

        auto flush = [&] {
            if (out.Write(data.data(), 1, data.size()) != data.size()) Fail("cannot write icon data");
            data.clear();
        };
        // Rows bottom first, as the picture holds them.
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* row = info.pixels + std::size_t(y) * info.rowStride;
            if (!withAlpha) {
                data.insert(data.end(), row, row + info.rowStride);
            } else {
                for (std::size_t x = 0; x < width; ++x)
                    data.insert(data.end(), {row[3 * x], row[3 * x + 1], row[3 * x + 2], AlphaGet(std::int32_t(x), std::int32_t(y))});
            }
            if (data.size() >= kWriteChunk) flush();
        }
        const bool paletteAlpha = AlphaPaletteHasAlpha();
        std::vector<std::uint8_t> maskRow(maskStride);
        for (std::uint32_t y = 0; y < height; ++y) {
            std::fill(maskRow.begin(), maskRow.end(), std::uint8_t(0));
            for (std::uint32_t x = 0; x < width; ++x)
                if (MaskBit(std::int32_t(x), std::int32_t(y), paletteAlpha)) maskRow[x / 8] |= std::uint8_t(0x80 >> (x % 8));
            data.insert(data.end(), maskRow.begin(), maskRow.end());
        }
        flush();
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
