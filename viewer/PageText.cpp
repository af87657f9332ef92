#include "PageText.h"

#include <cstdint>

namespace pagetext {

namespace {

void AppendReference(std::string& out, std::uint32_t codePoint)
{
    out += "&#";
    out += std::to_string(codePoint);
    out += ';';
}

// Length of the valid UTF-8 sequence at text[i] (2 to 4 bytes) and its code point; 0 when the
// bytes there are no such sequence (overlong forms and surrogates included).
int DecodeUtf8(std::string_view text, std::size_t i, std::uint32_t& codePoint)
{
    const auto byte = [&](std::size_t k) { return std::uint8_t(text[k]); };
    const std::uint8_t lead = byte(i);
    int length = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, codePoint = lead & 0x1Fu, minimum = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, codePoint = lead & 0x0Fu, minimum = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, codePoint = lead & 0x07u, minimum = 0x10000;
    else return 0;
    if (i + std::size_t(length) > text.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = byte(i + std::size_t(k));
        if ((next & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return length;
}

} // namespace

std::string EscapeHtml(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const auto byte = std::uint8_t(ch);
        if (byte >= 0x80) {
            std::uint32_t codePoint = 0;
            const int length = DecodeUtf8(text, i, codePoint);
            AppendReference(out, length ? codePoint : byte);
            i += length ? std::size_t(length) : 1;
            continue;
        }
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '[': out += "&#91;"; break;
        default: out += ch;
        }
        ++i;
    }
    return out;
}

std::string EncodeUrlPath(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto byte = std::uint8_t(ch);
        const bool keep = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                          ch == '-' || ch == '.' || ch == '_' || ch == '~' || ch == '/';
        if (keep) {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

} // namespace pagetext
