#include "KzDialogsToolkit.h"
#include "KzPath.h"
#include "Kzutil.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace {

// The toolkit part, loaded from beside this library on first use; null when it cannot be.
const KzDialogsToolkit* Toolkit()
{
    static const KzDialogsToolkit* const toolkit = [] () -> const KzDialogsToolkit* {
        Dl_info self{};
        if (!::dladdr(reinterpret_cast<void*>(&Toolkit), &self) || !self.dli_fname) return nullptr;
        std::string path = self.dli_fname;
        path = path.substr(0, path.rfind('/') + 1) + kKzDialogsModule;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) return nullptr;
        const auto entry = reinterpret_cast<const KzDialogsToolkit* (*)()>(::dlsym(module, kKzDialogsEntry));
        return entry ? entry() : nullptr;
    }();
    return toolkit;
}

// Copies a chosen path into the caller's 260-byte buffer, refusing what does not fit.
bool Deliver(const char* chosen, char (&work)[260], char* path)
{
    const std::size_t length = std::strlen(chosen);
    if (length == 0 || length >= sizeof work) return false;
    std::memcpy(work, chosen, length + 1);
    std::memcpy(path, work, length + 1);
    return true;
}

} // namespace

CKzDialogs::CKzDialogs(QWidget* owner) : m_owner(owner)
{
    static const char kAllFiles[] = "All Files\0*.*\0";
    std::memcpy(m_filters, kAllFiles, sizeof kAllFiles);
}

CKzDialogs::~CKzDialogs() = default;

bool CKzDialogs::SetFileMask(const char* filters)
{
    if (!filters) return false;
    std::memset(m_filters, 0, sizeof m_filters);
    size_t used = 0;
    for (const char* p = filters; *p;) {
        size_t desc = std::strlen(p);
        size_t pattern = std::strlen(p + desc + 1);
        size_t pair = desc + 1 + pattern + 1;
        if (used + pair + 1 > sizeof m_filters) break; // keep room for the closing empty string
        std::memcpy(m_filters + used, p, pair);
        used += pair;
        p += pair;
    }
    return true;
}

bool CKzDialogs::SetFilterIndex(int index)
{
    if (index < 0) return false;
    m_filterIndex = index;
    return true;
}

bool CKzDialogs::SetInitialDir(const char* dir)
{
    if (!dir) return false;
    kzpath::Put(m_initialDir, sizeof m_initialDir, dir);
    return true;
}

bool CKzDialogs::BrowseForFileOpen(char* path)
{
    return BrowseForFile(path, false);
}

bool CKzDialogs::BrowseForFileSaveAs(char* path)
{
    return BrowseForFile(path, true);
}

bool CKzDialogs::BrowseForFile(char* path, bool save)
{
    const KzDialogsToolkit* toolkit = Toolkit();
    if (!path || !toolkit) return false;
    m_fileName[0] = '\0';
    char chosen[sizeof m_fileName + 1] = {};
    int index = m_filterIndex;
    if (!toolkit->browseForFile(m_owner, m_filters, sizeof m_filters, &index, m_initialDir, save, chosen, sizeof chosen))
        return false;
    if (!Deliver(chosen, m_fileName, path)) return false;
    m_filterIndex = index;
    return true;
}

bool CKzDialogs::BrowseForDir(char* path)
{
    const KzDialogsToolkit* toolkit = Toolkit();
    if (!path || !toolkit) return false;
    char chosen[sizeof m_fileName + 1] = {};
    return toolkit->browseForDir(m_owner, m_initialDir, chosen, sizeof chosen) && Deliver(chosen, m_fileName, path);
}

bool CKzDialogs::SelectColor(unsigned long& rgb) const
{
    const KzDialogsToolkit* toolkit = Toolkit();
    return toolkit && toolkit->selectColor(m_owner, &rgb);
}
