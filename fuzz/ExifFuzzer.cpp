// libFuzzer target: CKzExifFile::Open and the Exif report on arbitrary file contents.
#include "Kzutil.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace {

// The reader opens files by path, so every input goes into one in-memory file reached through
// /proc: no disk traffic per run.
int InputFile()
{
    static const int fd = memfd_create("exif-fuzz-input", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = InputFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
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
    return 0;
}
