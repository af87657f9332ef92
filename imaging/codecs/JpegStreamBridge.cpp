#include "JpegStreamBridge.h"

#include "ByteStream.h"

#include <jerror.h>

// The callbacks run inside libjpeg and may leave through its error exit (a long jump), so
// they hold no objects with destructors.

void JpegStreamBridge::AttachTo(jpeg_decompress_struct& cinfo)
{
    source.init_source = InitSource;
    source.fill_input_buffer = FillInputBuffer;
    source.skip_input_data = SkipInputData;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = TermSource;
    source.next_input_byte = nullptr;
    source.bytes_in_buffer = 0;
    source.bridge = this;
    cinfo.src = &source;
}

void JpegStreamBridge::AttachTo(jpeg_compress_struct& cinfo)
{
    destination.init_destination = InitDestination;
    destination.empty_output_buffer = EmptyOutputBuffer;
    destination.term_destination = TermDestination;
    destination.bridge = this;
    cinfo.dest = &destination;
}

void JpegStreamBridge::InitSource(j_decompress_ptr cinfo)
{
    Of(cinfo).startOfFile = true;
}

boolean JpegStreamBridge::FillInputBuffer(j_decompress_ptr cinfo)
{
    JpegStreamBridge& self = Of(cinfo);
    std::size_t count = self.stream.Read(self.buffer.data(), 1, kBufferSize);
    if (count == 0) {
        if (self.startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A cut-off file decodes to its end: libjpeg fills the missing rows itself.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        self.inputCut = true;
        self.buffer[0] = 0xFF;
        self.buffer[1] = JPEG_EOI;
        count = 2;
    }
    self.source.next_input_byte = self.buffer.data();
    self.source.bytes_in_buffer = count;
    self.startOfFile = false;
    return TRUE;
}

void JpegStreamBridge::SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    jpeg_source_mgr& src = *cinfo->src;
    while (std::size_t(count) > src.bytes_in_buffer) {
        count -= long(src.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src.next_input_byte += count;
    src.bytes_in_buffer -= std::size_t(count);
}

void JpegStreamBridge::TermSource(j_decompress_ptr) {}

void JpegStreamBridge::InitDestination(j_compress_ptr cinfo)
{
    JpegStreamBridge& self = Of(cinfo);
    self.destination.next_output_byte = self.buffer.data();
    self.destination.free_in_buffer = kBufferSize;
}

boolean JpegStreamBridge::EmptyOutputBuffer(j_compress_ptr cinfo)
{
    JpegStreamBridge& self = Of(cinfo);
    if (self.stream.Write(self.buffer.data(), 1, kBufferSize) != kBufferSize) ERREXIT(cinfo, JERR_FILE_WRITE);
    self.destination.next_output_byte = self.buffer.data();
    self.destination.free_in_buffer = kBufferSize;
    return TRUE;
}

void JpegStreamBridge::TermDestination(j_compress_ptr cinfo)
{
    JpegStreamBridge& self = Of(cinfo);
    const std::size_t pending = kBufferSize - self.destination.free_in_buffer;
    if (pending > 0 && self.stream.Write(self.buffer.data(), 1, pending) != pending) ERREXIT(cinfo, JERR_FILE_WRITE);
    self.stream.Flush();
    if (self.stream.Error() != 0) ERREXIT(cinfo, JERR_FILE_WRITE);
}
