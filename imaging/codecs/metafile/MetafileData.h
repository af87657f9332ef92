// Bounds-checked access to metafile records, the bitmaps embedded in them, and their text.
#pragma once

#include "Picture.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A byte range of a record. Reads outside it give 0; callers check `Has` before they rely on a
// field, so a short record never reads a neighbour's bytes.
class RecordView {
public:
    RecordView() = default;
    RecordView(const std::uint8_t* bytes, std::size_t count) : data(bytes), size(count) {}

    std::size_t Size() const { return size; }
    const std::uint8_t* Data() const { return data; }
    bool Has(std::size_t offset, std::size_t count) const { return offset <= size && count <= size - offset; }
    // Whether `count` items of `itemSize` bytes fit from `offset`, without overflow.
    bool HasItems(std::size_t offset, std::uint64_t count, std::size_t itemSize) const
    {
        return offset <= size && count <= (size - offset) / itemSize;
    }
    std::uint8_t U8(std::size_t offset) const { return Has(offset, 1) ? data[offset] : 0; }
    std::uint16_t U16(std::size_t offset) const
    {
        return Has(offset, 2) ? std::uint16_t(data[offset] | data[offset + 1] << 8) : 0;
    }
    std::int16_t I16(std::size_t offset) const { return std::int16_t(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const
    {
        return Has(offset, 4) ? std::uint32_t(U16(offset)) | std::uint32_t(U16(offset + 2)) << 16 : 0;
    }
    std::int32_t I32(std::size_t offset) const { return std::int32_t(U32(offset)); }
    float F32(std::size_t offset) const
    {
        const std::uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // The bytes from offset on, at most `count` of them.
    RecordView Sub(std::size_t offset, std::size_t count) const
    {
        if (offset > size) return {};
        return {data + offset, std::min(count, size - offset)};
    }

private:
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// Decodes a packed DIB (info header, colour table, pixels) through the BMP codec. Null when the
// header is unusable or promises more pixels than the bytes can hold.
std::shared_ptr<const Picture> DecodeDib(RecordView dib);
// The same for a DIB whose header and pixels lie apart (EMF records).
std::shared_ptr<const Picture> DecodeDib(RecordView header, RecordView bits);

// The colours of a logical palette: `count` entries of red, green, blue, flags from the start of
// `entries`, as many as it holds.
std::vector<ColorRef> PaletteEntries(RecordView entries, std::size_t count);

// Text of 8-bit records in the font's character set (one character a byte: the double-byte sets
// are read as ANSI), and of UTF-16 records, as UTF-8.
std::string AnsiToUtf8(RecordView bytes, std::size_t count, std::uint8_t charset);
std::string Utf16ToUtf8(RecordView bytes, std::size_t count, std::uint8_t charset);
