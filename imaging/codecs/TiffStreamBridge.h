// Opens libtiff on a ByteStream: reads, writes and seeks go to the stream, nothing is mapped,
// and closing leaves the stream to its owner. Each handle keeps libtiff's messages to itself and
// caps libtiff's single allocations, so a hostile file cannot make it ask for gigabytes.
#pragma once

#include <cstdarg>
#include <cstdint>

#include <tiffio.h>

class ByteStream;

class TiffStreamBridge {
public:
    explicit TiffStreamBridge(ByteStream& bytes) : stream(&bytes) {}
    TiffStreamBridge(const TiffStreamBridge&) = delete;
    TiffStreamBridge& operator=(const TiffStreamBridge&) = delete;

    // mode "r" or "w"; null when libtiff refuses the stream. The bridge must outlive the handle.
    TIFF* Open(const char* mode);
    bool Uses(const ByteStream& bytes) const { return stream == &bytes; }
    // libtiff reported an error, or a write fell short, since the handle was opened.
    bool Failed() const { return failed; }
    // Later reads and writes fail: for closing a handle whose stream is no longer to be written.
    void Detach() { stream = nullptr; }

private:
    static tmsize_t Read(thandle_t self, void* buffer, tmsize_t size);
    static tmsize_t Write(thandle_t self, void* buffer, tmsize_t size);
    static toff_t Seek(thandle_t self, toff_t offset, int origin);
    static int Close(thandle_t self);
    static toff_t Size(thandle_t self);
    static int Map(thandle_t self, void** base, toff_t* size);
    static void Unmap(thandle_t self, void* base, toff_t size);
    static int OnError(TIFF* file, void* self, const char* module, const char* format, va_list arguments);
    static int OnWarning(TIFF* file, void* self, const char* module, const char* format, va_list arguments);

    ByteStream* stream;
    bool failed = false;
};
