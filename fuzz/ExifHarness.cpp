// The Exif reader opens files by path, so every input goes into one in-memory file reached
// through /proc: no disk traffic per run.
#include "FuzzTargets.h"

#include "Kzutil.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

void FuzzExif(const std::uint8_t* data, std::size_t size)
{
    static const int fd = memfd_create("exif-fuzz-input", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    CKzExifFile file;
    if (file.Open(path)) {
        char report[4096] = {};
        file.GetExifInformation(report, sizeof report);
        char small[96] = {};
        file.GetExifInformation(small, sizeof small);
        file.Close();
    }
    file.GetErrorCode();
}
