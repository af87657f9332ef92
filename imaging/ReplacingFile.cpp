#include "ReplacingFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a write really replaces: a symbolic link is followed, so the link stays a link.
std::string ResolveTarget(const std::string& path)
{
    struct stat link;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

ReplacingFile::ReplacingFile(const std::string& path) : target(ResolveTarget(path))
{
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x~", unsigned(random()));
        temporary = target + suffix;
        // Readable as well: a TIFF writer reads back the directories it links new pages to.
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        struct stat existing;
        if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) ::fchmod(fd, existing.st_mode & 07777);
        file = ::fdopen(fd, "w+b");
        if (!file) {
            ::close(fd);
            ::unlink(temporary.c_str());
        }
        return;
    }
    temporary.clear();
}

ReplacingFile::~ReplacingFile()
{
    if (!file) return;
    std::fclose(file);
    ::unlink(temporary.c_str());
}

bool ReplacingFile::Commit()
{
    if (!file) return false;
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0 && ::fsync(::fileno(file)) == 0;
    const int error = errno;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    if (ok && std::rename(temporary.c_str(), target.c_str()) == 0) {
        const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    }
    if (!ok) errno = error;
    const int renameError = errno;
    ::unlink(temporary.c_str());
    errno = renameError;
    return false;
}
