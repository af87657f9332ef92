#include "JpegCodec.h"

#include "JpegStreamBridge.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg's standard error manager whose exit formats the message into the picture's
// lastError and jumps back into Decode or Encode.
struct JpegErrorManager : jpeg_error_mgr {
    explicit JpegErrorManager(char* messageBuffer) : message(messageBuffer)
    {
        jpeg_std_error(this);
        error_exit = ExitByJump;
        // Warnings (a cut file, bad data) are recovered from and not printed: a cut file is marked
        // partial instead.
        output_message = [](j_common_ptr) {};
    }

    [[noreturn]] static void ExitByJump(j_common_ptr cinfo)
    {
        auto* self = static_cast<JpegErrorManager*>(cinfo->err);
        (*self->format_message)(cinfo, self->message);
        std::longjmp(self->jump, 1);
    }

    std::jmp_buf jump;
    char* message;
};

namespace {

// libjpeg's own working memory (progressive coefficients): a hostile header must not be able
// to ask for more than this.
constexpr long kMaxLibjpegMemory = 1L << 30;

// Exif resolution in dots per inch, or 0 when it does not give a usable one.
std::int32_t ExifDpi(float resolution, float unitFactor)
{
    if (resolution == 0 || unitFactor == 0) return 0;
    const float dpi = resolution / unitFactor;
    return dpi >= 1 && dpi < 2147483648.0f ? std::int32_t(dpi) : 0;
}

std::uint16_t DensityOf(std::int32_t dpi)
{
    return std::uint16_t(std::clamp<std::int32_t>(dpi, 0, 0xFFFF));
}

// Adobe CMYK as libjpeg delivers it (inverted: 255 is no ink) to blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, std::uint32_t width, std::uint32_t stride)
{
    for (std::uint32_t x = 0; x < width && 3 * x + 2 < stride; ++x, cmyk += 4) {
        const unsigned k = cmyk[3];
        bgr[3 * std::size_t(x)] = std::uint8_t(cmyk[2] * k / 255);
        bgr[3 * x + 1] = std::uint8_t(cmyk[1] * k / 255);
        bgr[3 * x + 2] = std::uint8_t(cmyk[0] * k / 255);
    }
}

// The smallest of libjpeg's scales 1/8, 1/4 and 1/2 that still leaves at least twice the decode
// box each way, so that averaging down to the box afterwards loses nothing visible; 1 without a box.
unsigned ScaleDenominator(JDIMENSION width, JDIMENSION height, const PictureInfo& info)
{
    if (info.decodeBoxWidth <= 0 || info.decodeBoxHeight <= 0) return 1;
    for (const unsigned denominator : {8u, 4u, 2u})
        if (width / denominator >= 2 * std::uint64_t(info.decodeBoxWidth) &&
            height / denominator >= 2 * std::uint64_t(info.decodeBoxHeight))
            return denominator;
    return 1;
}

} // namespace

bool JpegCodec::Decode(ByteStream& in)
{
    exif = {};
    const std::int32_t start = in.Tell();
    {
        JpegSectionReader reader(exif);
        reader.ReadSections(in);
    }
    in.Seek(start, 0);

    JpegErrorManager errors(info.lastError);
    jpeg_decompress_struct cinfo{};
    cinfo.err = &errors;
    JpegStreamBridge bridge(in);
    return Decompress(cinfo, errors, bridge);
}

// Everything between setjmp and the jumps back lives in libjpeg's pools or in the caller's
// frame, so a jump leaks nothing.
bool JpegCodec::Decompress(jpeg_decompress_struct& cinfo, JpegErrorManager& errors, JpegStreamBridge& bridge)
{
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        Destroy();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
    bridge.AttachTo(cinfo);
    jpeg_read_header(&cinfo, TRUE);
    // libjpeg-turbo writes blue-green-red itself, straight into the picture's rows.
    if (cinfo.out_color_space == JCS_RGB) cinfo.out_color_space = JCS_EXT_BGR;
    if (!Picture::FitsCeiling(cinfo.image_width, cinfo.image_height)) {
        SetLastError("JPEG image too large");
        std::longjmp(errors.jump, 1);
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = ScaleDenominator(cinfo.image_width, cinfo.image_height, info);
    jpeg_start_decompress(&cinfo);

    const std::uint32_t width = cinfo.output_width;
    const std::uint32_t components = std::uint32_t(cinfo.output_components);
    if (!Create(std::int32_t(width), std::int32_t(cinfo.output_height), 8 * components, ImageFormat::Jpg))
        std::longjmp(errors.jump, 1);
    ApplyResolution(cinfo);
    info.exifOrientation = exif.orientation;
    if (cinfo.out_color_space == JCS_GRAYSCALE) SetGrayPalette();

    const bool direct = components == 1 || cinfo.out_color_space == JCS_EXT_BGR;
    JSAMPARRAY scratch = direct ? nullptr
                                : (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                             width * components, 1);
    const std::uint32_t stride = info.rowStride;
    while (cinfo.output_scanline < cinfo.output_height) {
        if (info.escape) std::longjmp(errors.jump, 1);
        std::uint8_t* row = info.pixels + std::size_t(cinfo.output_height - 1 - cinfo.output_scanline) * stride;
        JSAMPROW line = direct ? row : scratch[0];
        if (jpeg_read_scanlines(&cinfo, &line, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
        if (direct) continue;
        if (components == 4) {
            CmykToBgr(line, row, width, stride);
        } else {
            std::copy_n(line, std::min<std::size_t>(std::size_t(width) * components, stride), row);
            if (components == 3) SwapRedBlue(row, stride);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    info.partial = bridge.InputWasCut();
    return true;
}

void JpegCodec::ApplyResolution(const jpeg_decompress_struct& cinfo)
{
    if (exif.isExif) {
        if (const std::int32_t dpi = ExifDpi(exif.xResolution, exif.resolutionUnitFactor)) SetDpiX(dpi);
        if (const std::int32_t dpi = ExifDpi(exif.yResolution, exif.resolutionUnitFactor)) SetDpiY(dpi);
    } else if (cinfo.density_unit == 2) {
        SetDpiX(std::int32_t(std::floor(cinfo.X_density * 2.54 + 0.5)));
        SetDpiY(std::int32_t(std::floor(cinfo.Y_density * 2.54 + 0.5)));
    } else {
        SetDpiX(cinfo.X_density);
        SetDpiY(cinfo.Y_density);
    }
}

bool JpegCodec::Encode(ByteStream& out)
{
    if (!IsValid()) {
        SetLastError("No image to save");
        return false;
    }
    if (GetBpp() < 24 && !IsGrayScale()) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    JpegErrorManager errors(info.lastError);
    jpeg_compress_struct cinfo{};
    cinfo.err = &errors;
    JpegStreamBridge bridge(out);
    return Compress(cinfo, errors, bridge);
}

bool JpegCodec::Compress(jpeg_compress_struct& cinfo, JpegErrorManager& errors, JpegStreamBridge& bridge)
{
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    bridge.AttachTo(cinfo);
    const bool grey = GetBpp() < 24;
    cinfo.image_width = JDIMENSION(GetWidth());
    cinfo.image_height = JDIMENSION(GetHeight());
    cinfo.input_components = grey ? 1 : 3;
    // Picture rows are blue-green-red: libjpeg-turbo takes them as they are.
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, info.jpegQuality, TRUE);
    cinfo.density_unit = 1;
    cinfo.X_density = DensityOf(info.dpiX);
    cinfo.Y_density = DensityOf(info.dpiY);
    jpeg_start_compress(&cinfo, TRUE);

    // A 1- or 4-bit grey picture (entry i is grey level i) is widened to one sample per pixel.
    const bool widen = GetBpp() < 8;
    JSAMPARRAY wide = widen ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                         cinfo.image_width, 1)
                            : nullptr;
    for (std::int32_t y = GetHeight() - 1; y >= 0; --y) {
        JSAMPROW line = info.pixels + std::size_t(y) * info.rowStride;
        if (widen) {
            for (std::int32_t x = 0; x < GetWidth(); ++x) wide[0][x] = GetPixelIndex(x, y);
            line = wide[0];
        }
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}
