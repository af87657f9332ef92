// A file written in full beside its target and moved over it only when complete, so a failed or
// interrupted write never leaves a cut, emptied or mixed file behind. The one way the image layer
// and the programs above it replace a user's file: a symbolic link stays a link (the file it
// points to is replaced), the file keeps its permissions (a new one gets 0666 less the umask),
// and the new content and the folder entry are on disk before Commit returns.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile {
public:
    explicit ReplacingFile(const std::string& target);
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    // Without a successful Commit the temporary file is removed and the target left as it was.
    ~ReplacingFile();

    // Null when the temporary file could not be created (errno tells why).
    std::FILE* Stream() const { return file; }
    // Flushes, syncs and renames over the target; false (errno set) when any step fails.
    bool Commit();

private:
    std::string target;
    std::string temporary;
    std::FILE* file = nullptr;
};
