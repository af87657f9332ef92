#include "MetafileData.h"

#include "BmpCodec.h"
#include "MemoryStream.h"

#include <climits>
#include <iconv.h>
#include <vector>

namespace {

// Embedded bitmaps are small drawings; anything beyond this many pixels is refused before the
// BMP codec allocates for it.
constexpr std::uint64_t kMaxDibPixels = std::uint64_t(1) << 24;

// Windows-1252 in 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::uint16_t kCp1252[32] = {
    0x20AC, 0x0020, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0020, 0x017D, 0x0020,
    0x0020, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0020, 0x017E, 0x0178,
};

// The symbol font's code points 0x20..0x7F and 0xA0..0xFF in Unicode: formulas use it for Greek
// letters and operators, which the fonts we draw with hold at their Unicode places.
constexpr std::uint16_t kSymbolLow[96] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0020,
};
constexpr std::uint16_t kSymbolHigh[96] = {
    0x0020, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    0x0020, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0020,
};

constexpr std::uint8_t kSymbolCharset = 2;

// The single-byte code pages of the font character sets other than ANSI and symbol.
const char* CodePage(std::uint8_t charset)
{
    switch (charset) {
    case 161: return "CP1253"; // Greek
    case 162: return "CP1254"; // Turkish
    case 163: return "CP1258"; // Vietnamese
    case 177: return "CP1255"; // Hebrew
    case 178: return "CP1256"; // Arabic
    case 186: return "CP1257"; // Baltic
    case 204: return "CP1251"; // Cyrillic
    case 222: return "CP874";  // Thai
    case 238: return "CP1250"; // Central European
    default: return nullptr;
    }
}

// The upper half of a single-byte code page in Unicode; empty when the system cannot convert it.
std::vector<std::uint32_t> UpperHalf(const char* codePage)
{
    iconv_t converter = iconv_open("UTF-32LE", codePage);
    if (converter == iconv_t(-1)) return {}; // NOLINT(performance-no-int-to-ptr): iconv's failure value
    std::vector<std::uint32_t> codes(128, 0x20);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        char in = char(0x80 + i);
        std::uint32_t out = 0;
        char* inAt = &in;
        char* outAt = reinterpret_cast<char*>(&out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != std::size_t(-1) && outLeft == 0) codes[i] = out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return codes;
}

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

std::uint32_t FromSymbol(std::uint32_t byte)
{
    if (byte >= 0x20 && byte < 0x80) return kSymbolLow[byte - 0x20];
    if (byte >= 0xA0 && byte <= 0xFF) return kSymbolHigh[byte - 0xA0];
    return 0x20;
}

// Control characters become spaces so that every character keeps its place among the advances.
// So do noncharacters: Cairo refuses text holding one and then draws nothing more of the file.
std::uint32_t Printable(std::uint32_t code)
{
    const bool control = code < 0x20 || (code >= 0x7F && code < 0xA0);
    const bool nonCharacter = (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
    return control || nonCharacter ? 0x20 : code;
}

} // namespace

std::shared_ptr<const Picture> DecodeDib(RecordView dib)
{
    const std::uint32_t headerSize = dib.U32(0);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (headerSize == 12 && dib.Has(0, 12)) {
        width = dib.U16(4);
        height = dib.U16(6);
        bits = dib.U16(10);
    } else if (headerSize >= 40 && dib.Has(0, 40)) {
        width = dib.I32(4);
        height = dib.I32(8);
        bits = dib.U16(14);
        compression = dib.U32(16);
    } else {
        return nullptr;
    }
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || !Picture::FitsCeiling(width, height)) return nullptr;
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    if (pixels > kMaxDibPixels) return nullptr;
    if (compression == 0 || compression == 3 || compression == 6) {
        // Uncompressed rows must all be in the record.
        const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
        if (stride * std::uint64_t(height) > dib.Size()) return nullptr;
    } else if (compression == 1 || compression == 2) {
        // A run code draws at most 255 pixels; a short bitmap cannot claim a huge area.
        if (pixels > 256 * std::uint64_t(dib.Size()) + 65536) return nullptr;
    } else {
        return nullptr;
    }
    MemoryStream stream(dib.Data(), dib.Size());
    BmpCodec codec;
    if (!codec.Decode(stream)) return nullptr;
    auto picture = std::make_shared<Picture>();
    picture->Transfer(codec);
    return picture;
}

std::shared_ptr<const Picture> DecodeDib(RecordView header, RecordView bits)
{
    if (header.Size() == 0 || bits.Size() == 0) return nullptr;
    std::vector<std::uint8_t> joined(header.Data(), header.Data() + header.Size());
    joined.insert(joined.end(), bits.Data(), bits.Data() + bits.Size());
    return DecodeDib(RecordView(joined.data(), joined.size()));
}

std::vector<ColorRef> PaletteEntries(RecordView entries, std::size_t count)
{
    std::vector<ColorRef> colours;
    for (std::size_t i = 0; i < count && entries.Has(4 * i, 4); ++i)
        colours.push_back(entries.U8(4 * i) | entries.U8(4 * i + 1) << 8 | std::uint32_t(entries.U8(4 * i + 2)) << 16);
    return colours;
}

std::string AnsiToUtf8(RecordView bytes, std::size_t count, std::uint8_t charset)
{
    const char* codePage = CodePage(charset);
    const std::vector<std::uint32_t> upper = codePage ? UpperHalf(codePage) : std::vector<std::uint32_t>();
    std::string out;
    for (std::size_t i = 0; i < count && i < bytes.Size(); ++i) {
        const std::uint32_t byte = bytes.U8(i);
        std::uint32_t code = byte;
        if (charset == kSymbolCharset) code = FromSymbol(byte);
        else if (byte >= 0x80 && !upper.empty()) code = upper[byte - 0x80];
        else if (byte >= 0x80 && byte < 0xA0) code = kCp1252[byte - 0x80];
        AppendUtf8(out, Printable(code));
    }
    return out;
}

std::string Utf16ToUtf8(RecordView bytes, std::size_t count, std::uint8_t charset)
{
    std::string out;
    for (std::size_t i = 0; i < count && bytes.Has(2 * i, 2); ++i) {
        std::uint32_t code = bytes.U16(2 * i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count && bytes.Has(2 * i + 2, 2)) {
            const std::uint32_t low = bytes.U16(2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code < 0xE000) code = 0x20; // a surrogate left without its pair
        // Symbol fonts store their characters in the private area at F020..F0FF, or as bytes.
        if (charset == kSymbolCharset && (code < 0x100 || (code >= 0xF020 && code <= 0xF0FF))) code = FromSymbol(code & 0xFF);
        AppendUtf8(out, Printable(code));
    }
    return out;
}
