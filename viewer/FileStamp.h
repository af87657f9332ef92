// What tells one state of a file on disk from another: a file rewritten, replaced or removed
// gets another stamp.
#pragma once

#include <cstdint>

struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    // The stamp of the file as it is now; one that does not exist when it cannot be read.
    static FileStamp Of(const char* path);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
