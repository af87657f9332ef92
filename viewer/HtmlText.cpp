#include "HtmlText.h"

#include <cstdint>

namespace html {

namespace {

void AppendReference(std::string& out, std::uint32_t codePoint)
{
    out += "&#";
    out += std::to_string(codePoint);
    out += ';';
}

// Length of the valid UTF-8 sequence at text[i] (2 to 4 bytes) and its code point; 0 when the
// bytes there are no such sequence (overlong forms and surrogates included).
int DecodeUtf8(const std::string& text, std::size_t i, std::uint32_t& codePoint)
{
    const std::uint8_t lead = std::uint8_t(text[i]);
    int length = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + std::size_t(length) > text.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = std::uint8_t(text[i + std::size_t(k)]);
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

} // namespace

std::string Escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (std::uint8_t(c) >= 0x80) {
            std::uint32_t codePoint = 0;
            const int length = DecodeUtf8(text, i, codePoint);
            AppendReference(out, length ? codePoint : std::uint8_t(c));
            i += length ? std::size_t(length) : 1;
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
        ++i;
    }
    return out;
}

std::string EncodeLink(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

} // namespace html
