// The one table of codecs: which formats exist, in which order unknown data is tried.
#pragma once

#include "ImageCodec.h"

#include <memory>
#include <span>
#include <string>

// Null when no codec for the format is built in.
std::unique_ptr<ImageCodec> CreateCodec(ImageFormat format);

// BMP, JPEG, ICO, GIF, PNG, TIFF, TGA, PCX, WBMP, WMF.
std::span<const ImageFormat> DecodeTryOrder();

bool IsMultiImageFormat(ImageFormat format);

using CodecFactory = std::unique_ptr<ImageCodec> (*)(ImageFormat format);

// The dispatch rules of Picture::Load, Save, Decode and Encode over any codec factory.
struct PictureDispatch {
    static bool Decode(Picture& target, ByteStream& stream, ImageFormat format, CodecFactory factory);
    static bool Encode(Picture& source, ByteStream& stream, ImageFormat format, CodecFactory factory);
    static bool Load(Picture& target, const std::string& path, ImageFormat format, CodecFactory factory);
    static bool Save(Picture& source, const std::string& path, ImageFormat format, CodecFactory factory);
};
