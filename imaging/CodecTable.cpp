#include "CodecTable.h"

#include "BmpCodec.h"
#include "GifCodec.h"
#include "IcoCodec.h"
#include "JpegCodec.h"
#include "PcxCodec.h"
#include "PngCodec.h"
#include "TgaCodec.h"
#include "TiffCodec.h"
#include "WbmpCodec.h"
#include "WmfCodec.h"

#include <algorithm>
#include <cctype>

namespace {

template <class Codec>
std::unique_ptr<ImageCodec> Make()
{
    return std::make_unique<Codec>();
}

using F = ImageFormat;

// Content is tried in this order: formats with strict signatures first, the lenient TGA header
// before PCX and WBMP, metafiles last.
constexpr CodecEntry kCodecs[] = {
    {F::Bmp, "bmp", "bmp dib", false, true, Make<BmpCodec>},
    {F::Jpg, "jpg", "jpg jpeg jpe jif jfif", false, true, Make<JpegCodec>},
    {F::Ico, "ico", "ico cur", true, true, Make<IcoCodec>},
    {F::Gif, "gif", "gif", true, true, Make<GifCodec>},
    {F::Png, "png", "png", false, true, Make<PngCodec>},
    {F::Tif, "tif", "tif tiff", true, true, Make<TiffCodec>},
    {F::Tga, "tga", "tga", false, true, Make<TgaCodec>},
    {F::Pcx, "pcx", "pcx", false, true, Make<PcxCodec>},
    {F::Wbmp, "wbmp", "wbmp", false, true, Make<WbmpCodec>},
    {F::Wmf, "wmf", "wmf emf", false, false, Make<WmfCodec>},
};

constexpr bool InTryOrder()
{
    constexpr F order[] = {F::Bmp, F::Jpg, F::Ico, F::Gif, F::Png, F::Tif, F::Tga, F::Pcx, F::Wbmp, F::Wmf};
    if (std::size(order) != std::size(kCodecs)) return false;
    for (std::size_t i = 0; i < std::size(order); ++i)
        if (kCodecs[i].format != order[i]) return false;
    return true;
}
static_assert(InTryOrder(), "rows out of the order unknown data is tried in");

constexpr bool EachFormatOnce()
{
    for (std::uint32_t value = 1; value <= std::size(kCodecs); ++value) {
        int rows = 0;
        for (const CodecEntry& entry : kCodecs) rows += static_cast<std::uint32_t>(entry.format) == value;
        if (rows != 1) return false;
    }
    return true;
}
static_assert(EachFormatOnce(), "every format number 1..N has exactly one row");

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool HasExtension(const CodecEntry& entry, std::string_view extension)
{
    std::string_view list = entry.extensions;
    while (!list.empty()) {
        const auto space = list.find(' ');
        if (SameIgnoringCase(list.substr(0, space), extension)) return true;
        list = space == std::string_view::npos ? std::string_view() : list.substr(space + 1);
    }
    return false;
}

} // namespace

std::span<const CodecEntry> CodecTable()
{
    return kCodecs;
}

const CodecEntry* FindCodecEntry(ImageFormat format)
{
    for (const CodecEntry& entry : kCodecs)
        if (entry.format == format) return &entry;
    return nullptr;
}

ImageFormat FormatFromExtension(std::string_view extension)
{
    for (const CodecEntry& entry : kCodecs)
        if (SameIgnoringCase(entry.name, extension) || HasExtension(entry, extension)) return entry.format;
    return ImageFormat::Unknown;
}

ImageFormat FormatFromPath(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return ImageFormat::Unknown;
    return FormatFromExtension(path.substr(dot + 1));
}

const char* FormatName(ImageFormat format)
{
    const CodecEntry* entry = FindCodecEntry(format);
    return entry ? entry->name : "unknown";
}

std::unique_ptr<ImageCodec> CreateCodec(ImageFormat format)
{
    const CodecEntry* entry = FindCodecEntry(format);
    return entry && entry->make ? entry->make() : nullptr;
}
