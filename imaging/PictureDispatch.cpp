// Picture's format dispatch: Load, Save, Decode and Encode pick a codec by format.
#include "CodecTable.h"
#include "FileStream.h"
#include "Picture.h"
#include "ReplacingFile.h"

#include <cstring>
#include <exception>

namespace {

constexpr const char* kUnknownDecode = "Decode: Unknown or wrong format";
constexpr const char* kUnknownEncode = "Encode: Unknown format";

// Codecs report failures through lastError; anything else they let escape (an allocation
// failure inside a library, say) is turned into a failed attempt here, never passed on.
bool RunCodec(ImageCodec& codec, bool (ImageCodec::*operation)(ByteStream&), ByteStream& stream)
{
    try {
        return (codec.*operation)(stream);
    } catch (const std::exception& error) {
        codec.SetLastError(error.what());
    } catch (...) {
        codec.SetLastError("Codec failure");
    }
    return false;
}

bool IsCodecFormat(ImageFormat format)
{
    return FindCodecEntry(format) != nullptr;
}

bool DecodeFile(Picture& picture, const std::string& path, ImageFormat format, CodecFactory factory)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    FileStream stream(file);
    const bool ok = PictureDispatch::Decode(picture, stream, format, factory);
    std::fclose(file);
    return ok;
}

} // namespace

bool PictureDispatch::Decode(Picture& target, ByteStream& stream, ImageFormat format, CodecFactory factory)
{
    if (format == ImageFormat::Unknown) {
        const std::int32_t start = stream.Tell();
        for (const CodecEntry& entry : CodecTable()) {
            std::unique_ptr<ImageCodec> codec = factory(entry.format);
            if (!codec) continue;
            codec->SetDecodeBox(target.info.decodeBoxWidth, target.info.decodeBoxHeight);
            if (RunCodec(*codec, &ImageCodec::Decode, stream)) {
                target.Transfer(*codec);
                return true;
            }
            stream.Seek(start, 0);
        }
        target.SetLastError(kUnknownDecode);
        return false;
    }

    std::unique_ptr<ImageCodec> codec = IsCodecFormat(format) ? factory(format) : nullptr;
    if (!codec) {
        target.SetLastError(kUnknownDecode);
        return false;
    }
    codec->SetDecodeBox(target.info.decodeBoxWidth, target.info.decodeBoxHeight);
    const bool multiImage = FindCodecEntry(format)->multiImage;
    if (multiImage) codec->SetFrame(target.info.frame);
    if (RunCodec(*codec, &ImageCodec::Decode, stream)) {
        target.Transfer(*codec);
        return true;
    }
    target.SetLastError(codec->GetLastError());
    if (multiImage) target.info.frameCount = codec->GetNumFrames();
    return false;
}

bool PictureDispatch::Encode(Picture& source, ByteStream& stream, ImageFormat format, CodecFactory factory)
{
    std::unique_ptr<ImageCodec> codec = IsCodecFormat(format) ? factory(format) : nullptr;
    if (!codec) {
        source.SetLastError(kUnknownEncode);
        return false;
    }
    codec->BorrowBuffers(source);
    const bool ok = RunCodec(*codec, &ImageCodec::Encode, stream);
    if (!ok) source.SetLastError(codec->GetLastError());
    return ok;
}

bool Picture::Decode(ByteStream& stream, ImageFormat format)
{
    return PictureDispatch::Decode(*this, stream, format, CreateCodec);
}

bool Picture::Encode(ByteStream& stream, ImageFormat format)
{
    return PictureDispatch::Encode(*this, stream, format, CreateCodec);
}

bool Picture::Decode(std::FILE* file, ImageFormat format)
{
    FileStream stream(file);
    return Decode(stream, format);
}

bool Picture::Encode(std::FILE* file, ImageFormat format)
{
    FileStream stream(file);
    return Encode(stream, format);
}

bool PictureDispatch::Load(Picture& target, const std::string& path, ImageFormat format, CodecFactory factory)
{
    // An unreadable file fails both attempts and leaves lastError as it was.
    if (IsCodecFormat(format) && DecodeFile(target, path, format, factory)) return true;
    char kept[sizeof target.info.lastError];
    std::memcpy(kept, target.info.lastError, sizeof kept);
    // A file whose extension named the wrong format still loads by its content.
    if (DecodeFile(target, path, ImageFormat::Unknown, factory)) return true;
    if (format != ImageFormat::Unknown) std::memcpy(target.info.lastError, kept, sizeof kept);
    return false;
}

bool Picture::Load(const std::string& path, ImageFormat format)
{
    return PictureDispatch::Load(*this, path, format, CreateCodec);
}

bool PictureDispatch::Save(Picture& source, const std::string& path, ImageFormat format, CodecFactory factory)
{
    // A failed save never destroys the file that was there and never leaves an empty one behind.
    ReplacingFile file(path);
    if (!file.Stream()) return false;
    FileStream stream(file.Stream());
    if (!Encode(source, stream, format, factory)) return false;
    if (!file.Commit()) {
        source.SetLastError("Save: cannot write the file");
        return false;
    }
    return true;
}

bool Picture::Save(const std::string& path, ImageFormat format)
{
    return PictureDispatch::Save(*this, path, format, CreateCodec);
}
