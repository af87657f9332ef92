// Images: decodes through the dispatcher and checks what a crash alone would not show: a picture's size,
// stride and palette agree with its block, encoding leaves the picture untouched, and what we
// write reads back.
#include "FuzzTargets.h"

#include "CodecTable.h"
#include "MemoryStream.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

void CheckPicture(const Picture& picture)
{
    const BitmapInfoHeader& header = picture.GetHeader();
    const std::uint32_t bits = picture.GetBpp();
    Require(picture.IsValid() && picture.GetWidth() > 0 && picture.GetHeight() > 0, "a decoded picture has pixels");
    Require(bits == 1 || bits == 4 || bits == 8 || bits == 24, "depth is 1, 4, 8 or 24");
    const std::uint64_t stride = (std::uint64_t(picture.GetWidth()) * bits + 31) / 32 * 4;
    Require(picture.GetEffWidth() == stride, "row stride fits the width");
    Require(header.imageSize == stride * std::uint64_t(picture.GetHeight()), "image size is stride x height");
    Require(bits == 24 ? picture.GetNumColors() == 0 : picture.GetNumColors() <= (1u << bits), "palette fits the depth");
    Require(picture.GetBits() == picture.GetDib() + 40 + picture.GetPaletteSize(), "rows follow the palette");
    BitmapInfoHeader stored;
    std::memcpy(&stored, picture.GetDib(), sizeof stored);
    Require(stored.width == header.width && stored.height == header.height && stored.bitsPerPixel == bits,
            "the block's header tells the picture's size");
    // Reading the last byte of every plane lets the sanitizer see a block shorter than its header says.
    volatile std::uint8_t sink = picture.GetBits()[header.imageSize - 1];
    const std::size_t plane = std::size_t(picture.GetWidth()) * std::size_t(picture.GetHeight());
    if (picture.GetAlpha()) sink = picture.GetAlpha()[plane - 1];
    (void)sink;
}

// The round trip runs the same code at any size, so above this it only costs time: a long 24-bit
// strip goes out as a GIF mosaic with a colour table per tile, several times the work of its decode.
constexpr std::uint64_t kRoundTripPixels = std::uint64_t(1) << 16;

} // namespace

void FuzzImage(ImageFormat format, const std::uint8_t* data, std::size_t size)
{
    MemoryStream in(data, size);
    Picture picture;
    if (!picture.Decode(in, format)) {
        Require(picture.GetLastError()[0] != '\0', "a failed decode says why");
        return;
    }
    CheckPicture(picture);

    const CodecEntry* entry = FindCodecEntry(picture.GetType());
    if (!entry || !entry->writable) return;
    if (std::uint64_t(picture.GetWidth()) * picture.GetHeight() > kRoundTripPixels) return;
    const std::vector<std::uint8_t> before(picture.GetDib(), picture.GetDib() + picture.GetSize());
    MemoryStream out;
    // Room up front: the stream grows in small steps, and under the sanitizer every step copies.
    // The largest writer, a GIF mosaic with a colour table per tile, takes over 20 bytes a pixel
    // when the picture is a few rows high.
    out.Reserve(std::size_t(picture.GetWidth()) * picture.GetHeight() * 32 + 65536);
    const bool encoded = picture.Encode(out, entry->format);
    Require(std::memcmp(before.data(), picture.GetDib(), before.size()) == 0, "encoding leaves the picture unchanged");
    if (!encoded) return;

    MemoryStream written(out.GetBuffer(), std::size_t(out.Size()));
    Picture again;
    Require(again.Decode(written, entry->format), "what we write reads back");
    Require(again.GetWidth() == picture.GetWidth() && again.GetHeight() == picture.GetHeight(),
            "what we write reads back at its size");
    CheckPicture(again);
}

FuzzTarget FindFuzzTarget(std::string_view name)
{
    using namespace std::placeholders;
    if (name == "exif") return FuzzExif;
    if (name == "regdoc") return FuzzSettingsDocument;
    if (name == "any") return std::bind(FuzzImage, ImageFormat::Unknown, _1, _2);
    const ImageFormat format = FormatFromExtension(name);
    if (format == ImageFormat::Unknown || std::string_view(FormatName(format)) != name) return {};
    return std::bind(FuzzImage, format, _1, _2);
}

void PrepareFuzzing()
{
    // Large enough for every corpus photo's shape to be tried, small enough for a fast run.
    Picture::SetMaxPixels(std::uint64_t(1) << 18);
}
