#include "TiffStreamBridge.h"

#include "ByteStream.h"
#include "Picture.h"
#include "TiffLibrary.h"

#include <algorithm>
#include <limits>

namespace {

TiffStreamBridge& Of(thandle_t self)
{
    return *static_cast<TiffStreamBridge*>(self);
}

// Enough for a strip of the largest picture at 16-bit RGBA, and never more than a picture's rows
// may take; the floor keeps pictures under a lowered ceiling readable.
tmsize_t MaxAllocation()
{
    constexpr std::uint64_t floor = std::uint64_t(64) << 20;
    return tmsize_t(std::clamp(Picture::GetMaxPixels() * 8, floor, Picture::kMaxImageBytes));
}

} // namespace

TIFF* TiffStreamBridge::Open(const char* mode)
{
    if (!TiffLibrary::Load()) return nullptr;
    TIFFOpenOptions* options = Tiff().OpenOptionsAlloc();
    if (!options) return nullptr;
    Tiff().OpenOptionsSetMaxSingleMemAlloc(options, MaxAllocation());
    Tiff().OpenOptionsSetErrorHandlerExtR(options, OnError, this);
    Tiff().OpenOptionsSetWarningHandlerExtR(options, OnWarning, this);
    TIFF* file = Tiff().ClientOpenExt("TIFF IMAGE", mode, this, Read, Write, Seek, Close, Size, Map, Unmap, options);
    Tiff().OpenOptionsFree(options);
    return file;
}

tmsize_t TiffStreamBridge::Read(thandle_t self, void* buffer, tmsize_t size)
{
    ByteStream* stream = Of(self).stream;
    if (!stream || size <= 0) return 0;
    return tmsize_t(stream->Read(buffer, 1, std::size_t(size)));
}

tmsize_t TiffStreamBridge::Write(thandle_t self, void* buffer, tmsize_t size)
{
    TiffStreamBridge& bridge = Of(self);
    const tmsize_t written = bridge.stream && size > 0 ? tmsize_t(bridge.stream->Write(buffer, 1, std::size_t(size))) : 0;
    if (written != size) bridge.failed = true;
    return written;
}

// The new position, or -1 (as libtiff's unsigned offset) when the stream cannot go there. Relative
// offsets arrive as two's complement; the stream's offsets are 32-bit.
toff_t TiffStreamBridge::Seek(thandle_t self, toff_t offset, int origin)
{
    ByteStream* stream = Of(self).stream;
    const auto signedOffset = std::int64_t(offset);
    if (!stream || signedOffset < std::numeric_limits<std::int32_t>::min() ||
        signedOffset > std::numeric_limits<std::int32_t>::max() || !stream->Seek(std::int32_t(signedOffset), origin))
        return toff_t(-1);
    const std::int32_t position = stream->Tell();
    return position < 0 ? toff_t(-1) : toff_t(position);
}

int TiffStreamBridge::Close(thandle_t)
{
    return 0;
}

toff_t TiffStreamBridge::Size(thandle_t self)
{
    ByteStream* stream = Of(self).stream;
    const std::int32_t size = stream ? stream->Size() : 0;
    return size < 0 ? 0 : toff_t(size);
}

int TiffStreamBridge::Map(thandle_t, void**, toff_t*)
{
    return 0;
}

void TiffStreamBridge::Unmap(thandle_t, void*, toff_t) {}

int TiffStreamBridge::OnError(TIFF*, void* self, const char*, const char*, va_list)
{
    static_cast<TiffStreamBridge*>(self)->failed = true;
    return 1;
}

int TiffStreamBridge::OnWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}
