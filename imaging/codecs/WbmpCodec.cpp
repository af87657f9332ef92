#include "WbmpCodec.h"

#include "ByteReader.h"

#include <vector>

namespace {

constexpr std::uint8_t kType = 0;
// Width and height are stored 7 bits a byte, high bit set on every byte but the last; five
// bytes hold any size a picture can have.
constexpr int kMoreFollows = 0x80;
constexpr int kLongestNumber = 5;
constexpr std::uint32_t kLargestSide = 0x7FFFFFFF;
constexpr std::size_t kWriteChunk = 65536;

constexpr std::int64_t kCut = -1;
constexpr std::int64_t kTooLong = -2;

// The number, kCut when the input ends inside it, kTooLong when it is larger than any side.
std::int64_t ReadNumber(ByteReader& reader)
{
    std::int64_t value = 0;
    for (int i = 0; i < kLongestNumber; ++i) {
        const int byte = reader.Next();
        if (byte < 0) return kCut;
        value = (value << 7) | (byte & ~kMoreFollows);
        if (value > kLargestSide) return kTooLong;
        if (!(byte & kMoreFollows)) return value;
    }
    return kTooLong;
}

void PutNumber(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    int groups = 1;
    while (groups < kLongestNumber && (value >> (7 * groups)) != 0) ++groups;
    for (int i = groups - 1; i >= 0; --i)
        out.push_back(std::uint8_t(((value >> (7 * i)) & 0x7F) | (i ? kMoreFollows : 0)));
}

} // namespace

void WbmpCodec::ReadRows(ByteReader& reader)
{
    const std::size_t rowBytes = (std::size_t(header.width) + 7) / 8;
    for (std::int32_t fileRow = 0; fileRow < header.height; ++fileRow) {
        if (info.escape) Fail("Cancelled");
        std::uint8_t* row = info.pixels + std::size_t(header.height - 1 - fileRow) * info.rowStride;
        const std::size_t got = reader.Read(row, rowBytes);
        if (got < rowBytes) {
            if (fileRow == 0 && got == 0) Fail("Corrupted WBMP");
            SetPartial(true);
            return;
        }
        info.progress = std::int32_t(std::int64_t(fileRow + 1) * 100 / header.height);
    }
}

bool WbmpCodec::Decode(ByteStream& in)
{
    try {
        ByteReader reader(in);
        const int type = reader.Next();
        const int fixedHeader = reader.Next();
        if (type < 0 || fixedHeader < 0) Fail("Not a WBMP");
        if (type != kType) Fail("Unsupported WBMP type");
        const std::int64_t width = ReadNumber(reader);
        const std::int64_t height = ReadNumber(reader);
        if (width == kCut || height == kCut) Fail("Not a WBMP");
        if (width <= 0 || height <= 0) Fail("Corrupted WBMP");
        if (!Create(std::int32_t(width), std::int32_t(height), 1, ImageFormat::Wbmp)) Fail("WBMP Create failed");
        SetPaletteEntry(0, 0, 0, 0);
        SetPaletteEntry(1, 255, 255, 255);
        ReadRows(reader);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

bool WbmpCodec::Encode(ByteStream& out)
{
    try {
        if (!dib || header.bitsPerPixel != 1) Fail("Can't save this image as WBMP");
        const auto width = std::uint32_t(header.width);
        const auto height = std::uint32_t(header.height);
        // The file's 1 is white: a picture whose first colour is the brighter goes out inverted.
        const RgbQuad* palette = GetPalette();
        const std::uint8_t flip = CompareLuminance(palette[0], palette[1]) > 0 ? 0xFF : 0x00;
        const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
        const auto lastByteMask = std::uint8_t(0xFF << ((8 - width % 8) % 8));

        std::vector<std::uint8_t> data = {kType, 0};
        PutNumber(data, width);
        PutNumber(data, height);
        data.reserve(kWriteChunk + rowBytes);
        auto flush = [&] {
            if (out.Write(data.data(), 1, data.size()) != data.size()) Fail("cannot write WBMP data");
            data.clear();
        };
        for (std::uint32_t fileRow = 0; fileRow < height; ++fileRow) {
            const std::uint8_t* row = info.pixels + std::size_t(height - 1 - fileRow) * info.rowStride;
            for (std::size_t i = 0; i < rowBytes; ++i) data.push_back(std::uint8_t(row[i] ^ flip));
            // Bits past the last pixel are fill, written as 0.
            data.back() &= lastByteMask;
            if (data.size() >= kWriteChunk) flush();
        }
        flush();
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
