#include "TextFile.h"

#include "ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReplaceTextFile(const std::string& path, std::string_view text)
{
    if (path.empty()) return false;
    int error = 0;
    {
        ReplacingFile file(path);
        if (file.Stream() && std::fwrite(text.data(), 1, text.size(), file.Stream()) == text.size() && file.Commit())
            return true;
        error = errno;
    }
    // The caller reports why the write failed, not how the temporary file was cleaned up.
    errno = error;
    return false;
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
