// vistrel-img: the image layer from the command line.
//   vistrel-img info FILE
//   vistrel-img convert IN OUT [bmp|gif|jpg|png|tif|tga|pcx|ico|wbmp]
//   vistrel-img exif FILE
#include "Kzutil.h"
#include "Picture.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct FormatName {
    const char* name;
    ImageFormat format;
};

constexpr FormatName kFormatNames[] = {
    {"bmp", ImageFormat::Bmp},  {"dib", ImageFormat::Bmp},  {"gif", ImageFormat::Gif},
    {"jpg", ImageFormat::Jpg},  {"jpeg", ImageFormat::Jpg}, {"jpe", ImageFormat::Jpg},
    {"png", ImageFormat::Png},  {"ico", ImageFormat::Ico},  {"tif", ImageFormat::Tif},
    {"tiff", ImageFormat::Tif}, {"tga", ImageFormat::Tga},  {"pcx", ImageFormat::Pcx},
    {"wbmp", ImageFormat::Wbmp}, {"wmf", ImageFormat::Wmf}, {"emf", ImageFormat::Wmf},
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

ImageFormat FormatFromName(const std::string& name)
{
    const std::string lower = Lower(name);
    for (const auto& entry : kFormatNames)
        if (lower == entry.name) return entry.format;
    return ImageFormat::Unknown;
}

ImageFormat FormatFromPath(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ImageFormat::Unknown;
    return FormatFromName(path.substr(dot + 1));
}

const char* FormatLabel(ImageFormat format)
{
    static const char* const labels[] = {"unknown", "bmp", "gif", "jpg", "png", "ico",
                                         "tif",     "tga", "pcx", "wbmp", "wmf"};
    const auto value = static_cast<std::uint32_t>(format);
    return value < std::size(labels) ? labels[value] : "unknown";
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: vistrel-img info FILE\n"
                 "       vistrel-img convert IN OUT [bmp|gif|jpg|png|tif|tga|pcx|ico|wbmp]\n"
                 "       vistrel-img exif FILE\n");
    return 2;
}

int Fail(const char* path, const Picture& picture)
{
    const char* reason = picture.GetLastError();
    std::fprintf(stderr, "%s: %s\n", path, *reason ? reason : std::strerror(errno));
    return 1;
}

int Info(const char* path)
{
    Picture picture;
    errno = 0;
    if (!picture.Load(path, ImageFormat::Unknown)) return Fail(path, picture);
    std::printf("format: %s\nwidth: %d\nheight: %d\nbits per pixel: %u\ndpi: %d x %d\nframes: %d\n",
                FormatLabel(picture.GetType()), picture.GetWidth(), picture.GetHeight(), picture.GetBpp(),
                picture.GetDpiX(), picture.GetDpiY(), picture.GetNumFrames());
    return 0;
}

int Convert(const char* in, const char* out, const char* formatName)
{
    const ImageFormat format = formatName ? FormatFromName(formatName) : FormatFromPath(out);
    if (format == ImageFormat::Unknown || format == ImageFormat::Wmf) {
        std::fprintf(stderr, "%s: cannot tell which format to write; name one of "
                             "bmp gif jpg png tif tga pcx ico wbmp\n", out);
        return 2;
    }
    Picture picture;
    errno = 0;
    if (!picture.Load(in, FormatFromPath(in))) return Fail(in, picture);
    // JPEG holds colour or grey samples only: a colour palette is widened first, as the viewer does.
    if (format == ImageFormat::Jpg && picture.GetBpp() < 24 && !picture.IsGrayScale()) picture.IncreaseBpp(24);
    errno = 0;
    if (!picture.Save(out, format)) return Fail(out, picture);
    return 0;
}

// What the Exif dialog says for each failure of CKzExifFile::Open (it shows texts for 5, 6, 7).
const char* ExifFailure(int code)
{
    switch (code) {
    case CKzExifFile::ErrorNoImageStart:
    case CKzExifFile::ErrorNoExif: return "This file contains no Exif information.";
    case CKzExifFile::ErrorCorrupt: return "The Exif information in this file is corrupt.";
    case CKzExifFile::ErrorNoFile: return "no such file";
    case CKzExifFile::ErrorBadPath: return "the path is empty or too long";
    case CKzExifFile::ErrorNoMemory: return "the file is too big to read into memory";
    case CKzExifFile::ErrorEmptyFile: return "the file is empty or not a regular file";
    default: return nullptr;
    }
}

// The Exif report as the viewer's Exif dialog shows it, in the dialog's buffer size.
int Exif(const char* path)
{
    CKzExifFile file;
    errno = 0;
    if (!file.Open(path)) {
        const char* reason = ExifFailure(file.GetErrorCode());
        std::fprintf(stderr, "%s: %s\n", path, reason ? reason : std::strerror(errno ? errno : EIO));
        return 1;
    }
    char report[4096] = {};
    const bool found = file.GetExifInformation(report, sizeof report);
    file.Close();
    if (!found) {
        std::fprintf(stderr, "%s: the Exif information holds no values to show\n", path);
        return 1;
    }
    std::fputs(report, stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "exif") == 0) return Exif(argv[2]);
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "convert") == 0)
        return Convert(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    return Usage();
}
