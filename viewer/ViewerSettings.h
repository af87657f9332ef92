// The viewer's settings in the store, read and written through the one key table.
#pragma once

#include "Kzutil.h"
#include "SettingsKeys.h"

#include <cstddef>

class ViewerSettings {
public:
    // Opens the store of the application; everything fails when it is not installed.
    ViewerSettings();

    bool IsInstalled() const { return m_installed; }
    // Leaves value as it was when the key is missing, holds another type, or holds a number
    // below the key's minimum.
    bool Read(settings::Id id, int& value) const;
    // The key's value, or its default wherever Read would fail.
    int Get(settings::Id id) const;
    // A text that does not fit into size bytes counts as missing: buffer stays as it was.
    bool Read(settings::Id id, char* buffer, std::size_t size) const;
    bool Write(settings::Id id, int value) const;

private:
    bool m_installed;
    CKzAppSettings m_store;
};
