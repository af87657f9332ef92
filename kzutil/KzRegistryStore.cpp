#include "KzRegistryStore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kzreg {

namespace {

// A store file beyond this is not a settings file; refusing it keeps readers from huge
// allocations, and writers from rewriting it.
constexpr off_t kMaxFileSize = off_t(64) << 20;
constexpr int kMaxDamagedCopies = 100;

std::string SystemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0) close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes and reports whether the close succeeded (a failed close may lose written data).
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return close(fd) == 0;
    }

private:
    int m_fd;
};

// Holds a flock on the root's lock file. The data file itself is replaced by rename, so the
// lock lives on a file of its own that is never replaced.
class StoreLock {
public:
    bool Acquire(const std::string& path, int operation, bool createFolder, std::string& error)
    {
        if (createFolder && !MakeFolders(path.substr(0, path.rfind('/')), error)) return false;
        m_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            error = SystemError("cannot open lock file", path);
            return false;
        }
        while (flock(m_fd, operation) != 0) {
            if (errno != EINTR) {
                error = SystemError("cannot lock", path);
                return false;
            }
        }
        return true;
    }
    StoreLock() = default;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock()
    {
        if (m_fd >= 0) close(m_fd); // also releases the lock
    }

private:
    static bool MakeFolders(const std::string& folder, std::string& error)
    {
        for (size_t sep = folder.find('/', 1);; sep = folder.find('/', sep + 1)) {
            const std::string part = folder.substr(0, sep);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                error = SystemError("cannot create folder", part);
                return false;
            }
            if (sep == std::string::npos) return true;
        }
    }

    int m_fd = -1;
};

// Reads the whole file; a missing file is an empty text.
bool ReadText(const std::string& path, std::string& text, std::string& error)
{
    text.clear();
    Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return true;
        error = SystemError("cannot open", path);
        return false;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file: " + path;
        return false;
    }
    if (info.st_size > kMaxFileSize) {
        error = "store file too large: " + path;
        return false;
    }
    char buffer[65536];
    while (true) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = SystemError("cannot read", path);
            return false;
        }
        text.append(buffer, size_t(n));
        if (text.size() > size_t(kMaxFileSize)) {
            error = "store file too large: " + path;
            return false;
        }
    }
}

bool SyncFolder(const std::string& folder)
{
    Fd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && fsync(fd.get()) == 0;
}

// Writes text to a temporary file beside path and renames it over path, so a crash leaves
// either the old or the new file, never a mixture. The file keeps its permissions; a new one is
// private to the user (mkostemp's 0600), as settings should be.
bool ReplaceFile(const std::string& path, const std::string& text, std::string& error)
{
    std::string temp = path + ".tmp-XXXXXX";
    Fd fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = SystemError("cannot create", temp);
        return false;
    }
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) fchmod(fd.get(), existing.st_mode & 07777);
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd.get(), text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        done += size_t(n);
    }
    if (done < text.size() || fsync(fd.get()) != 0 || !fd.Close() || rename(temp.c_str(), path.c_str()) != 0) {
        error = SystemError("cannot write", path);
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(path.substr(0, path.rfind('/')));
    return true;
}

// Temporary files left by a writer that was killed; only called under the exclusive lock,
// when no other writer can be using one.
void RemoveLeftovers(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = path.substr(0, slash);
    const std::string prefix = path.substr(slash + 1) + ".tmp-";
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir))
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            unlink((folder + '/' + entry->d_name).c_str());
    closedir(dir);
}

bool KeepDamagedCopy(const std::string& path, const std::string& text, std::string& error)
{
    std::string copy = path + ".damaged";
    for (int i = 1; i < kMaxDamagedCopies && access(copy.c_str(), F_OK) == 0; ++i)
        copy = path + ".damaged." + std::to_string(i);
    return ReplaceFile(copy, text, error);
}

// A store file that is a symbolic link (settings kept elsewhere) stays one: writes replace the
// file the link points to.
std::string ResolvedPath(const std::string& path)
{
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string resolved = real;
    std::free(real);
    return resolved;
}

std::string LockPath(Root root)
{
    return KzRegistryStore::FilePath(root) + ".lock";
}

} // namespace

std::string KzRegistryStore::Folder()
{
    const char* dir = std::getenv("KZUTIL_REGISTRY_DIR");
    if (dir && *dir) return dir;
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = getpwuid(getuid());
            home = user ? user->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/kzutil-registry";
}

std::vector<std::string> KzRegistryStore::DefaultFolders()
{
    std::vector<std::string> folders;
    const char* dir = std::getenv("KZUTIL_REGISTRY_DIR");
    if (dir && *dir) return folders;
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs && *dirs ? dirs : "/etc/xdg";
    while (!list.empty()) {
        const size_t colon = list.find(':');
        std::string folder(list.substr(0, colon));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        // Relative entries are invalid there and would depend on the current folder.
        if (folder.empty() || folder[0] != '/') continue;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        folders.push_back(folder + "/kzutil-registry");
    }
    return folders;
}

const char* KzRegistryStore::RootName(Root root)
{
    switch (root) {
    case Root::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case Root::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case Root::CurrentUser: break;
    }
    return "HKEY_CURRENT_USER";
}

std::string KzRegistryStore::FilePath(Root root)
{
    std::string folder = Folder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + '/' + RootName(root) + ".reg";
}

bool KzRegistryStore::ReadLayers(Root root, std::vector<Layer>& layers, std::string& error)
{
    layers.clear();
    std::string text;
    {
        // Without a lock file (no store yet, or a read-only folder) the read still sees a whole
        // file, because writers only ever rename complete files into place.
        StoreLock lock;
        std::string ignored;
        lock.Acquire(LockPath(root), LOCK_SH, false, ignored);
        if (!ReadText(FilePath(root), text, error)) return false;
    }
    layers.push_back({FilePath(root), {}});
    layers.back().document.Parse(text, RootName(root));
    if (root != Root::CurrentUser) return true;
    // Default layers are replaced whole by the package manager, never written by us: no lock.
    for (const std::string& folder : DefaultFolders()) {
        const std::string path = folder + '/' + RootName(root) + ".reg";
        std::string ignored;
        if (!ReadText(path, text, ignored) || text.empty()) continue;
        Layer layer{path, {}};
        if (layer.document.Parse(text, RootName(root))) layers.push_back(std::move(layer));
    }
    return true;
}

KzRegDocument KzRegistryStore::Merged(const std::vector<Layer>& layers)
{
    KzRegDocument document = layers.front().document;
    for (size_t i = 1; i < layers.size(); ++i) document.AddMissing(layers[i].document);
    return document;
}

bool KzRegistryStore::Read(Root root, KzRegDocument& document, std::string& error)
{
    std::vector<Layer> layers;
    if (!ReadLayers(root, layers, error)) return false;
    document = Merged(layers);
    return true;
}

bool KzRegistryStore::Modify(Root root, const std::function<bool(KzRegDocument&)>& edit, std::string& error)
{
    StoreLock lock;
    if (!lock.Acquire(LockPath(root), LOCK_EX, true, error)) return false;
    const std::string path = ResolvedPath(FilePath(root));
    RemoveLeftovers(path);
    std::string text;
    if (!ReadText(path, text, error)) return false;
    KzRegDocument document;
    const bool intact = document.Parse(text, RootName(root));
    if (!edit(document)) return false;
    if (!intact && !text.empty() && !KeepDamagedCopy(path, text, error)) return false;
    return ReplaceFile(path, document.Format(RootName(root)), error);
}

} // namespace kzreg
