#include "GifCodec.h"

#include "ByteReader.h"
#include "GifBlocks.h"
#include "GifLzw.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

using namespace gif;

namespace {

constexpr int kLeaveInPlace = 1;
constexpr std::uint32_t kLargestSize = 65535;
// No byte of LZW data stands for more than 4096 / 1.5 pixels.
constexpr std::uint64_t kLargestExpansion = 4096;
// 17 x 15 = 255 pixels: every tile's colours fit a table beside the transparent entry 0.
constexpr std::uint32_t kTileWidth = 17;
constexpr std::uint32_t kTileHeight = 15;

std::uint8_t IndexAt(const std::uint8_t* row, std::uint32_t bits, std::uint32_t x)
{
    switch (bits) {
    case 8: return row[x];
    case 4: return (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
    default: return (row[x / 8] >> (7 - (x & 7))) & 1;
    }
}

} // namespace

struct GifCodec::DecodeState {
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    // Colour table held so far: the global one, replaced by each local one.
    std::vector<std::uint8_t> table;
    // Above 1: a file without global table whose first image is smaller than the screen both
    // ways (a mosaic of tiles) is composed into one 24-bit picture of the screen.
    int compose = 0;
    // Per frame: drawn over the frame before it. Frames before the last one that stands alone
    // up to the frame asked for are passed over.
    std::vector<bool> drawnOver;
    int firstNeeded = 0;
    int decoded = 0;
    int disposal = 0;
    std::uint8_t controlFlags = 0;
    std::int32_t firstTransparent = -1;
    RgbQuad transparentColour;
    // Making a picture costs its size even when no data fills it: the frames of a file may
    // together take what any picture may, plus what the file's data could ever fill.
    std::uint64_t allocated = 0;
    std::uint64_t allowance = 0;
    bool partial = false;
    bool reached = false;
    bool stop = false;
    Picture screen;
    GifLzwDecoder lzw;
};

// Puts decoded rows into the picture, top image row first, in interlace order when asked, and
// notes how many pixels of each row arrived.
class GifCodec::ImageRows : public GifRowSink {
public:
    ImageRows(GifCodec& target, bool interlace)
        : picture(target), height(std::uint32_t(target.GetHeight())), order(height, interlace), arrived(height, 0)
    {
    }

    bool Row(const std::uint8_t* indices, std::size_t count) override
    {
        if (order.Done()) return false;
        const std::uint32_t row = order.Row();
        std::uint8_t* out = picture.GetBits() + std::size_t(height - 1 - row) * picture.GetEffWidth();
        count = std::min<std::size_t>(count, std::size_t(picture.GetWidth()));
        switch (picture.GetBpp()) {
        case 8:
            std::memcpy(out, indices, count);
            break;
        case 4:
            for (std::size_t x = 0; x < count; ++x) {
                const std::uint8_t index = indices[x] & 0x0F;
                out[x / 2] = (x & 1) ? std::uint8_t(out[x / 2] | index) : std::uint8_t(index << 4);
            }
            break;
        default:
            for (std::size_t x = 0; x < count; ++x) {
                const std::uint8_t bit = std::uint8_t(0x80 >> (x & 7));
                out[x / 8] = (indices[x] & 1) ? std::uint8_t(out[x / 8] | bit) : std::uint8_t(out[x / 8] & ~bit);
            }
        }
        arrived[row] = std::uint32_t(count);
        if (count == std::size_t(picture.GetWidth())) ++complete;
        order.Advance();
        if (order.Done()) return false;
        picture.info.progress = std::int32_t(std::uint64_t(complete) * 100 / height);
        return true;
    }

    bool Complete() const { return complete == height; }
    std::uint32_t Arrived(std::uint32_t imageRow) const { return arrived[imageRow]; }

private:
    GifCodec& picture;
    const std::uint32_t height;
    RowOrder order;
    std::uint32_t complete = 0;
    std::vector<std::uint32_t> arrived;
};

namespace {

// First palette entry of each colour, for the tiles of the mosaic (whose tables hold every
// colour of the tile).
class FirstEntryOf {
public:
    void Clear() { std::fill(std::begin(keys), std::end(keys), -1); }

    std::uint8_t Find(const RgbQuad& colour, std::uint8_t entry)
    {
        const std::int32_t key = std::int32_t(colour.Value() & 0xFFFFFF);
        std::uint32_t slot = (std::uint32_t(key) * 2654435761u) >> 23;
        while (keys[slot] != -1 && keys[slot] != key) slot = (slot + 1) & 511;
        if (keys[slot] == -1) {
            keys[slot] = key;
            values[slot] = entry;
        }
        return values[slot];
    }

private:
    std::int32_t keys[512];
    std::uint8_t values[512] = {};
};

} // namespace

// Reads an extension block; a graphic control block's four bytes land in `control`. False when
// reading must stop: the input ended, or an application block was of another size than 11,
// which is taken for damage.
bool GifCodec::ReadExtension(ByteReader& in, std::uint8_t* control, bool& hasControl)
{
    const int label = in.Next();
    const int size = label < 0 ? -1 : in.Next();
    if (size < 0) return false;
    std::uint8_t data[255];
    if (in.Read(data, std::size_t(size)) != std::size_t(size)) return false;
    hasControl = label == kGraphicControl && size == 4;
    if (hasControl) std::memcpy(control, data, 4);
    if (size > 0 && !SkipSubBlocks(in)) return false;
    return label != kApplication || std::size_t(size) == kApplicationIdSize;
}

// Counts the frames, and notes which of them are drawn over the frame before: the frame asked
// for is then decoded from the last frame that stands alone.
int GifCodec::CountFrames(ByteReader& in, DecodeState& state)
{
    int frames = 0;
    int disposal = 0;
    for (;;) {
        if (info.escape) Fail("Cancelled");
        const int block = in.Next();
        if (block < 0 || block == kTrailer) return frames;
        if (block == kExtension) {
            std::uint8_t control[4];
            bool hasControl = false;
            if (!ReadExtension(in, control, hasControl)) return frames;
            if (hasControl) disposal = (control[0] >> 2) & 7;
        } else if (block == kImage) {
            Descriptor image;
            if (!ReadDescriptor(in, image)) return frames;
            if (image.Shown(state.screenWidth, state.screenHeight)) {
                if (frames == 0 && image.width != state.screenWidth && image.height != state.screenHeight)
                    ++state.compose;
                state.drawnOver.push_back(frames > 0 && disposal == kLeaveInPlace);
                ++frames;
            }
            if (!SkipImage(in, image.flags)) return frames;
        }
    }
}

void GifCodec::DecodeFrames(ByteReader& in, DecodeState& state)
{
    while (!state.reached) {
        if (info.escape) Fail("Cancelled");
        const int block = in.Next();
        if (block < 0 || block == kTrailer) return;
        if (block == kExtension) {
            std::uint8_t control[4];
            bool hasControl = false;
            if (!ReadExtension(in, control, hasControl)) return;
            if (hasControl) {
                state.controlFlags = control[0];
                state.disposal = (control[0] >> 2) & 7;
                info.frameDelay = std::uint16_t(Get16(control + 1));
                // The control block speaks for the image that follows: without the flag it has
                // no transparent colour, whatever an earlier frame had.
                info.transparentIndex = (control[0] & 1) ? control[3] : -1;
            }
        } else if (block == kImage) {
            Descriptor image;
            if (!ReadDescriptor(in, image)) return;
            if (!image.Shown(state.screenWidth, state.screenHeight)) {
                if (!SkipImage(in, image.flags)) return;
                continue;
            }
            DecodeImage(in, image, state);
        }
    }
}

// Draws the new image over the frame below at its place. Indices are copied while they stand for
// the same colours in both palettes; a frame with colours of its own turns the picture into a
// 24-bit one that takes them all.
void GifCodec::DrawOver(Picture& backdrop, const Descriptor& image, const ImageRows& rows, DecodeState& state) const
{
    const RgbQuad* palette = GetPalette();
    const std::uint32_t colours = GetNumColors();
    bool sameColours = backdrop.GetBpp() <= 8 && colours <= backdrop.GetNumColors();
    for (std::uint32_t i = 0; sameColours && i < colours; ++i) {
        const RgbQuad below = backdrop.GetPaletteColor(i);
        sameColours = below.red == palette[i].red && below.green == palette[i].green && below.blue == palette[i].blue;
    }
    if (!sameColours && backdrop.GetBpp() <= 8) {
        if (state.firstTransparent >= 0) state.transparentColour = backdrop.GetPaletteColor(std::uint32_t(state.firstTransparent));
        if (!backdrop.IncreaseBpp(24)) Fail(*backdrop.GetLastError() ? backdrop.GetLastError() : "Can't allocate memory");
    }

    const std::uint32_t bits = header.bitsPerPixel;
    const std::int32_t transparent = info.transparentIndex;
    const std::int32_t backdropHeight = backdrop.GetHeight();
    for (std::uint32_t r = 0; r < image.height; ++r) {
        const std::uint8_t* source = info.pixels + std::size_t(image.height - 1 - r) * info.rowStride;
        const std::int32_t y = backdropHeight - 1 - std::int32_t(image.top + r);
        if (sameColours && bits == 8 && backdrop.GetBpp() == 8) {
            if (y < 0) continue;
            const std::int64_t room = std::int64_t(backdrop.GetWidth()) - std::int64_t(image.left);
            const std::uint32_t count = std::uint32_t(std::clamp<std::int64_t>(room, 0, rows.Arrived(r)));
            std::uint8_t* target = backdrop.GetBits() + std::size_t(y) * backdrop.GetEffWidth() + image.left;
            for (std::uint32_t x = 0; x < count; ++x)
                if (source[x] != transparent) target[x] = source[x];
            continue;
        }
        for (std::uint32_t x = 0; x < rows.Arrived(r); ++x) {
            const std::uint8_t index = IndexAt(source, bits, x);
            if (index == transparent) continue;
            if (sameColours) backdrop.SetPixelIndex(std::int32_t(image.left + x), y, index);
            else backdrop.SetPixelColor(std::int32_t(image.left + x), y, palette[index]);
        }
    }
    backdrop.SetTransparentIndex(state.firstTransparent);
}

// Takes the pixels of another picture, keeping this codec's information block.
void GifCodec::TakeImage(Picture& image)
{
    PictureInfo kept = info;
    Transfer(image);
    kept.pixels = info.pixels;
    kept.rowStride = info.rowStride;
    kept.nearestCacheValid = false;
    info = kept;
}

void GifCodec::DecodeImage(ByteReader& in, const Descriptor& image, DecodeState& state)
{
    const int j = state.decoded;
    if ((image.flags & kTableFlag) && !ReadTable(in, image.flags, state.table))
        Fail("GIF: the file ends inside a colour table");
    if (j == 0) state.firstTransparent = info.transparentIndex;
    if (j < state.firstNeeded) {
        if (in.Next() >= 0) SkipSubBlocks(in);
        ++state.decoded;
        return;
    }

    const bool composing = j > 0 && state.disposal == kLeaveInPlace && state.compose < 2;
    Picture backdrop;
    if (composing) {
        const PictureInfo kept = info;
        backdrop.Transfer(*this);
        info = kept;
        info.pixels = nullptr;
    }

    const std::size_t entries = state.table.size() / 3;
    const std::uint32_t depth = entries == 2 ? 1 : (entries >= 4 && entries <= 16) ? 4 : 8;
    state.allocated += (std::uint64_t(image.width) * depth + 31) / 32 * 4 * image.height;
    if (state.allocated > state.allowance) Fail("GIF: the frames are larger than the file's data can fill");
    if (!Create(std::int32_t(image.width), std::int32_t(image.height), depth, ImageFormat::Gif))
        Fail(*GetLastError() ? GetLastError() : "Can't allocate memory");
    if (entries) {
        // With a transparent index, entries the table does not have show white.
        std::uint8_t rgb[256 * 3];
        std::fill(std::begin(rgb), std::end(rgb), std::uint8_t(255));
        std::memcpy(rgb, state.table.data(), state.table.size());
        SetPaletteFromTriples(rgb, std::uint32_t(info.transparentIndex != -1 ? 256 : entries));
    }

    ImageRows rows(*this, (image.flags & kInterlaceFlag) != 0);
    const int codeSize = in.Next();
    if (codeSize >= 2 && codeSize <= 9) {
        const GifLzwDecoder::Stop stop = state.lzw.Decode(in, codeSize, image.width, rows);
        if (stop != GifLzwDecoder::Stop::Terminator && stop != GifLzwDecoder::Stop::InputEnd) SkipSubBlocks(in);
    } else if (codeSize >= 0) {
        SkipSubBlocks(in);
    }
    if (info.escape) Fail("Cancelled");
    const bool layered = composing || state.compose > 1;
    state.partial = (layered && state.partial) || !rows.Complete();

    // Rows that never arrived are not drawn: the frame below, or the screen, shows through.
    if (composing) {
        DrawOver(backdrop, image, rows, state);
        TakeImage(backdrop);
        info.transparentIndex = state.firstTransparent;
        if (header.bitsPerPixel == 24) info.transparentColor = state.transparentColour;
    }
    if (state.compose > 1) {
        info.frame = info.frameCount - 1;
        if (!state.screen.IsValid() &&
            !state.screen.Create(std::int32_t(state.screenWidth), std::int32_t(state.screenHeight), 24, ImageFormat::Gif))
            Fail(state.screen.GetLastError());
        const RgbQuad* palette = GetPalette();
        const std::uint32_t bits = header.bitsPerPixel;
        for (std::uint32_t r = 0; r < image.height; ++r) {
            const std::uint8_t* source = info.pixels + std::size_t(image.height - 1 - r) * info.rowStride;
            std::uint8_t* target = state.screen.GetBits() +
                                   std::size_t(state.screenHeight - 1 - (image.top + r)) * state.screen.GetEffWidth() +
                                   3 * std::size_t(image.left);
            for (std::uint32_t x = 0; x < rows.Arrived(r); ++x) {
                const RgbQuad& colour = palette[IndexAt(source, bits, x)];
                target[3 * std::size_t(x)] = colour.blue;
                target[3 * x + 1] = colour.green;
                target[3 * x + 2] = colour.red;
            }
        }
    }
    if (j == info.frame) state.reached = true;
    else ++state.decoded;
}

bool GifCodec::Decode(ByteStream& in)
{
    try {
        std::uint8_t head[13];
        if (in.Read(head, 1, sizeof head) != sizeof head || std::memcmp(head, "GIF8", 4) != 0) Fail("Not a GIF");
        auto state = std::make_unique<DecodeState>();
        state->screenWidth = Get16(head + 6);
        state->screenHeight = Get16(head + 8);
        if (head[10] & kTableFlag) {
            state->table.resize(3 * TableEntries(head[10]));
            if (in.Read(state->table.data(), 1, state->table.size()) != state->table.size())
                Fail("GIF: the file ends inside its colour table");
        }
        state->compose = state->table.empty() ? 1 : 0;
        state->allowance = kMaxImageBytes + kLargestExpansion * std::uint64_t(std::max<std::int64_t>(in.Size(), 0));

        const std::int32_t start = in.Tell();
        {
            ByteReader reader(in);
            info.frameCount = CountFrames(reader, *state);
        }
        if (info.frameCount == 0) Fail("GIF: no image on the screen");
        if (info.frame < 0 || info.frame >= info.frameCount)
            Fail("GIF: no frame " + std::to_string(info.frame) + " in " + std::to_string(info.frameCount));
        if (!in.Seek(start, 0)) Fail("GIF: cannot read the file again");
        // A mosaic is composed of all its tiles.
        if (state->compose < 2) {
            state->firstNeeded = info.frame;
            while (state->firstNeeded > 0 && state->drawnOver[std::size_t(state->firstNeeded)]) --state->firstNeeded;
        }

        ByteReader reader(in);
        DecodeFrames(reader, *state);
        if (!state->reached) Fail("GIF: frame " + std::to_string(info.frame) + " could not be read");
        if (state->compose > 1 && state->screen.IsValid()) {
            const bool transparent = state->controlFlags & 1;
            const RgbQuad colour = transparent ? GetPaletteColor(std::uint32_t(info.transparentIndex)) : RgbQuad{};
            TakeImage(state->screen);
            info.transparentIndex = transparent ? 0 : -1;
            if (transparent) info.transparentColor = colour;
        }
        SetPartial(state->partial);
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}

// ---- encoding ------------------------------------------------------------------------------

namespace {

void PutTable(GifOutput& out, const Picture& picture)
{
    const RgbQuad* palette = picture.GetPalette();
    for (std::uint32_t i = 0; i < picture.GetNumColors(); ++i) {
        out.Put(palette[i].red);
        out.Put(palette[i].green);
        out.Put(palette[i].blue);
    }
}

} // namespace

void GifCodec::WriteHeader(GifOutput& out, const Picture& picture, std::uint32_t width, std::uint32_t height,
                           bool globalTable)
{
    out.Put(reinterpret_cast<const std::uint8_t*>("GIF89a"), 6);
    out.Put16(width);
    out.Put16(height);
    const std::uint32_t bits = picture.GetBpp();
    out.Put(globalTable ? std::uint8_t(kTableFlag | (((bits + 7) << 5) & 0xFF) | (bits - 1)) : std::uint8_t(0x11));
    out.Put(0);
    out.Put(0);
    if (globalTable) PutTable(out, picture);
}

void GifCodec::WriteImage(GifOutput& out, const Picture& image, std::uint32_t left, std::uint32_t top, bool localTable)
{
    const std::int32_t transparent = image.GetTransparentIndex();
    const std::uint8_t control[] = {
        kExtension, kGraphicControl, 4, std::uint8_t(transparent != -1 ? 1 : 0),
        std::uint8_t(image.GetFrameDelay()), std::uint8_t(image.GetFrameDelay() >> 8), std::uint8_t(transparent), 0};
    out.Put(control, sizeof control);

    const auto width = std::uint32_t(image.GetWidth());
    const auto height = std::uint32_t(image.GetHeight());
    const std::uint32_t bits = image.GetBpp();
    out.Put(kImage);
    out.Put16(left);
    out.Put16(top);
    out.Put16(width);
    out.Put16(height);
    out.Put(localTable ? std::uint8_t(kTableFlag | (bits - 1)) : std::uint8_t(0));
    if (localTable) PutTable(out, image);
    const int codeSize = int(std::max<std::uint32_t>(bits, 2));
    out.Put(std::uint8_t(codeSize));

    std::vector<std::uint8_t> line(bits == 8 ? 0 : width);
    GifPixels pixels{width, height, [&](std::uint32_t y) -> const std::uint8_t* {
                         const std::uint8_t* row = image.GetBits() + std::size_t(height - 1 - y) * image.GetEffWidth();
                         if (bits == 8) return row;
                         for (std::uint32_t x = 0; x < width; ++x) line[x] = IndexAt(row, bits, x);
                         return line.data();
                     }};
    switch (info.codecOption) {
    case 1: GifEncodePlain(pixels, codeSize, out); break;
    case 2: GifEncodeHashed(pixels, codeSize, out); break;
    default: GifEncodeRuns(pixels, codeSize, out); break;
    }
    out.Put(0);
}

void GifCodec::WriteMosaic(GifOutput& out)
{
    const auto width = std::uint32_t(header.width);
    const auto height = std::uint32_t(header.height);
    WriteHeader(out, *this, width, height, false);
    // A reader composes the tiles only when the first one is smaller than the screen both ways.
    std::uint32_t tileWidth = kTileWidth;
    std::uint32_t tileHeight = kTileHeight;
    if ((width > kTileWidth || height > kTileHeight) && width > 1 && height > 1) {
        tileWidth = std::min(kTileWidth, width - 1);
        tileHeight = std::min(kTileHeight, height - 1);
    }
    const bool transparent = info.transparentIndex >= 0;
    const RgbQuad background = transparent ? GetTransparentColor() : RgbQuad{};
    Picture tile;
    FirstEntryOf firstEntry;
    for (std::uint32_t top = 0; top < height; top += tileHeight) {
        const std::uint32_t h = std::min(tileHeight, height - top);
        for (std::uint32_t left = 0; left < width; left += tileWidth) {
            const std::uint32_t w = std::min(tileWidth, width - left);
            if (tile.GetWidth() != std::int32_t(w) || tile.GetHeight() != std::int32_t(h)) {
                if (!tile.Create(std::int32_t(w), std::int32_t(h), 8, ImageFormat::Gif)) Fail(tile.GetLastError());
                if (transparent) tile.SetTransparentIndex(0);
            }
            RgbQuad* palette = tile.GetPalette();
            std::fill(palette, palette + 256, RgbQuad{});
            palette[0] = background;
            palette[0].reserved = 0;
            // Entry 1 + tileWidth * y + x holds the colour of the tile's pixel (x, y), y from
            // its bottom row; the pixel takes the first entry of its colour.
            for (std::uint32_t y = 0; y < h; ++y) {
                const std::uint8_t* source = info.pixels + std::size_t(height - top - h + y) * info.rowStride + 3 * std::size_t(left);
                for (std::uint32_t x = 0; x < w; ++x)
                    palette[1 + tileWidth * y + x] = RgbQuad{source[3 * std::size_t(x)], source[3 * std::size_t(x) + 1], source[3 * std::size_t(x) + 2], 0};
            }
            firstEntry.Clear();
            for (std::uint32_t entry = 0; entry < 256; ++entry) firstEntry.Find(palette[entry], std::uint8_t(entry));
            for (std::uint32_t y = 0; y < h; ++y) {
                std::uint8_t* row = tile.GetBits() + std::size_t(y) * tile.GetEffWidth();
                for (std::uint32_t x = 0; x < w; ++x) row[x] = firstEntry.Find(palette[1 + tileWidth * y + x], 0);
            }
            WriteImage(out, tile, left, top, true);
        }
    }
}

// A reader composes a mosaic only when its first tile is smaller than the screen both ways, which
// no tile of a picture one pixel wide or high is: beyond one tile, it would read the first only.
bool GifCodec::IsStrip() const
{
    return (header.width == 1 || header.height == 1) &&
           (std::uint32_t(header.width) > kTileWidth || std::uint32_t(header.height) > kTileHeight);
}

// The 24-bit picture as one palette picture of its colours; false when it has more than 256.
bool GifCodec::StripToPalette(Picture& strip) const
{
    if (!strip.Create(header.width, header.height, 8, ImageFormat::Gif)) Fail(strip.GetLastError());
    std::vector<std::uint32_t> colours;
    const std::uint32_t transparent = GetTransparentColor().Value() & 0xFFFFFF;
    for (std::int32_t y = 0; y < header.height; ++y) {
        for (std::int32_t x = 0; x < header.width; ++x) {
            const RgbQuad colour = GetPixelColor(x, y);
            const std::uint32_t key = colour.Value() & 0xFFFFFF;
            auto at = std::find(colours.begin(), colours.end(), key);
            if (at == colours.end()) {
                if (colours.size() == 256) return false;
                strip.SetPaletteEntry(std::uint8_t(colours.size()), colour.red, colour.green, colour.blue);
                at = colours.insert(colours.end(), key);
            }
            strip.SetPixelIndex(x, y, std::uint8_t(at - colours.begin()));
        }
    }
    const auto entry = std::find(colours.begin(), colours.end(), transparent);
    strip.SetTransparentIndex(info.transparentIndex >= 0 && entry != colours.end() ? std::int32_t(entry - colours.begin()) : -1);
    strip.SetFrameDelay(info.frameDelay);
    return true;
}

bool GifCodec::Encode(ByteStream& out)
{
    try {
        if (!dib) Fail("Encode: no image");
        GifOutput output(out);
        if (header.bitsPerPixel > 8) {
            if (std::uint32_t(header.width) > kLargestSize || std::uint32_t(header.height) > kLargestSize)
                Fail("Image too large for GIF");
            Picture strip;
            if (IsStrip()) {
                if (!StripToPalette(strip)) Fail("GIF: a picture one pixel wide or high may have at most 256 colours");
                WriteHeader(output, strip, std::uint32_t(header.width), std::uint32_t(header.height), true);
                WriteImage(output, strip, 0, 0, false);
            } else {
                WriteMosaic(output);
            }
        } else {
            // The logical screen holds the image at its offset.
            if (info.offsetX < 0 || info.offsetY < 0) Fail("GIF: negative image offset");
            const std::uint64_t screenWidth = std::uint64_t(info.offsetX) + std::uint64_t(header.width);
            const std::uint64_t screenHeight = std::uint64_t(info.offsetY) + std::uint64_t(header.height);
            if (screenWidth > kLargestSize || screenHeight > kLargestSize) Fail("Image too large for GIF");
            WriteHeader(output, *this, std::uint32_t(screenWidth), std::uint32_t(screenHeight), true);
            WriteImage(output, *this, std::uint32_t(info.offsetX), std::uint32_t(info.offsetY), false);
        }
        output.Put(kTrailer);
        if (!output.Finish() || !out.Flush() || out.Error() != 0) Fail("Write Error in GIF file");
        return true;
    } catch (const Failure& failure) {
        Report(failure);
        return false;
    }
}
