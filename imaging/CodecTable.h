// The one table of formats: every fact about a format (its number, name, file extensions,
// whether it holds several images, whether we write it, its codec) stands in its row, and the
// rows stand in the order unknown data is tried. Dispatch, tools, fuzz targets and filters derive
// what they need from it. Adding a codec is its unit plus its factory in one row.
#pragma once

#include "ImageCodec.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

using CodecFactory = std::unique_ptr<ImageCodec> (*)(ImageFormat format);

struct CodecEntry {
    ImageFormat format;
    // Short lower-case name: what `vistrel-img` prints and accepts.
    const char* name;
    // Lower-case extensions without the dot, separated by spaces; the first is the usual one.
    const char* extensions;
    bool multiImage;
    bool writable;
    // Makes the codec; null while the format has no codec built in.
    std::unique_ptr<ImageCodec> (*make)();
};

// Every format, in the order unknown data is tried.
std::span<const CodecEntry> CodecTable();
// The row of a format, or null for Unknown and numbers outside the table.
const CodecEntry* FindCodecEntry(ImageFormat format);
// The format a name or extension stands for ("JPEG", "tif" …, case ignored), else Unknown.
ImageFormat FormatFromExtension(std::string_view extension);
// The format an extension of the file name stands for, else Unknown.
ImageFormat FormatFromPath(std::string_view path);
// The format's name, or "unknown".
const char* FormatName(ImageFormat format);

// Null when no codec for the format is built in.
std::unique_ptr<ImageCodec> CreateCodec(ImageFormat format);

// The dispatch rules of Picture::Load, Save, Decode and Encode over any codec factory.
struct PictureDispatch {
    static bool Decode(Picture& target, ByteStream& stream, ImageFormat format, CodecFactory factory);
    static bool Encode(Picture& source, ByteStream& stream, ImageFormat format, CodecFactory factory);
    static bool Load(Picture& target, const std::string& path, ImageFormat format, CodecFactory factory);
    static bool Save(Picture& source, const std::string& path, ImageFormat format, CodecFactory factory);
};
