#include "BmpCodec.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::uint16_t kBmpType = 0x4D42; // "BM"
constexpr std::uint16_t kArrayType = 0x4142; // "BA": OS/2 bitmap array
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;
constexpr std::size_t kLargestHeader = 124;

std::uint16_t Get16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

void Put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

// 12: OS/2 1.x core header. 16 and 64: OS/2 2.x (fields past the stored size are zero).
// 40: Windows; 52 and 56 add the bit-field masks; 108 and 124 (V4, V5) add colour space data.
bool IsKnownHeaderSize(std::uint32_t size)
{
    switch (size) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124:
        return true;
    default:
        return false;
    }
}

// Buffered byte source for the run-length decoders; -1 at the end of the input.
class ByteSource {
public:
    explicit ByteSource(ByteStream& source) : stream(source) {}

    int Next()
    {
        if (position == length) {
            length = stream.Read(buffer, 1, sizeof buffer);
            position = 0;
            if (length == 0) return -1;
        }
        return buffer[position++];
    }

private:
    ByteStream& stream;
    std::uint8_t buffer[4096];
    std::size_t position = 0;
    std::size_t length = 0;
};

} // namespace

struct BmpCodec::FileLayout {
    std::int64_t start = 0;
    std::uint32_t dataOffset = 0; // 0: header-less DIB, pixels follow the colour table
    std::uint32_t headerSize = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;
    std::uint32_t masks[3] = {};
    bool masksInHeader = false;

    // Entries of 3 bytes in OS/2 1.x files, 4 bytes otherwise.
    std::uint32_t PaletteEntrySize() const { return headerSize == 12 ? 3 : 4; }
    std::uint64_t ColourTableEntries() const
    {
        if (coloursUsed) return coloursUsed;
        return bitCount <= 8 ? std::uint64_t(1) << bitCount : 0;
    }
};

void BmpCodec::ReadInfoHeader(ByteStream& in, FileLayout& layout)
{
    std::uint8_t raw[kLargestHeader] = {};
    if (in.Read(raw, 1, 4) != 4) Fail("Error reading BMP info");
    const std::uint32_t size = Get32(raw);
    if (!IsKnownHeaderSize(size)) Fail("Error reading BMP info");
    const std::size_t rest = std::min<std::size_t>(size, kLargestHeader) - 4;
    if (in.Read(raw + 4, 1, rest) != rest) Fail("Error reading BMP info");

    layout.headerSize = size;
    if (size == 12) {
        layout.width = Get16(raw + 4);
        layout.height = Get16(raw + 6);
        layout.bitCount = Get16(raw + 10);
        return;
    }
    layout.width = std::int32_t(Get32(raw + 4));
    layout.height = std::int32_t(Get32(raw + 8));
    layout.bitCount = Get16(raw + 14);
    layout.compression = Get32(raw + 16);
    layout.xPelsPerMeter = std::int32_t(Get32(raw + 24));
    layout.yPelsPerMeter = std::int32_t(Get32(raw + 28));
    layout.coloursUsed = Get32(raw + 32);
    if (size != 64 && size >= 52) {
        layout.masks[0] = Get32(raw + 40);
        layout.masks[1] = Get32(raw + 44);
        layout.masks[2] = Get32(raw + 48);
        layout.masksInHeader = true;
    }
    // Its magnitude is not representable as a row count.
    if (layout.height == INT_MIN) Fail("Error reading BMP info");
    if (layout.height < 0) {
        layout.topDown = true;
        layout.height = -layout.height;
    }
    if (iconImage) layout.height /= 2;
}

void BmpCodec::ReadPalette(ByteStream& in, const FileLayout& layout)
{
    RgbQuad* palette = GetPalette();
    const std::uint64_t inFile = layout.ColourTableEntries();
    const auto count = std::uint32_t(std::min<std::uint64_t>(inFile, header.colours));
    const std::uint32_t entrySize = layout.PaletteEntrySize();
    std::uint8_t raw[256 * 4];
    const std::size_t got = in.Read(raw, entrySize, count);
    for (std::size_t i = 0; i < got; ++i) {
        const std::uint8_t* entry = raw + i * entrySize;
        palette[i] = RgbQuad{entry[0], entry[1], entry[2], entrySize == 4 ? entry[3] : std::uint8_t(0)};
    }
    ClearNearestCache();
}

namespace {

// Stands the stream at the pixel data: the data offset, or for a header-less DIB just behind
// the colour table entries not yet read. False when that position cannot be reached.
bool SeekToPixels(ByteStream& in, std::int64_t start, std::uint32_t dataOffset, std::uint64_t skipBytes)
{
    const std::int64_t target = dataOffset ? start + dataOffset : std::int64_t(in.Tell()) + std::int64_t(skipBytes);
    if (skipBytes > std::uint64_t(INT_MAX) || target > INT_MAX) return false;
    return in.Seek(std::int32_t(target), 0);
}

} // namespace

void BmpCodec::ReadIndexedPixels(ByteStream& in, const FileLayout& layout)
{
    const std::uint64_t inFile = layout.ColourTableEntries();
    const std::uint64_t unread = inFile > header.colours ? inFile - header.colours : 0;
    const bool rle = layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4;
    if (layout.compression != kCompressionNone && (!rle || layout.bitCount == 2))
        Fail("compression type not supported");
    if (!SeekToPixels(in, layout.start, layout.dataOffset, unread * layout.PaletteEntrySize())) {
        info.partial = true;
        return;
    }
    if (layout.bitCount == 2) ReadTwoBitPixels(in);
    else if (layout.compression == kCompressionNone) ReadPixelBytes(in, info.pixels, header.imageSize);
    else DecodeRle(in, layout.compression == kCompressionRle4);
}

// 2-bit rows (a Windows CE depth) widened into the 4-bit picture, one index per nibble.
void BmpCodec::ReadTwoBitPixels(ByteStream& in)
{
    const std::size_t width = std::size_t(header.width);
    std::vector<std::uint8_t> row(((width * 2 + 31) / 32) * 4);
    for (std::int32_t y = 0; y < header.height; ++y) {
        if (in.Read(row.data(), 1, row.size()) != row.size()) {
            info.partial = true;
            return;
        }
        std::uint8_t* out = info.pixels + std::size_t(y) * info.rowStride;
        for (std::size_t x = 0; x < width; ++x) {
            const int index = (row[x / 4] >> (6 - 2 * (x & 3))) & 3;
            out[x / 2] = std::uint8_t((x & 1) ? (out[x / 2] | index) : (index << 4));
        }
    }
}

void BmpCodec::ReadMaskedPixels(ByteStream& in, const FileLayout& layout)
{
    const std::uint32_t bits = layout.bitCount;
    std::uint32_t masks[3] = {};
    if (layout.compression == kCompressionBitFields) {
        if (layout.masksInHeader) {
            std::copy(layout.masks, layout.masks + 3, masks);
        } else {
            std::uint8_t raw[12] = {};
            in.Read(raw, 1, sizeof raw);
            for (int i = 0; i < 3; ++i) masks[i] = Get32(raw + 4 * std::size_t(i));
        }
    } else if (bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    } else {
        if (layout.compression != kCompressionNone) Fail("unknown compression");
        masks[0] = 0xFF0000;
        masks[1] = 0x00FF00;
        masks[2] = 0x0000FF;
    }
    const std::uint64_t tableBytes = layout.coloursUsed * std::uint64_t(layout.PaletteEntrySize());
    if (!SeekToPixels(in, layout.start, layout.dataOffset, tableBytes)) {
        info.partial = true;
        return;
    }

    const std::size_t width = std::size_t(header.width);
    const std::size_t height = std::size_t(header.height);
    if (bits == 16) {
        // The 16-bit rows are never longer than the 24-bit rows: widen them in place. Rows a
        // short file does not deliver are zero, as they would be had they been read as zero.
        const std::size_t size = ((width + 1) / 2) * 4 * height;
        ReadPixelBytes(in, info.pixels, size);
        Expand16or32Bit(info.pixels, size, masks[0], masks[1], masks[2], 16);
        return;
    }
    // The scratch rows never outgrow what the file still holds; rows it does not deliver stay
    // black in the cleared picture.
    const std::size_t stride = width * 4;
    const std::size_t size = std::min<std::uint64_t>(stride * height, std::uint64_t(in.Remaining()) + stride - 1) /
                             stride * stride;
    std::vector<std::uint8_t> rows(size);
    ReadPixelBytes(in, rows.data(), size);
    if (size < stride * height) info.partial = true;
    ExpandMaskedRows(rows.data(), size, masks[0], masks[1], masks[2], 32);
    if (iconImage) {
        if (!AlphaCreate()) Fail("Can't allocate memory");
        for (std::size_t i = 0; i < size / 4; ++i) alpha[i] = rows[4 * i + 3];
    }
}

void BmpCodec::ReadPixelBytes(ByteStream& in, std::uint8_t* target, std::size_t size)
{
    if (in.Read(target, 1, size) != size) info.partial = true;
}

void BmpCodec::DecodeRle(ByteStream& in, bool fourBit)
{
    ByteSource source(in);
    std::uint8_t* const bits = info.pixels;
    const std::int64_t total = header.imageSize;
    const std::int64_t stride = info.rowStride;
    const std::int64_t height = header.height;
    // Runs are not cut at the end of a row: they continue into the next row of the buffer.
    std::int64_t x = 0;
    std::int64_t y = 0;

    auto put = [&](std::int64_t column, int value) {
        if (!fourBit) {
            const std::int64_t offset = y * stride + column;
            if (offset < total) bits[offset] = std::uint8_t(value);
            return;
        }
        const std::int64_t offset = y * stride + column / 2;
        if (offset >= total) return;
        std::uint8_t& byte = bits[offset];
        byte = (column & 1) ? std::uint8_t((byte & 0xF0) | value) : std::uint8_t((byte & 0x0F) | (value << 4));
    };

    // The input ran out before the end-of-bitmap code.
    auto MarkCut = [this] { info.partial = true; };

    // Once y passes the last row nothing more can be written; the input also ends the image.
    while (y < height) {
        const int count = source.Next();
        const int value = source.Next();
        if (count < 0 || value < 0) return MarkCut();
        if (count > 0) {
            if (!fourBit && y * stride + x < total) {
                const std::int64_t offset = y * stride + x;
                std::memset(bits + offset, value, std::size_t(std::min<std::int64_t>(count, total - offset)));
            } else if (fourBit) {
                for (int i = 0; i < count; ++i) put(x + i, (i & 1) ? (value & 0x0F) : (value >> 4));
            }
            x += count;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            const int dx = source.Next();
            const int dy = source.Next();
            if (dx < 0 || dy < 0) return MarkCut();
            x += dx;
            y += dy;
        } else if (!fourBit) {
            for (int i = 0; i < value; ++i) {
                const int byte = source.Next();
                if (byte < 0) return MarkCut();
                put(x + i, byte);
            }
            x += value;
            if (value & 1) source.Next();
        } else {
            const int bytes = (value + 1) / 2;
            for (std::int64_t i = 0; i < bytes; ++i) {
                const int byte = source.Next();
                if (byte < 0) return MarkCut();
                put(x + 2 * i, byte >> 4);
                if (2 * i + 1 < value) put(x + 2 * i + 1, byte & 0x0F);
            }
            x += value;
            if (bytes & 1) source.Next();
        }
    }
}

bool BmpCodec::Decode(ByteStream& in)
{
    try {
        FileLayout layout;
        layout.start = in.Tell();
        std::uint8_t fileHeader[14];
        if (in.Read(fileHeader, 1, sizeof fileHeader) != sizeof fileHeader) Fail("Not a BMP");
        // An OS/2 bitmap array shows its first bitmap; its offsets count from the array's start.
        if (Get16(fileHeader) == kArrayType) {
            if (in.Read(fileHeader, 1, sizeof fileHeader) != sizeof fileHeader || Get16(fileHeader) != kBmpType)
                Fail("Not a BMP");
        }
        if (Get16(fileHeader) == kBmpType) {
            layout.dataOffset = Get32(fileHeader + 10);
        } else if (!in.Seek(std::int32_t(layout.start), 0)) {
            Fail("Not a BMP");
        }
        DecodeDib(in, layout);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

bool BmpCodec::DecodeIconImage(ByteStream& in)
{
    iconImage = true;
    try {
        FileLayout layout;
        layout.start = in.Tell();
        DecodeDib(in, layout);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

void BmpCodec::DecodeDib(ByteStream& in, FileLayout& layout)
{
    ReadInfoHeader(in, layout);

    if (!Create(layout.width, layout.height, layout.bitCount, ImageFormat::Bmp))
        Fail("Can't allocate memory");
    // The header keeps the file's own pixels-per-metre values.
    info.dpiX = std::int32_t(std::floor(layout.xPelsPerMeter * 0.0254 + 0.5));
    info.dpiY = std::int32_t(std::floor(layout.yPelsPerMeter * 0.0254 + 0.5));
    header.xPelsPerMeter = layout.xPelsPerMeter;
    header.yPelsPerMeter = layout.yPelsPerMeter;
    std::memcpy(dib, &header, sizeof header);
    if (info.escape) Fail("Cancelled");

    if (GetPalette()) ReadPalette(in, layout);
    if (info.escape) Fail("Cancelled");

    switch (layout.bitCount) {
    case 1: case 2: case 4: case 8:
        ReadIndexedPixels(in, layout);
        break;
    case 16: case 32:
        ReadMaskedPixels(in, layout);
        break;
    case 24: {
        if (layout.compression != kCompressionNone) Fail("unknown compression");
        const std::uint64_t tableBytes = layout.coloursUsed * std::uint64_t(layout.PaletteEntrySize());
        if (SeekToPixels(in, layout.start, layout.dataOffset, tableBytes))
            ReadPixelBytes(in, info.pixels, header.imageSize);
        else
            info.partial = true;
        break;
    }
    default:
        // Depths without a layout of their own keep the cleared image.
        break;
    }
    if (layout.topDown) Flip();
}

bool BmpCodec::Encode(ByteStream& out)
{
    try {
        if (!dib) Fail("Encode: no image");
        std::uint8_t fileHeader[14] = {};
        Put16(fileHeader, kBmpType);
        Put32(fileHeader + 2, 14 + GetSize());
        Put32(fileHeader + 10, 14 + 40 + GetPaletteSize());
        std::memcpy(dib, &header, sizeof header);
        if (out.Write(fileHeader, 1, sizeof fileHeader) != sizeof fileHeader || out.Write(dib, GetSize(), 1) != 1)
            Fail("Write error");
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
