#include "PcxCodec.h"

#include "ByteReader.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kVersion = 5;
constexpr std::uint8_t kRunLength = 1;
constexpr std::uint8_t kPaletteMark = 12;
constexpr std::uint32_t kLargestField = 65535;
// Count bytes carry 0xC0 in their top bits; a data byte that has them too must go as a run.
constexpr int kRunFlag = 0xC0;
constexpr std::size_t kLongestRun = 63;
constexpr std::size_t kWriteChunk = 65536;

// Appends one plane line, run-length coded: runs never cross the line's end.
void PackLine(const std::uint8_t* line, std::size_t length, std::vector<std::uint8_t>& packed)
{
    const std::size_t start = packed.size();
    packed.resize(start + 2 * length);
    std::uint8_t* out = packed.data() + start;
    for (std::size_t i = 0; i < length;) {
        const std::uint8_t value = line[i];
        std::size_t run = 1;
        while (run < kLongestRun && i + run < length && line[i + run] == value) ++run;
        if (run > 1 || value >= kRunFlag) *out++ = std::uint8_t(kRunFlag | run);
        *out++ = value;
        i += run;
    }
    packed.resize(std::size_t(out - packed.data()));
}

// Splits the picture row y into the file's plane lines (each bytesPerLine long, already zeroed
// behind the pixels): red, green, blue and alpha planes of 24-bit pictures, bit planes of 4-bit
// pictures, the row itself for 1- and 8-bit pictures.
void SplitRow(const Picture& picture, std::int32_t y, std::size_t bytesPerLine, bool invert, std::uint8_t* lines)
{
    const std::size_t width = std::size_t(picture.GetWidth());
    const std::uint8_t* row = picture.GetBits() + std::size_t(y) * picture.GetEffWidth();
    switch (picture.GetBpp()) {
    case 24:
        for (std::size_t x = 0; x < width; ++x) {
            lines[x] = row[3 * x + 2];
            lines[bytesPerLine + x] = row[3 * x + 1];
            lines[2 * bytesPerLine + x] = row[3 * x];
        }
        if (picture.GetAlpha()) std::memcpy(lines + 3 * bytesPerLine, picture.GetAlpha() + std::size_t(y) * width, width);
        break;
    case 8:
        std::memcpy(lines, row, width);
        break;
    case 4:
        std::fill(lines, lines + 4 * bytesPerLine, std::uint8_t(0));
        for (std::size_t x = 0; x < width; ++x) {
            const int index = (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
            for (std::size_t plane = 0; plane < 4; ++plane)
                if ((index >> plane) & 1) lines[plane * bytesPerLine + x / 8] |= std::uint8_t(0x80 >> (x & 7));
        }
        break;
    default: {
        const std::size_t bytes = (width + 7) / 8;
        for (std::size_t i = 0; i < bytes; ++i) lines[i] = invert ? std::uint8_t(~row[i]) : row[i];
        // Bits past the last pixel are fill, written as 0.
        if (width & 7) lines[bytes - 1] &= std::uint8_t(0xFF << (8 - (width & 7)));
    }
    }
}

} // namespace

struct PcxCodec::Layout {
    std::uint32_t bitsPerPlane = 0;
    std::uint32_t planes = 0;
    std::uint32_t bytesPerLine = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint8_t* headerPalette = nullptr;

    std::size_t LineSize() const { return std::size_t(planes) * bytesPerLine; }
    // Colour planes of 8 bits become 24-bit pixels; bit planes index a 16-colour palette.
    std::uint32_t PictureDepth() const
    {
        if (bitsPerPlane == 8) return planes == 1 ? 8 : 24;
        return planes == 1 ? bitsPerPlane : 4;
    }
};

PcxCodec::Layout PcxCodec::ReadLayout(const std::uint8_t* raw)
{
    Layout layout;
    layout.bitsPerPlane = raw[3];
    layout.planes = raw[65];
    layout.bytesPerLine = GetLittle16(raw + 66);
    layout.headerPalette = raw + 16;
    if (layout.planes > 4) Fail("Can't handle image with more than 4 planes");
    if (layout.planes == 0) Fail("corrupted PCX");
    const std::uint32_t bits = layout.bitsPerPlane;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) Fail("PCX file has unsupported bits per pixel");
    if ((bits == 2 || bits == 4) && layout.planes > 1) Fail("Can't handle packed pixels with more than 1 plane.");
    if (bits == 8 && layout.planes == 2) Fail("Can't handle more than 1 bit per pixel");

    const std::uint32_t xMin = GetLittle16(raw + 4);
    const std::uint32_t yMin = GetLittle16(raw + 6);
    const std::uint32_t xMax = GetLittle16(raw + 8);
    const std::uint32_t yMax = GetLittle16(raw + 10);
    if (xMax < xMin || yMax < yMin) Fail("corrupted PCX");
    layout.width = std::int32_t(xMax - xMin + 1);
    layout.height = std::int32_t(yMax - yMin + 1);
    if (std::uint64_t(layout.bytesPerLine) * 8 < std::uint64_t(layout.width) * bits) Fail("corrupted PCX");
    return layout;
}

// The run-length data is one run over all lines: a run may go on into the next line. Rows the
// input does not reach stay blank; false then.
bool PcxCodec::ReadRows(ByteReader& reader, const Layout& layout)
{
    const std::size_t lineSize = layout.LineSize();
    std::vector<std::uint8_t> line(lineSize + kLongestRun);
    std::size_t pending = 0;
    std::uint8_t pendingValue = 0;
    for (std::int32_t fileRow = 0; fileRow < layout.height; ++fileRow) {
        if (info.escape) Fail("Cancelled");
        std::size_t filled = 0;
        while (filled < lineSize) {
            if (pending) {
                const std::size_t n = std::min(pending, lineSize - filled);
                std::memset(line.data() + filled, pendingValue, n);
                filled += n;
                pending -= n;
                continue;
            }
            const std::span<const std::uint8_t> input = reader.Buffered();
            if (input.empty()) break;
            const std::uint8_t* in = input.data();
            const std::uint8_t* const inEnd = in + input.size();
            std::uint8_t* out = line.data() + filled;
            std::uint8_t* const outEnd = line.data() + lineSize;
            while (out < outEnd && inEnd - in >= 2) {
                const std::uint8_t code = in[0];
                if (code < kRunFlag) {
                    *out++ = code;
                    ++in;
                    continue;
                }
                // A whole longest run is stored into the slack behind the line: one fixed-size
                // fill, no call, for the short runs that photographs are full of.
                const std::size_t count = code & 0x3F;
                const std::size_t n = std::min(count, std::size_t(outEnd - out));
                std::memset(out, in[1], kLongestRun);
                out += n;
                pending = count - n;
                pendingValue = in[1];
                in += 2;
            }
            reader.Take(std::size_t(in - input.data()));
            filled = std::size_t(out - line.data());
            if (in < inEnd && out < outEnd) {
                // The last byte read ahead; a count byte's value starts the next block.
                const int code = reader.Next();
                if (code < kRunFlag) {
                    line[filled++] = std::uint8_t(code);
                    continue;
                }
                const int value = reader.Next();
                if (value < 0) break;
                pending = std::size_t(code & 0x3F);
                pendingValue = std::uint8_t(value);
            }
        }
        if (filled < lineSize) {
            if (fileRow == 0 && filled == 0) Fail("corrupted PCX");
            std::fill(line.begin() + std::ptrdiff_t(filled), line.begin() + std::ptrdiff_t(lineSize), std::uint8_t(0));
            StoreRow(layout, line.data(), layout.height - 1 - fileRow);
            SetPartial(true);
            return false;
        }
        StoreRow(layout, line.data(), layout.height - 1 - fileRow);
        info.progress = std::int32_t(std::int64_t(fileRow + 1) * 100 / layout.height);
    }
    if (pending) Fail("repeat count spans end of image");
    return true;
}

void PcxCodec::StoreRow(const Layout& layout, const std::uint8_t* line, std::int32_t y)
{
    std::uint8_t* row = info.pixels + std::size_t(y) * info.rowStride;
    const std::size_t width = std::size_t(layout.width);
    const std::size_t bytesPerLine = layout.bytesPerLine;
    if (layout.bitsPerPlane == 8 && layout.planes > 1) {
        const std::uint8_t* red = line;
        const std::uint8_t* green = line + bytesPerLine;
        const std::uint8_t* blue = line + 2 * bytesPerLine;
        for (std::size_t x = 0; x < width; ++x) {
            row[3 * x] = blue[x];
            row[3 * x + 1] = green[x];
            row[3 * x + 2] = red[x];
        }
        if (alpha) std::memcpy(alpha + std::size_t(y) * width, line + 3 * bytesPerLine, width);
        return;
    }
    if (layout.planes == 1 && layout.bitsPerPlane != 2) {
        // Packed 1-, 4- and 8-bit pixels are laid out as in the picture's rows.
        std::memcpy(row, line, (width * layout.bitsPerPlane + 7) / 8);
        return;
    }
    for (std::size_t x = 0; x < width; ++x) {
        int index = 0;
        if (layout.planes == 1) {
            index = (line[x / 4] >> (6 - 2 * (x & 3))) & 3;
        } else {
            // Bit k of the index comes from plane k.
            for (std::size_t plane = 0; plane < layout.planes; ++plane)
                index |= ((line[plane * bytesPerLine + x / 8] >> (7 - (x & 7))) & 1) << plane;
        }
        row[x / 2] = std::uint8_t((x & 1) ? (row[x / 2] | index) : (index << 4));
    }
}

void PcxCodec::ReadPalette(ByteReader& reader, const Layout& layout, bool wholeImage)
{
    if (layout.bitsPerPlane == 8 && layout.planes == 1) {
        // The palette follows the rows; a cut file has none, and grey shows its shapes.
        if (!wholeImage) {
            SetGrayPalette();
            return;
        }
        if (reader.Next() != kPaletteMark) Fail("bad color map signature");
        std::uint8_t rgb[256 * 3];
        const std::size_t got = reader.Read(rgb, sizeof rgb);
        SetPaletteFromTriples(rgb, std::uint32_t(got / 3));
        if (got < sizeof rgb) SetPartial(true);
        return;
    }
    if (layout.bitsPerPlane == 1 && layout.planes == 1) {
        // 1-bit files show black and white: their header palette is often left empty or
        // holds screen colours, but where its first colour is the brighter, index 0 is white.
        const std::uint8_t* p = layout.headerPalette;
        const bool firstBrighter = CompareLuminance(RgbQuad{p[2], p[1], p[0], 0}, RgbQuad{p[5], p[4], p[3], 0}) > 0;
        const std::uint8_t first = firstBrighter ? 255 : 0;
        SetPaletteEntry(0, first, first, first);
        SetPaletteEntry(1, std::uint8_t(~first), std::uint8_t(~first), std::uint8_t(~first));
        return;
    }
    if (GetPalette()) SetPaletteFromTriples(layout.headerPalette, 16);
}

bool PcxCodec::Decode(ByteStream& in)
{
    try {
        std::uint8_t raw[kHeaderSize];
        if (in.Read(raw, 1, sizeof raw) != sizeof raw) Fail("Can't read PCX image");
        if (raw[0] != kManufacturer) Fail("Error: Not a PCX file");
        if (raw[2] != kRunLength) Fail("PCX file has unknown encoding scheme");
        SetDpiX(std::int32_t(GetLittle16(raw + 12)));
        SetDpiY(std::int32_t(GetLittle16(raw + 14)));
        const Layout layout = ReadLayout(raw);

        if (!Create(layout.width, layout.height, layout.PictureDepth(), ImageFormat::Pcx))
            Fail(*GetLastError() ? GetLastError() : "Can't allocate memory");
        if (layout.bitsPerPlane == 8 && layout.planes == 4 && !AlphaCreate()) Fail("Can't allocate memory");
        if (info.escape) Fail("Cancelled");

        ByteReader reader(in);
        const bool wholeImage = ReadRows(reader, layout);
        ReadPalette(reader, layout, wholeImage);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

bool PcxCodec::Encode(ByteStream& out)
{
    try {
        if (!dib) Fail("Encode: no image");
        const std::uint32_t depth = header.bitsPerPixel;
        const auto width = std::uint32_t(header.width);
        const auto height = std::uint32_t(header.height);
        const std::uint32_t bits = depth >= 8 ? 8 : 1;
        const std::uint32_t planes = depth == 24 ? (alpha ? 4 : 3) : depth == 4 ? 4 : 1;
        std::uint32_t bytesPerLine = bits == 8 ? width : (width + 7) / 8;
        bytesPerLine += bytesPerLine & 1;
        if (width > kLargestField || height > kLargestField || bytesPerLine > kLargestField)
            Fail("Image too large for PCX");

        std::uint8_t raw[kHeaderSize] = {};
        raw[0] = kManufacturer;
        raw[1] = kVersion;
        raw[2] = kRunLength;
        raw[3] = std::uint8_t(bits);
        PutLittle16(raw + 8, width - 1);
        PutLittle16(raw + 10, height - 1);
        PutLittle16(raw + 12, std::uint32_t(std::clamp<std::int32_t>(info.dpiX, 0, kLargestField)));
        PutLittle16(raw + 14, std::uint32_t(std::clamp<std::int32_t>(info.dpiY, 0, kLargestField)));
        const RgbQuad* palette = GetPalette();
        if (depth == 4) {
            for (std::size_t i = 0; i < 16; ++i) {
                raw[16 + 3 * i] = palette[i].red;
                raw[17 + 3 * i] = palette[i].green;
                raw[18 + 3 * i] = palette[i].blue;
            }
        } else if (depth == 1) {
            std::fill(raw + 19, raw + 22, std::uint8_t(255));
        }
        raw[65] = std::uint8_t(planes);
        PutLittle16(raw + 66, bytesPerLine);
        if (out.Write(raw, 1, sizeof raw) != sizeof raw) Fail("cannot write PCX header");

        // The header palette of 1-bit files is black, white: a picture whose first colour is
        // the brighter goes out with its bits inverted.
        const bool invert = depth == 1 && CompareLuminance(palette[0], palette[1]) > 0;
        std::vector<std::uint8_t> lines(std::size_t(planes) * bytesPerLine);
        std::vector<std::uint8_t> packed;
        packed.reserve(kWriteChunk + 2 * lines.size());
        auto flush = [&] {
            if (out.Write(packed.data(), 1, packed.size()) != packed.size()) Fail("cannot write PCX data");
            packed.clear();
        };
        for (std::uint32_t fileRow = 0; fileRow < height; ++fileRow) {
            SplitRow(*this, std::int32_t(height - 1 - fileRow), bytesPerLine, invert, lines.data());
            for (std::uint32_t plane = 0; plane < planes; ++plane)
                PackLine(lines.data() + std::size_t(plane) * bytesPerLine, bytesPerLine, packed);
            if (packed.size() >= kWriteChunk) flush();
        }
        if (depth == 8) {
            packed.push_back(kPaletteMark);
            for (std::size_t i = 0; i < 256; ++i) packed.insert(packed.end(), {palette[i].red, palette[i].green, palette[i].blue});
        }
        flush();
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
