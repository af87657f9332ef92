#include "FileStamp.h"

#include <sys/stat.h>

FileStamp FileStamp::Of(const char* path)
{
    struct stat status;
    if (!path || ::stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return {};
    return {true,
            std::uint64_t(status.st_dev),
            std::uint64_t(status.st_ino),
            std::int64_t(status.st_size),
            std::int64_t(status.st_mtim.tv_sec),
            std::int64_t(status.st_mtim.tv_nsec)};
}
