#include "Kzutil.h"
#include "KzRegistryStore.h"

#include <exception>

namespace {

const char* const kRoot = "HKEY_CURRENT_USER";

CKzString AppKey(const char* appName)
{
    return CKzString("Software\\Marvensk\\") + appName;
}

// The application's key as stored, or null when the store has no such key.
const kzreg::RegKey* FindAppKey(const char* appName, kzreg::KzRegDocument& document)
{
    const CKzString key = AppKey(appName);
    std::string error;
    if (!kzreg::KzRegDocument::IsValidKeyPath(key.c_str()) ||
        !kzreg::KzRegistryStore::Read(kzreg::Root::CurrentUser, document, error))
        return nullptr;
    return document.FindKey(key.c_str());
}

} // namespace

CKzAppSettings::CKzAppSettings(const char* appName)
{
    if (IsAppInstalled(appName)) m_appName = appName;
}

CKzAppSettings::~CKzAppSettings() = default;

bool CKzAppSettings::IsAppInstalled(const char* appName)
{
    if (!appName || !*appName) return false;
    try {
        kzreg::KzRegDocument document;
        return FindAppKey(appName, document) != nullptr;
    } catch (const std::exception&) {
        return false;
    }
}

bool CKzAppSettings::IsValuePresent(const char* name) const
{
    if (!name || !*name || m_appName.IsEmpty()) return false;
    try {
        kzreg::KzRegDocument document;
        return FindAppKey(m_appName, document) && document.FindValue(AppKey(m_appName).c_str(), name);
    } catch (const std::exception&) {
        return false;
    }
}

bool CKzAppSettings::GetValueInt(const char* name, int& value) const
{
    return IsValuePresent(name) && CKzRegistry::GetValueInt(kRoot, AppKey(m_appName), name, &value);
}

bool CKzAppSettings::SetValueInt(const char* name, int value) const
{
    return name && *name && !m_appName.IsEmpty() && CKzRegistry::SetValueInt(kRoot, AppKey(m_appName), name, value);
}

bool CKzAppSettings::GetValueString(const char* name, char* buffer) const
{
    return IsValuePresent(name) && CKzRegistry::GetValueString(kRoot, AppKey(m_appName), name, buffer);
}

bool CKzAppSettings::SetValueString(const char* name, const char* value) const
{
    return name && *name && !m_appName.IsEmpty() &&
           CKzRegistry::SetValueString(kRoot, AppKey(m_appName), name, value);
}
