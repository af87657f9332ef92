#include "TextFile.h"

#include <cerrno>
#include <cstdio>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(std::size_t(n));
    }
    return true;
}

} // namespace

bool ReplaceTextFile(const std::string& path, std::string_view text)
{
    if (path.empty()) return false;
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // mkstemp makes the file private; a page or template is meant to be read by others too.
    bool ok = ::fchmod(fd, 0644) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        // The caller reports why the write failed, not why the clean-up did.
        const int reason = errno;
        ::unlink(temporary.c_str());
        errno = reason;
    }
    return ok;
}

bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit)
{
    // Non-blocking, so that a FIFO in place of the file cannot stall the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::size_t(st.st_size) <= limit;
    std::string content;
    if (ok) {
        content.resize(std::size_t(st.st_size));
        std::size_t got = 0;
        while (got < content.size()) {
            const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += std::size_t(n);
        }
        ok = got == content.size();
    }
    ::close(fd);
    if (!ok) return false;
    content.resize(content.find('\0') == std::string::npos ? content.size() : content.find('\0'));
    text = std::move(content);
    return true;
}
