// JPEG files through libjpeg (interface 62), with the resolution taken from the Exif block or
// the JFIF header.
#pragma once

#include "ImageCodec.h"
#include "JpegSectionReader.h"

struct jpeg_decompress_struct;
struct jpeg_compress_struct;
class JpegStreamBridge;
struct JpegErrorManager;

class JpegCodec : public ImageCodec {
public:
    JpegCodec() : ImageCodec(ImageFormat::Jpg) {}

    bool Decode(ByteStream& in) override;
    bool Encode(ByteStream& out) override;

    using ImageCodec::Decode;
    using ImageCodec::Encode;

    const ExifSummary& GetExifSummary() const { return exif; }

private:
    bool Decompress(jpeg_decompress_struct& cinfo, JpegErrorManager& errors, JpegStreamBridge& bridge);
    bool Compress(jpeg_compress_struct& cinfo, JpegErrorManager& errors, JpegStreamBridge& bridge);
    void ApplyResolution(const jpeg_decompress_struct& cinfo);

    ExifSummary exif;
};
