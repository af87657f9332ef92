// kzreg: the settings store from the command line.
//   kzreg query [--origin] ROOT\KEY [NAME]
//   kzreg add ROOT\KEY NAME (dword N | sz TEXT | binary HEX)
//   kzreg delete ROOT\KEY [NAME]
#include "KzRegistryStore.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using kzreg::KzRegDocument;
using kzreg::KzRegistryStore;
using kzreg::RegValue;
using kzreg::Root;

namespace {

enum ExitCode { Done = 0, NotFound = 1, BadUsage = 2, StoreFailure = 3 };

// Strings longer than this cannot be read back through the library.
constexpr size_t kMaxReadableText = 65534;

const char kUsage[] =
    "usage: kzreg query [--origin] ROOT\\KEY [NAME]\n"
    "       kzreg add ROOT\\KEY NAME (dword N | sz TEXT | binary HEX)\n"
    "       kzreg delete ROOT\\KEY [NAME]\n"
    "       kzreg --help | --version\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    std::fputs("Try 'kzreg --help' for more information.\n", stderr);
    return BadUsage;
}

int UnknownOption(const char* option)
{
    std::fprintf(stderr, "kzreg: unknown option '%s'\n", option);
    return Usage();
}

int Help()
{
    std::fputs(kUsage, stdout);
    std::fputs("\n"
               "Reads and writes the settings store of Vistrel.\n"
               "ROOT is HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM) or HKEY_CLASSES_ROOT (HKCR).\n"
               "query without NAME lists the key's values and subkeys; --origin adds the file each\n"
               "value comes from. delete without NAME removes the key with all its subkeys.\n"
               "The store lives in $KZUTIL_REGISTRY_DIR, else in ${XDG_CONFIG_HOME:-$HOME/.config}/kzutil-registry;\n"
               "HKEY_CURRENT_USER also reads system-wide defaults from each folder of\n"
               "${XDG_CONFIG_DIRS:-/etc/xdg} + /kzutil-registry, which writes never change.\n"
               "Exit status: 0 done, 1 key or value not found, 2 wrong usage, 3 store not readable or writable.\n",
               stdout);
    return Done;
}

int Fail(int code, const std::string& message)
{
    std::fprintf(stderr, "kzreg: %s\n", message.c_str());
    return code;
}

struct KeyArgument {
    Root root = Root::CurrentUser;
    std::string path; // empty for the root itself

    std::string Display() const
    {
        return std::string(KzRegistryStore::RootName(root)) + (path.empty() ? "" : "\\" + path);
    }
};

bool EqualsIgnoringCase(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

bool ParseKey(const std::string& text, KeyArgument& key, std::string& error)
{
    const size_t sep = text.find('\\');
    const std::string root = text.substr(0, sep);
    if (EqualsIgnoringCase(root, "HKEY_CURRENT_USER") || EqualsIgnoringCase(root, "HKCU")) {
        key.root = Root::CurrentUser;
    } else if (EqualsIgnoringCase(root, "HKEY_LOCAL_MACHINE") || EqualsIgnoringCase(root, "HKLM")) {
        key.root = Root::LocalMachine;
    } else if (EqualsIgnoringCase(root, "HKEY_CLASSES_ROOT") || EqualsIgnoringCase(root, "HKCR")) {
        key.root = Root::ClassesRoot;
    } else {
        error = "unknown root \"" + root + "\" (use HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT)";
        return false;
    }
    key.path = sep == std::string::npos ? std::string() : text.substr(sep + 1);
    while (!key.path.empty() && key.path.back() == '\\') key.path.pop_back();
    if (!key.path.empty() && !KzRegDocument::IsValidKeyPath(key.path)) {
        error = "invalid key \"" + text + "\": names must be 1 to 255 characters, without control characters";
        return false;
    }
    return true;
}

bool ParseDword(const std::string& text, std::uint32_t& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const long long n = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || n < -2147483648LL || n > 4294967295LL) return false;
    value = static_cast<std::uint32_t>(n);
    return true;
}

// Pairs of hex digits, optionally separated by commas, colons or blanks.
bool ParseHexBytes(const std::string& text, std::vector<unsigned char>& bytes)
{
    std::string digits;
    for (char c : text) {
        if (c == ',' || c == ':' || c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        digits += c;
    }
    if (digits.size() % 2 != 0) return false;
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    return true;
}

std::string TypeLabel(std::uint32_t type)
{
    switch (type) {
    case kzreg::TypeDword: return "dword";
    case kzreg::TypeSz: return "sz";
    case kzreg::TypeBinary: return "binary";
    default: return "hex(" + std::to_string(type) + ")";
    }
}

std::string DataText(const RegValue& value)
{
    if (value.type == kzreg::TypeDword && value.data.size() == 4) {
        return std::to_string(static_cast<std::int32_t>(kzreg::DwordOf(value.data)));
    }
    if (value.type == kzreg::TypeSz)
        return std::string(reinterpret_cast<const char*>(value.data.data()),
                           strnlen(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
    std::string hex;
    char byte[3];
    for (unsigned char b : value.data) {
        std::snprintf(byte, sizeof byte, "%02x", b);
        hex += byte;
    }
    return hex;
}

// The file of the first layer that holds the value.
const std::string& Origin(const std::vector<KzRegistryStore::Layer>& layers, const std::string& path,
                          const std::string& name)
{
    for (const KzRegistryStore::Layer& layer : layers)
        if (layer.document.FindValue(path, name)) return layer.path;
    return layers.front().path;
}

int Query(const KeyArgument& key, const char* name, bool showOrigin)
{
    std::vector<KzRegistryStore::Layer> layers;
    std::string error;
    if (!KzRegistryStore::ReadLayers(key.root, layers, error)) return Fail(StoreFailure, error);
    const KzRegDocument document = KzRegistryStore::Merged(layers);
    const auto origin = [&](const std::string& valueName) {
        return showOrigin ? "\t" + Origin(layers, key.path, valueName) : std::string();
    };
    const kzreg::RegKey* found = document.FindKey(key.path);
    if (!found && !key.path.empty()) return Fail(NotFound, "no key " + key.Display());
    if (name) {
        const RegValue* value = document.FindValue(key.path, name);
        if (!value) return Fail(NotFound, "no value \"" + std::string(name) + "\" in " + key.Display());
        std::printf("%s%s\n", DataText(*value).c_str(), origin(name).c_str());
        return Done;
    }
    std::printf("[%s]\n", key.Display().c_str());
    if (found)
        for (const RegValue& value : found->values)
            std::printf("%s\t%s\t%s%s\n", value.name.empty() ? "@" : value.name.c_str(), TypeLabel(value.type).c_str(),
                        DataText(value).c_str(), origin(value.name).c_str());
    for (const kzreg::RegKey* sub : document.SubKeys(key.path))
        std::printf("[%s\\%s]\n", KzRegistryStore::RootName(key.root), sub->path.c_str());
    return Done;
}

int Add(const KeyArgument& key, const std::string& name, const std::string& type, const std::string& data)
{
    if (key.path.empty()) return Fail(BadUsage, "add needs a key below the root");
    if (name.empty() || !KzRegDocument::IsValidValueName(name))
        return Fail(BadUsage, "invalid value name \"" + name + "\"");
    RegValue value;
    if (type == "dword") {
        std::uint32_t n = 0;
        if (!ParseDword(data, n))
            return Fail(BadUsage, "not a 32-bit number: \"" + data + "\" (decimal, negative or 0x hex)");
        value.type = kzreg::TypeDword;
        value.data = kzreg::DwordData(n);
    } else if (type == "sz") {
        value.type = kzreg::TypeSz;
        value.data.assign(data.begin(), data.end());
        value.data.push_back(0);
        if (data.size() > kMaxReadableText)
            std::fprintf(stderr, "kzreg: warning: text longer than %zu bytes cannot be read back as a string\n",
                         kMaxReadableText);
    } else if (type == "binary") {
        value.type = kzreg::TypeBinary;
        if (!ParseHexBytes(data, value.data))
            return Fail(BadUsage, "not hex bytes: \"" + data + "\" (pairs of hex digits, e.g. 01ff or 01,ff)");
    } else {
        return Fail(BadUsage, "unknown type \"" + type + "\" (use dword, sz or binary)");
    }
    std::string error;
    const bool written = KzRegistryStore::Modify(
        key.root,
        [&](KzRegDocument& document) {
            document.SetValue(key.path, name, value.type, std::move(value.data));
            return true;
        },
        error);
    return written ? Done : Fail(StoreFailure, error);
}

int Delete(const KeyArgument& key, const char* name)
{
    if (key.path.empty()) return Fail(BadUsage, "the root itself cannot be deleted");
    bool found = false;
    std::string error;
    const bool written = KzRegistryStore::Modify(
        key.root,
        [&](KzRegDocument& document) {
            found = name ? document.DeleteValue(key.path, name) : document.DeleteKey(key.path);
            return found;
        },
        error);
    if (written) return Done;
    if (!error.empty()) return Fail(StoreFailure, error);
    std::vector<KzRegistryStore::Layer> layers;
    if (KzRegistryStore::ReadLayers(key.root, layers, error))
        for (const KzRegistryStore::Layer& layer : layers)
            if (name ? layer.document.FindValue(key.path, name) != nullptr : layer.document.FindKey(key.path) != nullptr)
                return Fail(NotFound, (name ? "\"" + std::string(name) + "\" in " : std::string()) + key.Display() +
                                          " is a system-wide default from " + layer.path + ", which kzreg does not change");
    return Fail(NotFound, name ? "no value \"" + std::string(name) + "\" in " + key.Display()
                               : "no key " + key.Display());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" && argc == 2) return Help();
    if (command == "--version" && argc == 2) {
        std::printf("kzreg (Vistrel) %s\n", VISTREL_VERSION);
        return Done;
    }
    if (command.starts_with("--") && command != "--help" && command != "--version") return UnknownOption(argv[1]);
    if (command != "query" && command != "add" && command != "delete") return Usage();
    const bool showOrigin = command == "query" && argc > 2 && std::strcmp(argv[2], "--origin") == 0;
    const int first = showOrigin ? 3 : 2; // the key
    if (argc <= first) return Usage();
    // Options stand before the key, and no key starts with "--".
    if (std::strncmp(argv[first], "--", 2) == 0) return UnknownOption(argv[first]);
    KeyArgument key;
    std::string error;
    if (!ParseKey(argv[first], key, error)) return Fail(BadUsage, error);
    const int rest = argc - first - 1;
    try {
        if (command == "query" && rest <= 1) return Query(key, rest == 1 ? argv[first + 1] : nullptr, showOrigin);
        if (command == "delete" && rest <= 1) return Delete(key, rest == 1 ? argv[first + 1] : nullptr);
        if (command == "add" && rest == 3) return Add(key, argv[first + 1], argv[first + 2], argv[first + 3]);
    } catch (const std::exception& e) {
        return Fail(StoreFailure, e.what());
    }
    return Usage();
}
