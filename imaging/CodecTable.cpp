#include "CodecTable.h"

#include "BmpCodec.h"
#include "JpegCodec.h"
#include "PngCodec.h"

// Adding a codec: include its header and add its line to CreateCodec.

std::unique_ptr<ImageCodec> CreateCodec(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp: return std::make_unique<BmpCodec>();
    case ImageFormat::Jpg: return std::make_unique<JpegCodec>();
    case ImageFormat::Png: return std::make_unique<PngCodec>();
    default:
        return nullptr;
    }
}

std::span<const ImageFormat> DecodeTryOrder()
{
    static constexpr ImageFormat order[] = {
        ImageFormat::Bmp, ImageFormat::Jpg, ImageFormat::Ico, ImageFormat::Gif,  ImageFormat::Png,
        ImageFormat::Tif, ImageFormat::Tga, ImageFormat::Pcx, ImageFormat::Wbmp, ImageFormat::Wmf,
    };
    return order;
}

bool IsMultiImageFormat(ImageFormat format)
{
    return format == ImageFormat::Gif || format == ImageFormat::Ico || format == ImageFormat::Tif;
}
