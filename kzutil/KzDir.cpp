#include "KzPath.h"
#include "Kzutil.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The current directory's sub-directories a walk may enter, sorted by name as a file manager
// shows them (ignoring case, then exactly): Linux file systems return them in hash order. Links
// are left out: entering one would land outside the tree and lose the walker's position.
bool Siblings(std::vector<std::string>& names)
{
    DIR* handle = ::opendir(".");
    if (!handle) return false;
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] == '.') continue;
        if (std::strlen(entry->d_name) >= kzpath::kMaxPath) continue;
        struct stat st;
        if (::fstatat(::dirfd(handle), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            names.push_back(entry->d_name);
    }
    ::closedir(handle);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int folded = ::strcasecmp(a.c_str(), b.c_str());
        return folded != 0 ? folded < 0 : a < b;
    });
    return true;
}

// Where dir (with its trailing separator) stands among the names below base: the exact match
// first, else one that differs only in case; -1 when none.
long IndexOf(const std::vector<std::string>& names, const std::string& base, const std::string& dir)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (base + names[i] + kzpath::kSeparator == dir) return long(i);
    for (size_t i = 0; i < names.size(); ++i)
        if (::strcasecmp((base + names[i] + kzpath::kSeparator).c_str(), dir.c_str()) == 0) return long(i);
    return -1;
}

// Moves to the sibling at offset from the current directory, or back where it started.
bool Step(long offset)
{
    std::string start = CKzDir::GetDirectory();
    if (!CKzDir::Parent()) return false;
    std::string base = CKzDir::GetDirectory();
    std::vector<std::string> names;
    bool moved = false;
    if (!base.empty() && Siblings(names)) {
        long at = IndexOf(names, base, start);
        long to = at < 0 ? -1 : at + offset;
        if (at >= 0 && to >= 0 && to < long(names.size()))
            moved = CKzDir::SetDirectory((base + names[size_t(to)] + kzpath::kSeparator).c_str());
    }
    if (!moved) CKzDir::SetDirectory(start.c_str());
    return moved;
}

} // namespace

CKzDir::~CKzDir() = default;

const char* CKzDir::GetDirectory()
{
    static thread_local char buffer[260];
    std::memset(buffer, 0, sizeof buffer);
    char cwd[kzpath::kMaxPath];
    if (!::getcwd(cwd, sizeof cwd)) return buffer;
    std::string dir(cwd);
    if (!kzpath::EndsWithSeparator(dir)) dir += kzpath::kSeparator;
    return kzpath::Put(buffer, sizeof buffer, dir);
}

bool CKzDir::SetDirectory(const char* path)
{
    if (!kzpath::IsUsable(path)) return false;
    if (::chdir(path) != 0) return false;
    if (std::strcmp(path, ".") == 0 || std::strcmp(path, "..") == 0) return true;
    std::string wanted(path);
    if (!kzpath::EndsWithSeparator(wanted)) wanted += kzpath::kSeparator;
    return ::strcasecmp(wanted.c_str(), GetDirectory()) == 0;
}

bool CKzDir::Parent()
{
    std::string dir = GetDirectory();
    if (dir.empty() || dir == "/") return false;
    return SetDirectory("..");
}

bool CKzDir::Child()
{
    std::vector<std::string> names;
    if (!Siblings(names)) return false;
    std::string base = GetDirectory();
    if (base.empty()) return false;
    for (const std::string& name : names)
        if (SetDirectory((base + name).c_str())) return true;
    return false;
}

bool CKzDir::First()
{
    return Parent() && Child();
}

bool CKzDir::Next()
{
    return Step(+1);
}

bool CKzDir::Previous()
{
    return Step(-1);
}

bool CKzDir::Last()
{
    std::string start = GetDirectory();
    if (!Parent()) return false;
    std::string base = GetDirectory();
    std::vector<std::string> names;
    bool moved = !base.empty() && Siblings(names) && !names.empty() &&
                 SetDirectory((base + names.back() + kzpath::kSeparator).c_str());
    if (!moved) SetDirectory(start.c_str());
    return moved;
}

int CKzDir::GetSubDirectories()
{
    std::vector<std::string> names;
    return Siblings(names) ? int(names.size()) : 0;
}

bool CKzDir::IsDirectory(const char* path)
{
    return CKzFile::IsDirectory(path);
}

bool CKzDir::DirectoryExists(const char* path)
{
    return CKzFile::IsDirectory(path);
}

bool CKzDir::CreateDirectoryA(const char* path)
{
    return kzpath::IsUsable(path) && ::mkdir(path, 0777) == 0;
}
