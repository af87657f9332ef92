#include "JpegSectionReader.h"

#include "ByteStream.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kStartOfScan = 0xDA;
constexpr int kEndOfImage = 0xD9;
constexpr int kApp0 = 0xE0;
constexpr int kApp1 = 0xE1;
constexpr int kComment = 0xFE;

constexpr std::uint16_t kTagXResolution = 0x011A;
constexpr std::uint16_t kTagYResolution = 0x011B;
constexpr std::uint16_t kTagResolutionUnit = 0x0128;
constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagExifDirectory = 0x8769;
constexpr std::uint16_t kTagInteropDirectory = 0xA005;

constexpr std::size_t kBytesPerFormat[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
constexpr int kLastFormat = 12;

// Directory links can point anywhere, also back to themselves; a chain deeper than this is
// not a camera's.
constexpr int kMaxDirectoryDepth = 32;

// The two notes the section reader prints are part of its known behaviour, which scripts may
// read: the only text the image layer ever writes, and so kept in one place.
void PrintNote(const char* text)
{
    std::fputs(text, stdout);
}

} // namespace

bool JpegSectionReader::Problem(const char* text)
{
    problem = text;
    return false;
}

bool JpegSectionReader::ReadSections(ByteStream& in)
{
    if (in.GetC() != 0xFF || in.GetC() != 0xD8) return false;
    bool haveComment = false;
    while (sections.size() < kMaxSections) {
        int marker = 0;
        for (int padding = 0;; ++padding) {
            marker = in.GetC();
            if (marker != 0xFF) break;
            if (padding >= 6) {
                PrintNote("too many padding bytes\n");
                return false;
            }
        }
        const int high = in.GetC();
        const int low = in.GetC();
        if (marker < 0 || high < 0 || low < 0) return Problem("Premature end of file?");
        const std::size_t length = std::size_t(high) << 8 | std::size_t(low);
        if (length < 2) return Problem("invalid marker");

        Section section;
        section.marker = marker;
        section.bytes.resize(length);
        section.bytes[0] = std::uint8_t(high);
        section.bytes[1] = std::uint8_t(low);
        if (in.Read(section.bytes.data() + 2, 1, length - 2) != length - 2) return Problem("Premature end of file?");
        const std::span<const std::uint8_t> data(section.bytes.data() + 2, length - 2);

        switch (marker) {
        case kStartOfScan:
            sections.push_back(std::move(section));
            return true;
        case kEndOfImage:
            PrintNote("No image in jpeg!\n");
            return false;
        case kApp1:
            if (data.size() >= 4 && std::memcmp(data.data(), "Exif", 4) == 0) {
                summary.isExif = ProcessExif(data);
                sections.push_back(std::move(section));
            }
            break;
        case kApp0:
            break;
        case kComment:
            if (!haveComment) sections.push_back(std::move(section));
            haveComment = true;
            break;
        default:
            sections.push_back(std::move(section));
            break;
        }
    }
    return Problem("Too many sections in jpg file");
}

bool JpegSectionReader::ProcessExif(std::span<const std::uint8_t> section)
{
    static constexpr std::uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (section.size() < 14 || !std::equal(std::begin(kHeader), std::end(kHeader), section.begin()))
        return Problem("Incorrect Exif header");
    tiff = section.subspan(6);
    if (tiff[0] == 'I' && tiff[1] == 'I') bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M') bigEndian = true;
    else return Problem("Invalid Exif alignment marker.");
    if (Get16(2) != 42) return Problem("Invalid Exif start (1)");
    const std::uint32_t first = Get32(4);
    if (first < 8 || first > 16) return Problem("Suspicious offset of first IFD value");
    visited.clear();
    return WalkDirectory(first, 0, false);
}

std::uint16_t JpegSectionReader::Get16(std::size_t offset) const
{
    const std::uint8_t* p = tiff.data() + offset;
    return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

std::uint32_t JpegSectionReader::Get32(std::size_t offset) const
{
    const std::uint8_t* p = tiff.data() + offset;
    return bigEndian ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]
                     : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

// The first component of a value; the caller has checked that it lies inside the block.
double JpegSectionReader::NumberAt(std::size_t offset, int format) const
{
    switch (format) {
    case 1:
        return tiff[offset];
    case 3:
        return Get16(offset);
    case 4:
        return Get32(offset);
    case 5:
    case 10: {
        const auto numerator = std::int32_t(Get32(offset));
        const auto denominator = std::int32_t(Get32(offset + 4));
        return denominator == 0 ? 0.0 : double(numerator) / double(denominator);
    }
    case 6:
        return std::int8_t(tiff[offset]);
    case 8:
        return std::int16_t(Get16(offset));
    case 9:
        return std::int32_t(Get32(offset));
    case 11:
        return std::bit_cast<float>(Get32(offset));
    case 12: {
        const std::uint64_t high = Get32(bigEndian ? offset : offset + 4);
        const std::uint64_t low = Get32(bigEndian ? offset + 4 : offset);
        return std::bit_cast<double>(high << 32 | low);
    }
    default:
        return 0;
    }
}

bool JpegSectionReader::IsLinkInside(std::uint32_t link) const
{
    return link <= tiff.size();
}

bool JpegSectionReader::WalkDirectory(std::size_t start, int depth, bool thumbnail)
{
    if (depth > kMaxDirectoryDepth || std::find(visited.begin(), visited.end(), start) != visited.end())
        return Problem("Illegal subdirectory link");
    visited.push_back(start);

    const std::size_t length = tiff.size();
    if (start + 2 > length) return Problem("Illegally sized directory");
    const std::size_t entries = Get16(start);
    const std::size_t end = start + 2 + 12 * entries;
    if (end > length) return Problem("Illegally sized directory");

    for (std::size_t entry = start + 2; entry < end; entry += 12) {
        const std::uint16_t tag = Get16(entry);
        const int format = Get16(entry + 2);
        if (format > kLastFormat) return Problem("Illegal format code in EXIF dir");
        const std::uint64_t size = std::uint64_t(Get32(entry + 4)) * kBytesPerFormat[format];
        std::size_t valueOffset = entry + 8;
        if (size > 4) {
            const std::uint32_t offset = Get32(entry + 8);
            if (std::uint64_t(offset) + size > length) return Problem("Illegal pointer offset value in EXIF.");
            valueOffset = offset;
        }
        // A short value (count 0) still has its four bytes in the entry.
        const bool readable = valueOffset + std::max<std::size_t>(kBytesPerFormat[format], 1) <= length;

        switch (tag) {
        case kTagXResolution:
            if (readable && !thumbnail) summary.xResolution = float(NumberAt(valueOffset, format));
            break;
        case kTagYResolution:
            if (readable && !thumbnail) summary.yResolution = float(NumberAt(valueOffset, format));
            break;
        case kTagResolutionUnit:
            if (readable && !thumbnail) {
                const double unit = NumberAt(valueOffset, format);
                if (unit == 1 || unit == 2) summary.resolutionUnitFactor = 1.0f;
                else if (unit == 3) summary.resolutionUnitFactor = 0.3937007784843445f;
                else if (unit == 4) summary.resolutionUnitFactor = 0.03937007859349251f;
                else if (unit == 5) summary.resolutionUnitFactor = 0.00003937007932108827f;
            }
            break;
        case kTagOrientation:
            if (readable) {
                const double orientation = NumberAt(valueOffset, format);
                if (orientation < 1 || orientation > 8) problem = "Undefined rotation value";
                else if (!thumbnail) summary.orientation = std::uint8_t(orientation);
            }
            break;
        case kTagExifDirectory:
        case kTagInteropDirectory: {
            const std::uint32_t link = Get32(entry + 8);
            if (!IsLinkInside(link)) return Problem("Illegal subdirectory link");
            WalkDirectory(link, depth + 1, thumbnail);
            break;
        }
        default:
            break;
        }
    }

    if (end + 4 <= length) {
        const std::uint32_t next = Get32(end);
        if (next != 0) {
            if (!IsLinkInside(next)) return Problem("Illegal subdirectory link");
            WalkDirectory(next, depth + 1, true);
        }
    }
    return true;
}
