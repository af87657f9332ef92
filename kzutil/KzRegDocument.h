// The keys and values of one settings-store root, read from and written as REGEDIT4 text.
// Internal to the library and kzreg: not exported.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kzreg {

enum ValueType : std::uint32_t { TypeSz = 1, TypeBinary = 3, TypeDword = 4 };

struct RegValue {
    std::string name; // "" is the key's default value ("@")
    std::uint32_t type = TypeBinary;
    std::vector<unsigned char> data;
};

// A DWORD is stored as 4 little-endian bytes.
std::vector<unsigned char> DwordData(std::uint32_t n);
std::uint32_t DwordOf(const std::vector<unsigned char>& data); // data holds 4 bytes

struct RegKey {
    std::string path; // as first written, e.g. Software\Marvensk\Vistrel
    std::vector<RegValue> values; // in the order they were first written
    std::unordered_map<std::string, size_t> byName; // folded name -> index in values
};

class KzRegDocument {
public:
    // Reads REGEDIT4 text; lines that cannot be understood are dropped. Returns false when
    // anything was dropped, i.e. the text is damaged.
    bool Parse(const std::string& text, const std::string& rootName);
    std::string Format(const std::string& rootName) const;

    // Key paths and value names compare ignoring ASCII case.
    const RegKey* FindKey(const std::string& path) const;
    const RegValue* FindValue(const std::string& path, const std::string& name) const;
    std::vector<const RegKey*> SubKeys(const std::string& path) const;

    // Creates the key and every missing parent.
    RegKey& CreateKey(const std::string& path);
    void SetValue(const std::string& path, const std::string& name, std::uint32_t type,
                  std::vector<unsigned char> data);
    bool DeleteValue(const std::string& path, const std::string& name);
    // Removes the key with all its subkeys.
    bool DeleteKey(const std::string& path);
    // Adds the keys and values of lower that this document lacks.
    void AddMissing(const KzRegDocument& lower);

    // A key path is one or more non-empty names of at most 255 bytes joined by backslashes,
    // without control characters (they could not be written back as a section line).
    static bool IsValidKeyPath(const std::string& path);
    static bool IsValidValueName(const std::string& name);

private:
    // The name with ASCII case folded and separators sorting first.
    static std::string Order(const std::string& path);
    static void Put(RegKey& key, RegValue value);
    bool ParseValueLine(std::string_view line, const std::vector<std::string_view>& lines, size_t& next,
                        RegKey* key);

    std::map<std::string, RegKey> m_keys; // by Order(path): parents sort before children
};

} // namespace kzreg
