#include "Kzutil.h"
#include "KzRegistryStore.h"

#include <cstring>
#include <exception>

using kzreg::KzRegDocument;
using kzreg::KzRegistryStore;
using kzreg::RegValue;

namespace {

// The largest string read accepts, terminator included.
constexpr size_t kMaxStringBytes = 65535;

kzreg::Root RootFromName(const char* root)
{
    if (std::strcmp(root, "HKEY_CLASSES_ROOT") == 0) return kzreg::Root::ClassesRoot;
    if (std::strcmp(root, "HKEY_LOCAL_MACHINE") == 0) return kzreg::Root::LocalMachine;
    return kzreg::Root::CurrentUser;
}

bool AnyEmpty(const char* root, const char* key, const char* name)
{
    return !root || !*root || !key || !*key || !name || !*name;
}

// Copies the stored value out while the document is alive; reader decides whether it fits.
template <typename Reader>
bool ReadValue(const char* root, const char* key, const char* name, const Reader& reader)
{
    if (AnyEmpty(root, key, name) || !KzRegDocument::IsValidKeyPath(key)) return false;
    try {
        KzRegDocument document;
        std::string error;
        if (!KzRegistryStore::Read(RootFromName(root), document, error)) return false;
        const RegValue* value = document.FindValue(key, name);
        return value && reader(*value);
    } catch (const std::exception&) {
        return false;
    }
}

bool WriteValue(const char* root, const char* key, const char* name, std::uint32_t type,
                const unsigned char* data, size_t size)
{
    if (AnyEmpty(root, key, name) || !KzRegDocument::IsValidKeyPath(key) ||
        !KzRegDocument::IsValidValueName(name))
        return false;
    try {
        std::vector<unsigned char> bytes(data, data + size);
        std::string error;
        return KzRegistryStore::Modify(
            RootFromName(root),
            [&](KzRegDocument& document) {
                document.SetValue(key, name, type, std::move(bytes));
                return true;
            },
            error);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

CKzRegistry::~CKzRegistry() = default;

bool CKzRegistry::GetValueInt(const char* root, const char* key, const char* name, int* value)
{
    return value && ReadValue(root, key, name, [value](const RegValue& stored) {
               if (stored.type != kzreg::TypeDword || stored.data.size() != 4) return false;
               *value = static_cast<int>(kzreg::DwordOf(stored.data));
               return true;
           });
}

bool CKzRegistry::GetValueString(const char* root, const char* key, const char* name, char* buffer)
{
    return buffer && ReadValue(root, key, name, [buffer](const RegValue& stored) {
               if (stored.type != kzreg::TypeSz || stored.data.size() > kMaxStringBytes) return false;
               // Up to the first terminator, then terminators up to the stored size.
               const size_t size = stored.data.size();
               const size_t length = strnlen(reinterpret_cast<const char*>(stored.data.data()), size);
               std::memcpy(buffer, stored.data.data(), length);
               std::memset(buffer + length, 0, size - length);
               return true;
           });
}

bool CKzRegistry::GetValueBinary(const char* root, const char* key, const char* name, unsigned char* buffer,
                                 int size)
{
    if (size < 0 || (!buffer && size > 0)) return false;
    return ReadValue(root, key, name, [buffer, size](const RegValue& stored) {
        if (stored.type != kzreg::TypeBinary || stored.data.size() > size_t(size)) return false;
        if (!stored.data.empty()) std::memcpy(buffer, stored.data.data(), stored.data.size());
        return true;
    });
}

bool CKzRegistry::SetValueInt(const char* root, const char* key, const char* name, int value)
{
    const std::vector<unsigned char> bytes = kzreg::DwordData(static_cast<std::uint32_t>(value));
    return WriteValue(root, key, name, kzreg::TypeDword, bytes.data(), bytes.size());
}

bool CKzRegistry::SetValueString(const char* root, const char* key, const char* name, const char* value)
{
    if (!value) return false;
    return WriteValue(root, key, name, kzreg::TypeSz, reinterpret_cast<const unsigned char*>(value),
                      std::strlen(value) + 1);
}

bool CKzRegistry::SetValueBinary(const char* root, const char* key, const char* name, const unsigned char* data,
                                 int size)
{
    if (size < 0 || (!data && size > 0)) return false;
    return WriteValue(root, key, name, kzreg::TypeBinary, data, size_t(size));
}
