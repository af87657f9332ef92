#include "TgaCodec.h"

#include "ByteReader.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint32_t kColourMapped = 1;
constexpr std::uint32_t kTrueColour = 2;
constexpr std::uint32_t kGrey = 3;
constexpr std::uint32_t kRunLengthFlag = 8;
constexpr std::uint8_t kTopDown = 0x20;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint32_t kLargestMap = 256;
constexpr std::uint32_t kLargestField = 65535;
constexpr std::size_t kWriteChunk = 65536;

bool IsColourSize(std::uint32_t bits)
{
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// 15- and 16-bit colours are 5-5-5 with blue lowest; the top bit is an attribute, not colour.
// Longer ones are blue, green, red (and alpha).
RgbQuad FileColour(const std::uint8_t* p, std::size_t bytes)
{
    if (bytes == 2) {
        const std::uint32_t w = GetLittle16(p);
        return RgbQuad{std::uint8_t((w << 3) & 0xF8), std::uint8_t((w >> 2) & 0xF8), std::uint8_t((w >> 7) & 0xF8), 0};
    }
    return RgbQuad{p[0], p[1], p[2], 0};
}

// State of a run-length packet: packets go on across rows.
struct Packet {
    std::size_t left = 0;
    bool run = false;
    std::uint8_t value[4] = {};
};

// Unpacks up to count pixels; fewer only at the end of the input.
std::size_t ReadPackets(ByteReader& reader, Packet& packet, std::uint8_t* out, std::size_t count, std::size_t pixelBytes)
{
    std::size_t done = 0;
    while (done < count) {
        if (packet.left == 0) {
            const int head = reader.Next();
            if (head < 0) break;
            packet.left = std::size_t(head & 0x7F) + 1;
            packet.run = (head & 0x80) != 0;
            if (packet.run && reader.Read(packet.value, pixelBytes) != pixelBytes) {
                packet.left = 0;
                break;
            }
        }
        const std::size_t n = std::min(packet.left, count - done);
        std::uint8_t* at = out + done * pixelBytes;
        if (!packet.run) {
            const std::size_t got = reader.Read(at, n * pixelBytes) / pixelBytes;
            done += got;
            packet.left -= got;
            if (got < n) break;
            continue;
        }
        if (pixelBytes == 1) {
            std::memset(at, packet.value[0], n);
        } else {
            for (std::size_t i = 0; i < n; ++i, at += pixelBytes) std::memcpy(at, packet.value, pixelBytes);
        }
        done += n;
        packet.left -= n;
    }
    return done;
}

} // namespace

struct TgaCodec::Header {
    std::uint32_t idLength = 0;
    std::uint32_t mapType = 0;
    std::uint32_t imageType = 0;
    std::uint32_t mapFirst = 0;
    std::uint32_t mapLength = 0;
    std::uint32_t mapEntryBits = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;
    std::uint8_t descriptor = 0;

    std::uint32_t Kind() const { return imageType & ~kRunLengthFlag; }
    bool RunLength() const { return (imageType & kRunLengthFlag) != 0; }
    std::size_t PixelBytes() const { return (depth + 7) / 8; }
    std::size_t MapEntryBytes() const { return (mapEntryBits + 7) / 8; }
    bool GreyWithAlpha() const { return Kind() == kGrey && depth == 16; }
};

// Tight enough that files of other formats tried after this one are not taken for it.
TgaCodec::Header TgaCodec::ReadHeader(ByteStream& in)
{
    std::uint8_t raw[kHeaderSize];
    if (in.Read(raw, 1, sizeof raw) != sizeof raw) Fail("Not a TGA");
    Header tga;
    tga.idLength = raw[0];
    tga.mapType = raw[1];
    tga.imageType = raw[2];
    tga.mapFirst = GetLittle16(raw + 3);
    tga.mapLength = GetLittle16(raw + 5);
    tga.mapEntryBits = raw[7];
    tga.width = GetLittle16(raw + 12);
    tga.height = GetLittle16(raw + 14);
    tga.depth = raw[16];
    tga.descriptor = raw[17];

    const std::uint32_t kind = tga.Kind();
    if (kind < kColourMapped || kind > kGrey) Fail("Unknown TGA image type");
    const bool depthFits = kind == kColourMapped ? tga.depth == 8
                           : kind == kTrueColour ? IsColourSize(tga.depth)
                                                 : tga.depth == 8 || tga.depth == 16;
    // A true-colour or grey image may carry a map for other programs; it is read past.
    const bool mapFits = tga.mapType == 0 ? kind != kColourMapped && (tga.mapEntryBits == 0 || IsColourSize(tga.mapEntryBits))
                                          : tga.mapType == 1 && IsColourSize(tga.mapEntryBits) &&
                                                tga.mapLength <= kLargestMap &&
                                                (kind != kColourMapped || tga.mapLength > 0);
    if (tga.width == 0 || tga.height == 0 || !depthFits || !mapFits) Fail("bad TGA header");
    return tga;
}

void TgaCodec::ReadColourMap(ByteReader& reader, const Header& tga)
{
    if (tga.mapType == 0) return;
    const std::size_t entryBytes = tga.MapEntryBytes();
    std::uint8_t raw[kLargestMap * 4];
    const std::size_t size = tga.mapLength * entryBytes;
    if (reader.Read(raw, size) != size) Fail("corrupted TGA");
    if (tga.Kind() != kColourMapped) return;
    // Entry i stands for pixel value first + i; 8-bit pixels reach no entry beyond 255.
    for (std::uint32_t i = 0; i < tga.mapLength && tga.mapFirst + i < kLargestMap; ++i)
        SetPaletteColor(tga.mapFirst + i, FileColour(raw + i * entryBytes, entryBytes));
}

// Widens file pixels that are not laid out as the picture's: 15/16-bit colour, 32-bit colour
// with alpha, 16-bit grey with alpha.
void TgaCodec::StoreRow(const Header& tga, const std::uint8_t* pixels, std::size_t count, std::int32_t y)
{
    std::uint8_t* row = info.pixels + std::size_t(y) * info.rowStride;
    std::uint8_t* rowAlpha = alpha ? alpha + std::size_t(y) * std::size_t(header.width) : nullptr;
    const std::size_t pixelBytes = tga.PixelBytes();
    if (tga.GreyWithAlpha()) {
        for (std::size_t x = 0; x < count; ++x) {
            row[x] = pixels[2 * x];
            rowAlpha[x] = pixels[2 * x + 1];
        }
        return;
    }
    for (std::size_t x = 0; x < count; ++x) {
        const std::uint8_t* p = pixels + x * pixelBytes;
        const RgbQuad colour = FileColour(p, pixelBytes);
        row[3 * x] = colour.blue;
        row[3 * x + 1] = colour.green;
        row[3 * x + 2] = colour.red;
        if (pixelBytes == 4) rowAlpha[x] = p[3];
    }
}

void TgaCodec::ReadPixels(ByteReader& reader, const Header& tga)
{
    const std::size_t width = tga.width;
    const std::size_t pixelBytes = tga.PixelBytes();
    // 8- and 24-bit file pixels are the picture's own and go straight into its rows.
    const bool direct = pixelBytes * 8 == header.bitsPerPixel;
    std::vector<std::uint8_t> scratch(direct ? 0 : width * pixelBytes);
    Packet packet;
    for (std::uint32_t fileRow = 0; fileRow < tga.height; ++fileRow) {
        if (info.escape) Fail("Cancelled");
        const auto y = std::int32_t((tga.descriptor & kTopDown) ? tga.height - 1 - fileRow : fileRow);
        std::uint8_t* target = direct ? info.pixels + std::size_t(y) * info.rowStride : scratch.data();
        const std::size_t got = tga.RunLength() ? ReadPackets(reader, packet, target, width, pixelBytes)
                                                : reader.Read(target, width * pixelBytes) / pixelBytes;
        if (direct) {
            // A pixel cut in the middle is not shown.
            std::fill(target + got * pixelBytes, target + width * pixelBytes, std::uint8_t(0));
        } else {
            StoreRow(tga, scratch.data(), got, y);
        }
        if (got < width) {
            if (fileRow == 0 && got == 0) Fail("corrupted TGA");
            SetPartial(true);
            return;
        }
        info.progress = std::int32_t(std::uint64_t(fileRow + 1) * 100 / tga.height);
    }
}

bool TgaCodec::Decode(ByteStream& in)
{
    try {
        const Header tga = ReadHeader(in);
        ByteReader reader(in);
        if (reader.Read(nullptr, tga.idLength) != tga.idLength) Fail("corrupted TGA");
        const bool colour = tga.Kind() == kTrueColour;
        if (!Create(std::int32_t(tga.width), std::int32_t(tga.height), colour ? 24 : 8, ImageFormat::Tga))
            Fail("TGA Create failed");
        if ((tga.depth == 32 || tga.GreyWithAlpha()) && !AlphaCreate()) Fail("TGA Create failed");
        if (info.escape) Fail("Cancelled");
        ReadColourMap(reader, tga);
        if (tga.Kind() == kGrey) SetGrayPalette();
        ReadPixels(reader, tga);
        if (tga.descriptor & kRightToLeft) Mirror();
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

bool TgaCodec::Encode(ByteStream& out)
{
    try {
        if (!dib) Fail("Encode: no image");
        const std::uint32_t depth = header.bitsPerPixel;
        if (depth < 8) Fail("Bit depth must be 8 or 24");
        const auto width = std::uint32_t(header.width);
        const auto height = std::uint32_t(header.height);
        if (width > kLargestField || height > kLargestField) Fail("Image too large for TGA");
        const bool mapped = depth == 8;
        const bool withAlpha = !mapped && alpha;

        std::uint8_t raw[kHeaderSize] = {};
        raw[1] = mapped ? 1 : 0;
        raw[2] = std::uint8_t(mapped ? kColourMapped : kTrueColour);
        if (mapped) {
            PutLittle16(raw + 5, kLargestMap);
            raw[7] = 24;
        }
        PutLittle16(raw + 12, width);
        PutLittle16(raw + 14, height);
        raw[16] = mapped ? 8 : withAlpha ? 32 : 24;
        // The descriptor counts the alpha bits of each pixel.
        raw[17] = withAlpha ? 8 : 0;

        std::vector<std::uint8_t> data(raw, raw + kHeaderSize);
        data.reserve(kWriteChunk + 4 * std::size_t(width));
        if (mapped) {
            const RgbQuad* palette = GetPalette();
            for (std::size_t i = 0; i < kLargestMap; ++i) data.insert(data.end(), {palette[i].blue, palette[i].green, palette[i].red});
        }
        auto flush = [&] {
            if (out.Write(data.data(), 1, data.size()) != data.size()) Fail("cannot write TGA data");
            data.clear();
        };
        // Rows bottom first, as the picture holds them.
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* row = info.pixels + std::size_t(y) * info.rowStride;
            if (!withAlpha) {
                data.insert(data.end(), row, row + std::size_t(width) * (mapped ? 1 : 3));
            } else {
                const std::uint8_t* rowAlpha = alpha + std::size_t(y) * width;
                for (std::size_t x = 0; x < width; ++x)
                    data.insert(data.end(), {row[3 * x], row[3 * x + 1], row[3 * x + 2],
                                             std::uint8_t(rowAlpha[x] * info.alphaMax / 255)});
            }
            if (data.size() >= kWriteChunk) flush();
        }
        flush();
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
