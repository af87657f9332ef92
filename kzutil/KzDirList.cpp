#include "KzPath.h"
#include "Kzutil.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace {

// What an entry is once symbolic links are followed; Other (devices, pipes, sockets, broken
// links) is neither listed nor entered.
enum class Kind { File, Directory, Other };

Kind KindOf(int dirFd, const dirent* entry, long* date)
{
    if (!date && entry->d_type == DT_REG) return Kind::File;
    if (entry->d_type == DT_DIR) return Kind::Directory;
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, 0) != 0) return Kind::Other;
    if (S_ISDIR(st.st_mode)) return Kind::Directory;
    if (!S_ISREG(st.st_mode)) return Kind::Other;
    if (date) *date = long(st.st_mtim.tv_sec);
    return Kind::File;
}

} // namespace

CKzDirList::CKzDirList(const CKzDirList& other)
{
    *this = other;
}

CKzDirList& CKzDirList::operator=(const CKzDirList& other)
{
    if (this == &other) return *this;
    m_open = other.m_open;
    m_count = other.m_count;
    std::memcpy(m_dir, other.m_dir, sizeof m_dir);
    m_entries = other.m_entries;
    m_paths = other.m_paths;
    return *this;
}

CKzDirList::~CKzDirList()
{
    Close();
}

// Calls visit(fullPath, length, date) for every plain file the filter keeps; date is only
// looked up when visit asks for it. The filter sees every entry, directories included.
template <typename Visit>
bool CKzDirList::Enumerate(const char* dir, FileFilter filter, Visit visit) const
{
    char path[kzpath::kMaxPath];
    size_t base = std::strlen(dir);
    if (base == 0 || base >= sizeof path) return false;
    std::memcpy(path, dir, base + 1);
    if (!kzpath::IsSeparator(path[base - 1])) {
        if (base + 1 >= sizeof path) return false;
        path[base++] = kzpath::kSeparator;
        path[base] = '\0';
    }
    DIR* handle = ::opendir(path);
    if (!handle) return false;
    int fd = ::dirfd(handle);
    while (const dirent* entry = ::readdir(handle)) {
        size_t length = base + std::strlen(entry->d_name);
        if (length >= sizeof path) continue;
        std::memcpy(path + base, entry->d_name, length - base + 1);
        if (filter && !filter(path)) continue;
        long date = 0;
        if (KindOf(fd, entry, visit.wantsDate ? &date : nullptr) != Kind::File) continue;
        if (!visit(path, length, date)) break;
    }
    ::closedir(handle);
    return true;
}

int CKzDirList::GetFileCount(const char* dir, FileFilter filter) const
{
    if (!dir) return -1;
    struct Counter {
        bool wantsDate = false;
        int* count;
        bool operator()(const char*, size_t, long) { return ++*count < INT32_MAX; }
    };
    int count = 0;
    return Enumerate(dir, filter, Counter{false, &count}) ? count : -1;
}

bool CKzDirList::Open(const char* dir, FileFilter filter)
{
    if (m_open || !kzpath::IsUsable(dir)) return false;
    std::string base(dir);
    if (!kzpath::EndsWithSeparator(base)) base += kzpath::kSeparator;
    if (base.size() >= kzpath::kMaxPath) return false;
    std::memcpy(m_dir, base.c_str(), base.size() + 1);

    m_count = GetFileCount(m_dir, filter);
    if (m_count <= 0) {
        m_dir[0] = '\0';
        return false;
    }
    // The second pass stores at most what the first one counted; files that vanished in
    // between simply shrink the list, so no entry is ever left unfilled.
    m_entries.clear();
    m_entries.reserve(size_t(m_count));
    m_paths.clear();
    m_paths.reserve(size_t(m_count) * (base.size() + 16));
    struct Collector {
        bool wantsDate = true;
        CKzDirList* list;
        size_t limit;
        bool operator()(const char* path, size_t length, long date)
        {
            list->m_entries.push_back({list->m_paths.size(), date});
            list->m_paths.append(path, length + 1);
            return list->m_entries.size() < limit;
        }
    };
    bool listed = Enumerate(m_dir, filter, Collector{true, this, size_t(m_count)});
    if (!listed || m_entries.empty()) {
        Close();
        m_count = listed ? 0 : -1;
        return false;
    }
    m_count = int(m_entries.size());
    m_open = true;
    return true;
}

void CKzDirList::Close()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_paths.clear();
    m_paths.shrink_to_fit();
    m_open = false;
    m_count = 0;
    m_dir[0] = '\0';
}

const char* CKzDirList::GetFileName(int index) const
{
    static thread_local char buffer[260];
    std::memset(buffer, 0, sizeof buffer);
    if (index >= 0 && index < m_count) kzpath::Put(buffer, sizeof buffer, m_paths.c_str() + m_entries[size_t(index)].offset);
    return buffer;
}

long CKzDirList::GetFileDate(int index) const
{
    return index >= 0 && index < m_count ? m_entries[size_t(index)].date : 0;
}

bool CKzDirList::OutOfOrder(ESort order, const Entry& a, const Entry& b) const
{
    switch (order) {
    case SortByName: return std::strcmp(m_paths.c_str() + a.offset, m_paths.c_str() + b.offset) > 0;
    case SortByDate: return a.date < b.date;
    }
    return false;
}

void CKzDirList::Sort(ESort order, SortProgress progress)
{
    if (!m_open || m_count < 2) return;
    if (!progress) {
        // Same order as the exchange sort below: both are stable and exchange only entries
        // that are strictly out of order.
        if (order == SortByName || order == SortByDate) {
            std::stable_sort(m_entries.begin(), m_entries.end(),
                             [&](const Entry& a, const Entry& b) { return OutOfOrder(order, b, a); });
        }
        return;
    }
    const long last = m_count - 1;
    int reported = -1;
    for (long pass = 0;; ++pass) {
        int percent = int(100 * (pass + 1) / last);
        if (percent != reported) progress(reported = percent);
        bool exchanged = false;
        for (long j = 0; j < last; ++j) {
            if (OutOfOrder(order, m_entries[size_t(j)], m_entries[size_t(j + 1)])) {
                std::swap(m_entries[size_t(j)], m_entries[size_t(j + 1)]);
                exchanged = true;
            }
        }
        if (!exchanged) {
            progress(100);
            return;
        }
        if (pass + 1 >= last) return;
    }
}
