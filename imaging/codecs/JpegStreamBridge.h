// Joins libjpeg's source and destination managers to a ByteStream, through a 4096-byte buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

class ByteStream;

class JpegStreamBridge {
public:
    explicit JpegStreamBridge(ByteStream& bytes) : stream(bytes) {}
    JpegStreamBridge(const JpegStreamBridge&) = delete;
    JpegStreamBridge& operator=(const JpegStreamBridge&) = delete;

    // The bridge must outlive the libjpeg object it is attached to.
    void AttachTo(jpeg_decompress_struct& cinfo);
    void AttachTo(jpeg_compress_struct& cinfo);
    // The file ended before its end marker: the rows after that point were filled in, not read.
    bool InputWasCut() const { return inputCut; }

private:
    static constexpr std::size_t kBufferSize = 4096;

    struct Source : jpeg_source_mgr {
        JpegStreamBridge* bridge = nullptr;
    };
    struct Destination : jpeg_destination_mgr {
        JpegStreamBridge* bridge = nullptr;
    };

    static void InitSource(j_decompress_ptr cinfo);
    static boolean FillInputBuffer(j_decompress_ptr cinfo);
    static void SkipInputData(j_decompress_ptr cinfo, long count);
    static void TermSource(j_decompress_ptr cinfo);
    static void InitDestination(j_compress_ptr cinfo);
    static boolean EmptyOutputBuffer(j_compress_ptr cinfo);
    static void TermDestination(j_compress_ptr cinfo);

    static JpegStreamBridge& Of(j_decompress_ptr cinfo) { return *static_cast<Source*>(cinfo->src)->bridge; }
    static JpegStreamBridge& Of(j_compress_ptr cinfo) { return *static_cast<Destination*>(cinfo->dest)->bridge; }

    ByteStream& stream;
    Source source;
    Destination destination;
    std::array<JOCTET, kBufferSize> buffer{};
    bool startOfFile = true;
    bool inputCut = false;
};
