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
    return *this;
}

CKzDirList::~CKzDirList()
{
    Close();
}

// Calls visit(fullPath, date) for every plain file the filter keeps; date is only looked up
// when visit asks for it. The filter sees every entry, directories included.
template <typename Visit>
bool CKzDirList::Enumerate(const char* dir, FileFilter filter, Visit visit) const
{
    std::string base(dir);
    if (!kzpath::EndsWithSeparator(base)) base += kzpath::kSeparator;
    DIR* handle = ::opendir(base.c_str());
    if (!handle) return false;
    int fd = ::dirfd(handle);
    while (const dirent* entry = ::readdir(handle)) {
        std::string path = base + entry->d_name;
        if (path.size() >= kzpath::kMaxPath) continue;
        bool kept = !filter || filter(path.c_str());
        if (!kept) continue;
        long date = 0;
        if (KindOf(fd, entry, visit.wantsDate ? &date : nullptr) != Kind::File) continue;
        if (!visit(path, date)) break;
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
        bool operator()(const std::string&, long) { return ++*count < INT32_MAX; }
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
    struct Collector {
        bool wantsDate = true;
        std::vector<Entry>* entries;
        size_t limit;
        bool operator()(const std::string& path, long date)
        {
            entries->push_back({path, date});
            return entries->size() < limit;
        }
    };
    bool listed = Enumerate(m_dir, filter, Collector{true, &m_entries, size_t(m_count)});
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
    m_open = false;
    m_count = 0;
    m_dir[0] = '\0';
}

const char* CKzDirList::GetFileName(int index) const
{
    static char buffer[260];
    std::memset(buffer, 0, sizeof buffer);
    if (index >= 0 && index < m_count) kzpath::Put(buffer, sizeof buffer, m_entries[size_t(index)].path);
    return buffer;
}

long CKzDirList::GetFileDate(int index) const
{
    return index >= 0 && index < m_count ? m_entries[size_t(index)].date : 0;
}

bool CKzDirList::OutOfOrder(ESort order, const Entry& a, const Entry& b) const
{
    switch (order) {
    case SortByName: return std::strcmp(a.path.c_str(), b.path.c_str()) > 0;
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
