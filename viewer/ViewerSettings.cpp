#include "ViewerSettings.h"

#include <cstring>
#include <vector>

namespace {

// The store keeps texts of up to 65,535 bytes, terminator included.
constexpr std::size_t kLongestStoredText = 65536;

} // namespace

ViewerSettings::ViewerSettings()
    : m_installed(CKzAppSettings::IsAppInstalled(settings::kAppName)), m_store(settings::kAppName)
{
}

bool ViewerSettings::Read(settings::Id id, int& value) const
{
    const settings::Key& key = settings::Get(id);
    int stored = 0;
    if (!m_installed || key.kind != settings::Kind::Int || !m_store.GetValueInt(key.name, stored)) return false;
    if (stored < key.minimum) return false;
    value = stored;
    return true;
}

int ViewerSettings::Get(settings::Id id) const
{
    int value = settings::Get(id).defaultValue;
    Read(id, value);
    return value;
}

bool ViewerSettings::Read(settings::Id id, char* buffer, std::size_t size) const
{
    const settings::Key& key = settings::Get(id);
    if (!m_installed || key.kind != settings::Kind::String || !buffer || size == 0) return false;
    // Read in full first: the store's text may be far longer than the caller's buffer.
    std::vector<char> text(kLongestStoredText, '\0');
    if (!m_store.GetValueString(key.name, text.data())) return false;
    const std::size_t length = strnlen(text.data(), text.size());
    if (length >= size) return false;
    std::memcpy(buffer, text.data(), length + 1);
    return true;
}

bool ViewerSettings::Write(settings::Id id, int value) const
{
    const settings::Key& key = settings::Get(id);
    return m_installed && key.kind == settings::Kind::Int && m_store.SetValueInt(key.name, value);
}
