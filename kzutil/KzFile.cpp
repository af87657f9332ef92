#include "KzPath.h"
#include "Kzutil.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using kzpath::IsUsable;

namespace {

constexpr size_t kWriteArea = 65536;

bool Stat(const char* path, struct stat& st)
{
    return IsUsable(path) && ::stat(path, &st) == 0;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

CKzFile::CKzFile(const char* path)
{
    Open(path);
}

CKzFile::CKzFile(const CKzFile& other)
{
    *this = other;
}

// Each copy owns a duplicate of the descriptor, so each closes exactly one.
CKzFile& CKzFile::operator=(const CKzFile& other)
{
    if (this == &other) return *this;
    Close();
    m_fd = other.m_fd >= 0 ? ::fcntl(other.m_fd, F_DUPFD_CLOEXEC, 0) : -1;
    m_wasReadOnly = other.m_wasReadOnly;
    std::memcpy(m_name, other.m_name, sizeof m_name);
    return *this;
}

CKzFile::~CKzFile()
{
    Close();
}

bool CKzFile::Open(const char* path)
{
    if (!IsUsable(path)) return false;
    Close();
    std::memcpy(m_name, path, std::strlen(path) + 1);
    // Only this opening's own change is undone by Close, never one from an earlier file.
    m_wasReadOnly = IsFileReadOnly(path) && SetReadOnly(path, false);
    do {
        m_fd = ::open(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0 && m_wasReadOnly) {
        SetReadOnly(path, true);
        m_wasReadOnly = false;
    }
    return m_fd >= 0;
}

bool CKzFile::Close()
{
    if (m_fd < 0) return false;
    if (m_wasReadOnly) SetReadOnly(m_name, true);
    ::close(m_fd);
    m_fd = -1;
    m_name[0] = '\0';
    return true;
}

bool CKzFile::Write(const char* format, ...) const
{
    if (m_fd < 0 || !format) return false;
    char area[kWriteArea];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(area, sizeof area, format, args);
    va_end(args);
    if (n < 0 || size_t(n) >= sizeof area) return false;
    std::string text;
    text.reserve(size_t(n) + 64);
    for (int i = 0; i < n; ++i) {
        if (area[i] == '\n') text += '\r';
        text += area[i];
    }
    return WriteAll(m_fd, text.data(), text.size());
}

bool CKzFile::Flush()
{
    return m_fd >= 0 && ::fsync(m_fd) == 0;
}

bool CKzFile::Clear()
{
    if (m_fd < 0) return false;
    char name[sizeof m_name];
    std::memcpy(name, m_name, sizeof name);
    bool readOnly = m_wasReadOnly;
    Close();
    return Delete(name) && Create(name, readOnly) && Open(name);
}

bool CKzFile::Create(const char* path, bool readOnly)
{
    if (!IsUsable(path)) return false;
    int fd;
    do {
        fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, readOnly ? 0444 : 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool CKzFile::Delete(const char* path)
{
    if (!IsUsable(path)) return false;
    SetReadOnly(path, false);
    return ::unlink(path) == 0;
}

bool CKzFile::FileExists(const char* path)
{
    struct stat st;
    return Stat(path, st);
}

bool CKzFile::IsFilePresent(const char* path)
{
    return FileExists(path);
}

bool CKzFile::IsDirectory(const char* path)
{
    struct stat st;
    return Stat(path, st) && S_ISDIR(st.st_mode);
}

bool CKzFile::IsFileReadOnly(const char* path)
{
    struct stat st;
    return Stat(path, st) && !(st.st_mode & S_IWUSR);
}

bool CKzFile::SetReadOnly(const char* path, bool readOnly)
{
    struct stat st;
    if (!Stat(path, st)) return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    return ::chmod(path, mode) == 0;
}

bool CKzFile::Rename(const char* from, const char* to)
{
    if (!IsUsable(from) || !IsUsable(to)) return false;
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    // File systems without the no-replace flag: check first, then move.
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat st;
    if (::lstat(to, &st) == 0) return false;
    return ::rename(from, to) == 0;
}

double CKzFile::GetFileSize(const char* path)
{
    struct stat st;
    return Stat(path, st) ? double(st.st_size) : -1;
}

const char* CKzFile::GetFileDriveLetter(const char*)
{
    return "";
}

bool CKzFile::IsFileInPath(const char* name)
{
    if (!IsUsable(name)) return false;
    const char* list = std::getenv("PATH");
    if (!list) return false;
    std::string entries(list);
    bool found = false;
    size_t start = 0;
    while (start <= entries.size()) {
        size_t end = entries.find(':', start);
        if (end == std::string::npos) end = entries.size();
        std::string dir = entries.substr(start, end - start);
        start = end + 1;
        if (dir.empty()) continue;
        if (!kzpath::EndsWithSeparator(dir)) dir += kzpath::kSeparator;
        std::string candidate = dir + name;
        if (candidate.size() < kzpath::kMaxPath && FileExists(candidate.c_str())) found = true;
    }
    return found;
}

const char* CKzFile::GetFileContent(const char* path)
{
    static thread_local CKzString content;
    if (!IsUsable(path)) return content;
    // Non-blocking, so a FIFO given by mistake cannot stall the caller.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return content;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 1 && st.st_size < INT_MAX) {
        size_t size = size_t(st.st_size);
        char* data = new (std::nothrow) char[size + 1];
        if (data) {
            size_t got = 0;
            while (got < size) {
                ssize_t n = ::read(fd, data + got, size - got);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += size_t(n);
            }
            if (got == size) {
                data[size] = '\0';
                content = data;
            }
            delete[] data;
        }
    }
    ::close(fd);
    return content;
}
