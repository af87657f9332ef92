#include "KzRegDocument.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace kzreg {

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxLineLength = 80;
constexpr char kHexDigits[] = "0123456789abcdef";

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool HasControlCharacter(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f) return true;
    return false;
}

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to 8 hex digits and nothing else.
bool ParseHex32(std::string_view text, std::uint32_t& value)
{
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        value = value << 4 | std::uint32_t(digit);
    }
    return true;
}

// A quoted REGEDIT4 string starting at text[pos]; only \\ and \" are escapes, any other
// backslash is kept as written.
bool ReadQuoted(std::string_view text, size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"') return false;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size() && (text[pos + 1] == '\\' || text[pos + 1] == '"'))
            ++pos;
        out += text[pos];
    }
    return false;
}

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

// Bytes of one or two hex digits separated by commas; blanks around them are allowed.
bool ParseHexList(const std::string& list, std::vector<unsigned char>& data)
{
    const size_t end = list.size();
    size_t pos = list.find_first_not_of(" \t");
    if (pos == std::string::npos) return true;
    data.reserve(end / 3 + 1);
    while (true) {
        int byte = 0;
        size_t digits = 0;
        for (int digit; pos < end && (digit = HexDigit(list[pos])) >= 0; ++pos, ++digits) byte = byte << 4 | digit;
        if (digits == 0 || digits > 2) return false;
        data.push_back(static_cast<unsigned char>(byte));
        while (pos < end && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
        if (pos == end) return true;
        if (list[pos] != ',') return false;
        ++pos;
        while (pos < end && (list[pos] == ' ' || list[pos] == '\t')) ++pos;
    }
}

// Wrapped with a trailing backslash so that no line grows past 80 columns.
std::string FormatHexList(const std::vector<unsigned char>& data, size_t column)
{
    std::string out;
    out.reserve(data.size() * 3 + data.size() / 8);
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out += ',';
            ++column;
            if (column + 3 > kMaxLineLength - 1) {
                out += "\\\n  ";
                column = 2;
            }
        }
        out += kHexDigits[data[i] >> 4];
        out += kHexDigits[data[i] & 15];
        column += 2;
    }
    return out;
}

// Text that fits between quotes on one line: one terminator at the end and no other
// control characters (a tab is fine).
bool IsPlainText(const std::vector<unsigned char>& data)
{
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if ((data[i] < 0x20 && data[i] != '\t') || data[i] == 0x7f) return false;
    return true;
}

// column: where the data starts on its line.
std::string FormatData(const RegValue& value, size_t column)
{
    char prefix[32];
    if (value.type == TypeDword && value.data.size() == 4) {
        std::snprintf(prefix, sizeof prefix, "dword:%08x", unsigned(DwordOf(value.data)));
        return prefix;
    }
    if (value.type == TypeSz && IsPlainText(value.data))
        return Quote(std::string(value.data.begin(), value.data.end() - 1));
    if (value.type == TypeBinary)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(value.type));
    return prefix + FormatHexList(value.data, column + std::strlen(prefix));
}

} // namespace

std::vector<unsigned char> DwordData(std::uint32_t n)
{
    return {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n >> 16),
            static_cast<unsigned char>(n >> 24)};
}

std::uint32_t DwordOf(const std::vector<unsigned char>& data)
{
    return data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
}

bool KzRegDocument::IsValidKeyPath(const std::string& path)
{
    if (path.empty() || HasControlCharacter(path)) return false;
    size_t start = 0;
    while (true) {
        const size_t end = path.find('\\', start);
        const size_t length = (end == std::string::npos ? path.size() : end) - start;
        if (length == 0 || length > kMaxKeyNameLength) return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool KzRegDocument::IsValidValueName(const std::string& name)
{
    return name.size() <= kMaxValueNameLength && !HasControlCharacter(name);
}

std::string KzRegDocument::Order(const std::string& path)
{
    // The separator sorts before every name character, so a key is followed by its subkeys.
    std::string order = path;
    for (char& c : order) c = c == '\\' ? '\x01' : LowerAscii(c);
    return order;
}

const RegKey* KzRegDocument::FindKey(const std::string& path) const
{
    const auto it = m_keys.find(Order(path));
    return it == m_keys.end() ? nullptr : &it->second;
}

const RegValue* KzRegDocument::FindValue(const std::string& path, const std::string& name) const
{
    const RegKey* key = FindKey(path);
    if (!key) return nullptr;
    const auto it = key->byName.find(Order(name));
    return it == key->byName.end() ? nullptr : &key->values[it->second];
}

std::vector<const RegKey*> KzRegDocument::SubKeys(const std::string& path) const
{
    const std::string prefix = path.empty() ? std::string() : Order(path) + '\x01';
    std::vector<const RegKey*> children;
    for (auto it = m_keys.lower_bound(prefix); it != m_keys.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) break;
        if (it->first.size() > prefix.size() && it->first.find('\x01', prefix.size()) == std::string::npos)
            children.push_back(&it->second);
    }
    return children;
}

RegKey& KzRegDocument::CreateKey(const std::string& path)
{
    for (size_t sep = path.find('\\'); sep != std::string::npos; sep = path.find('\\', sep + 1)) {
        const std::string parent = path.substr(0, sep);
        m_keys.try_emplace(Order(parent), RegKey{parent, {}, {}});
    }
    return m_keys.try_emplace(Order(path), RegKey{path, {}, {}}).first->second;
}

void KzRegDocument::SetValue(const std::string& path, const std::string& name, std::uint32_t type,
                             std::vector<unsigned char> data)
{
    Put(CreateKey(path), RegValue{name, type, std::move(data)});
}

void KzRegDocument::Put(RegKey& key, RegValue value)
{
    const auto [it, added] = key.byName.try_emplace(Order(value.name), key.values.size());
    if (added) {
        key.values.push_back(std::move(value));
    } else {
        key.values[it->second].type = value.type;
        key.values[it->second].data = std::move(value.data);
    }
}

bool KzRegDocument::DeleteValue(const std::string& path, const std::string& name)
{
    const auto key = m_keys.find(Order(path));
    if (key == m_keys.end()) return false;
    auto& [order, regKey] = *key;
    const auto it = regKey.byName.find(Order(name));
    if (it == regKey.byName.end()) return false;
    regKey.values.erase(regKey.values.begin() + std::ptrdiff_t(it->second));
    regKey.byName.clear();
    for (size_t i = 0; i < regKey.values.size(); ++i) regKey.byName.emplace(Order(regKey.values[i].name), i);
    return true;
}

bool KzRegDocument::DeleteKey(const std::string& path)
{
    const std::string order = Order(path);
    const auto it = m_keys.find(order);
    if (it == m_keys.end()) return false;
    const std::string prefix = order + '\x01';
    auto end = std::next(it);
    while (end != m_keys.end() && end->first.compare(0, prefix.size(), prefix) == 0) ++end;
    m_keys.erase(it, end);
    return true;
}

void KzRegDocument::AddMissing(const KzRegDocument& lower)
{
    for (const auto& [order, lowerKey] : lower.m_keys) {
        RegKey& key = CreateKey(lowerKey.path);
        for (const RegValue& value : lowerKey.values)
            if (!key.byName.contains(Order(value.name))) Put(key, value);
    }
}

bool KzRegDocument::ParseValueLine(std::string_view line, const std::vector<std::string_view>& lines,
                                   size_t& next, RegKey* key)
{
    RegValue value;
    size_t pos = 1;
    if (line[0] == '"') {
        pos = 0;
        if (!ReadQuoted(line, pos, value.name)) return false;
    } else if (line[0] != '@') {
        return false;
    }
    pos = line.find_first_not_of(" \t", pos);
    if (!key || pos == std::string::npos || line[pos] != '=') return false;
    const std::string_view data = Trim(line.substr(pos + 1));

    if (data.starts_with('"')) {
        std::string text;
        pos = 0;
        if (!ReadQuoted(data, pos, text) || pos != data.size()) return false;
        value.type = TypeSz;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
    } else if (data.starts_with("dword:")) {
        std::uint32_t n = 0;
        if (!ParseHex32(data.substr(6), n)) return false;
        value.type = TypeDword;
        value.data = DwordData(n);
    } else if (data.starts_with("hex")) {
        const size_t colon = data.find(':');
        if (colon == std::string::npos) return false;
        const std::string_view kind = data.substr(3, colon - 3);
        if (kind.empty()) {
            value.type = TypeBinary;
        } else if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')' ||
                   !ParseHex32(kind.substr(1, kind.size() - 2), value.type)) {
            return false;
        }
        std::string list(data.substr(colon + 1));
        // A continuation line holds hex digits; anything else (a section, the next value)
        // stays for the main loop, so a cut value cannot swallow what follows it.
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            const std::string_view more = next < lines.size() ? Trim(lines[next]) : std::string_view();
            if (more.empty() || HexDigit(more[0]) < 0) return false;
            list += more;
            ++next;
        }
        if (!ParseHexList(list, value.data)) return false;
        // Text read from hex keeps a terminator, like text written by SetValueString.
        if (value.type == TypeSz && (value.data.empty() || value.data.back() != 0)) value.data.push_back(0);
    } else {
        return false;
    }
    Put(*key, std::move(value));
    return true;
}

bool KzRegDocument::Parse(const std::string& text, const std::string& rootName)
{
    m_keys.clear();
    const std::vector<std::string_view> lines = SplitLines(text);
    bool intact = true;
    bool sawSignature = false;
    RegKey* key = nullptr;
    for (size_t i = 0; i < lines.size();) {
        const std::string_view line = Trim(lines[i++]);
        if (line.empty() || line[0] == ';') continue;
        if (!sawSignature) {
            sawSignature = true;
            if (line == "REGEDIT4") continue;
            intact = false;
        }
        if (line[0] != '[') {
            if (!ParseValueLine(line, lines, i, key)) intact = false;
            continue;
        }
        // Values under a section that cannot be read are dropped with it.
        key = nullptr;
        const std::string path(line.substr(1, line.size() - 2));
        const bool closed = line.size() >= 2 && line.back() == ']';
        if (closed && path == rootName) {
            key = &CreateKey({});
        } else if (closed && path.starts_with(rootName + '\\') && IsValidKeyPath(path.substr(rootName.size() + 1))) {
            key = &CreateKey(path.substr(rootName.size() + 1));
        } else {
            intact = false;
        }
    }
    return intact;
}

std::string KzRegDocument::Format(const std::string& rootName) const
{
    std::string text = "REGEDIT4\n";
    for (const auto& [order, key] : m_keys) {
        text += "\n[" + rootName + (key.path.empty() ? "" : "\\" + key.path) + "]\n";
        for (const RegValue& value : key.values) {
            const std::string name = (value.name.empty() ? std::string("@") : Quote(value.name)) + '=';
            text += name + FormatData(value, name.size()) + '\n';
        }
    }
    return text;
}

} // namespace kzreg
