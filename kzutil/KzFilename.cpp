#include "KzPath.h"
#include "Kzutil.h"

#include <string>

using kzpath::EndsWithSeparator;
using kzpath::IsSeparator;

namespace {

struct PathParts {
    std::string drive, dir, title, ext;
};

PathParts Split(const std::string& path)
{
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t nameStart = start;
    for (size_t i = start; i < path.size(); ++i)
        if (IsSeparator(path[i])) nameStart = i + 1;
    parts.dir = path.substr(start, nameStart - start);
    std::string name = path.substr(nameStart);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        parts.title = name;
    } else {
        parts.title = name.substr(0, dot);
        parts.ext = name.substr(dot);
    }
    return parts;
}

// Only a non-empty directory gains a separator, so a bare name never becomes a root path.
std::string WithSeparator(const std::string& dir)
{
    return dir.empty() || EndsWithSeparator(dir) ? dir : dir + kzpath::kSeparator;
}

std::string Compose(const PathParts& p)
{
    std::string ext = p.ext.empty() || p.ext[0] == '.' ? p.ext : "." + p.ext;
    return p.drive + WithSeparator(p.dir) + p.title + ext;
}

bool Given(const char* s)
{
    return s && *s;
}

template <size_t N>
const char* Result(char (&buffer)[N], const std::string& text)
{
    return kzpath::Put(buffer, N, text);
}

} // namespace

CKzFilename::~CKzFilename() = default;

bool CKzFilename::IncludeTrailingBackslash(char* path)
{
    if (!Given(path)) return false;
    size_t n = std::strlen(path);
    if (IsSeparator(path[n - 1])) return true;
    if (n + 1 >= kzpath::kMaxPath) return false;
    path[n] = kzpath::kSeparator;
    path[n + 1] = '\0';
    return true;
}

bool CKzFilename::ExcludeTrailingBackslash(char* path)
{
    if (!Given(path)) return false;
    size_t n = std::strlen(path);
    if (IsSeparator(path[n - 1])) path[n - 1] = '\0';
    return true;
}

const char* CKzFilename::GetFileDirectory(const char* path)
{
    static thread_local char buffer[260];
    if (!Given(path)) return buffer;
    PathParts p = Split(path);
    return Result(buffer, WithSeparator(p.drive + p.dir));
}

const char* CKzFilename::GetFileName(const char* path)
{
    static thread_local char buffer[260];
    if (!Given(path)) return buffer;
    PathParts p = Split(path);
    return Result(buffer, p.title + p.ext);
}

const char* CKzFilename::GetFileExtension(const char* path)
{
    static thread_local char buffer[256];
    if (!Given(path)) return buffer;
    return Result(buffer, Split(path).ext);
}

const char* CKzFilename::GetFileTitle(const char* path)
{
    static thread_local char buffer[256];
    if (!Given(path)) return buffer;
    return Result(buffer, Split(path).title);
}

const char* CKzFilename::SetFileDirectory(const char* path, const char* dir)
{
    static thread_local char buffer[260];
    if (!Given(path) || !Given(dir)) return buffer;
    PathParts p = Split(path);
    return Result(buffer, WithSeparator(dir) + p.title + p.ext);
}

const char* CKzFilename::SetFileExtension(const char* path, const char* ext)
{
    static thread_local char buffer[260];
    if (!Given(path) || !Given(ext)) return buffer;
    PathParts p = Split(path);
    p.ext = ext;
    return Result(buffer, Compose(p));
}

const char* CKzFilename::SetFileName(const char* path, const char* name)
{
    static thread_local char buffer[260];
    if (!Given(path) || !Given(name)) return buffer;
    PathParts p = Split(path);
    return Result(buffer, WithSeparator(p.drive + p.dir) + name);
}

const char* CKzFilename::SetFileTitle(const char* path, const char* title)
{
    static thread_local char buffer[260];
    if (!Given(path) || !Given(title)) return buffer;
    PathParts p = Split(path);
    p.title = title;
    return Result(buffer, Compose(p));
}

const char* CKzFilename::GetLongPath(const char* path)
{
    static thread_local char buffer[260];
    return Result(buffer, path ? path : "");
}
