// vistrel-img: the image layer from the command line.
//   vistrel-img info FILE
//   vistrel-img convert [--frame N] IN OUT [FORMAT]
//   vistrel-img convert [--frame N] IN1 IN2 ... OUT.tif
//   vistrel-img exif FILE
//   vistrel-img formats
#include "CodecTable.h"
#include "Kzutil.h"
#include "FileStream.h"
#include "Picture.h"
#include "ReplacingFile.h"
#include "TiffCodec.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// "bmp|gif|jpg…": the formats we write, from the codec table.
std::string WritableNames(const char* separator)
{
    std::string names;
    for (const CodecEntry& entry : CodecTable()) {
        if (!entry.writable) continue;
        if (!names.empty()) names += separator;
        names += entry.name;
    }
    return names;
}

void PrintUsage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: vistrel-img info FILE\n"
                 "       vistrel-img convert [--frame N] IN OUT [%s]\n"
                 "       vistrel-img convert [--frame N] IN1 IN2 ... OUT.tif\n"
                 "       vistrel-img exif FILE\n"
                 "       vistrel-img formats\n"
                 "       vistrel-img --help | --version\n",
                 WritableNames("|").c_str());
}

int Usage()
{
    PrintUsage(stderr);
    return 2;
}

int Help()
{
    PrintUsage(stdout);
    std::fputs("\n"
               "info     print format, size, depth, resolution and frame count of FILE\n"
               "convert  write IN in the format named last, else by OUT's extension; --frame N\n"
               "         takes frame N (from 0) of a file of several images; several INs make\n"
               "         a TIFF file with one page each\n"
               "exif     print the Exif report of a camera JPEG\n"
               "formats  list the formats read (r) and written (w) with their file extensions\n"
               "Exit status: 0 done, 1 the file could not be read or written, 2 wrong usage.\n",
               stdout);
    return 0;
}

// Also what the desktop entry's MIME types are made from.
int Formats()
{
    for (const CodecEntry& entry : CodecTable())
        if (entry.make) std::printf("%s\t%s\t%s\n", entry.name, entry.writable ? "rw" : "r", entry.extensions);
    return 0;
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
    std::printf("format: %s\nwidth: %d\nheight: %d\nbits per pixel: %u\ndpi: %d x %d\nframes: %d\npartial: %s\n",
                FormatName(picture.GetType()), picture.GetWidth(), picture.GetHeight(), picture.GetBpp(),
                picture.GetDpiX(), picture.GetDpiY(), picture.GetNumFrames(), picture.IsPartial() ? "yes" : "no");
    return 0;
}

// Frame 0 comes from loading by content; another frame is then asked of the format found.
bool LoadFrame(Picture& picture, const char* path, int frame)
{
    if (!picture.Load(path, FormatFromPath(path))) return false;
    if (frame == 0) return true;
    const ImageFormat format = picture.GetType();
    const CodecEntry* entry = FindCodecEntry(format);
    if (!entry || !entry->multiImage) {
        picture.SetLastError("the format holds one image only");
        return false;
    }
    Picture chosen(format);
    chosen.SetFrame(frame);
    // Decoded by the format found only: loading by content again would fall back to frame 0.
    std::FILE* file = std::fopen(path, "rb");
    const bool decoded = file && chosen.Decode(file, format);
    if (file) std::fclose(file);
    if (!decoded) {
        char reason[300];
        if (frame >= chosen.GetNumFrames())
            std::snprintf(reason, sizeof reason, "no frame %d: the file holds %d", frame, chosen.GetNumFrames());
        else
            std::snprintf(reason, sizeof reason, "frame %d: %s", frame, chosen.GetLastError());
        picture.SetLastError(reason);
        return false;
    }
    picture = std::move(chosen);
    return true;
}

int Convert(const char* in, const char* out, const char* formatName, int frame)
{
    const ImageFormat format = formatName ? FormatFromExtension(formatName) : FormatFromPath(out);
    const CodecEntry* entry = FindCodecEntry(format);
    if (!entry || !entry->writable) {
        std::fprintf(stderr, "%s: cannot tell which format to write; name one of %s\n", out, WritableNames(" ").c_str());
        return 2;
    }
    Picture picture;
    errno = 0;
    if (!LoadFrame(picture, in, frame)) return Fail(in, picture);
    // JPEG holds colour or grey samples only: a colour palette is widened first, as the viewer does.
    if (format == ImageFormat::Jpg && picture.GetBpp() < 24 && !picture.IsGrayScale()) picture.IncreaseBpp(24);
    errno = 0;
    if (!picture.Save(out, format)) return Fail(out, picture);
    return 0;
}

// Each input becomes one page of a TIFF file, in the order given.
int ConvertToPages(char** in, int count, const char* out, int frame)
{
    if (FormatFromPath(out) != ImageFormat::Tif) {
        std::fprintf(stderr, "%s: several pages are written as TIFF only; name a .tif file\n", out);
        return 2;
    }
    std::vector<Picture> pages(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        errno = 0;
        if (!LoadFrame(pages[std::size_t(i)], in[i], frame)) return Fail(in[i], pages[std::size_t(i)]);
    }
    errno = 0;
    ReplacingFile file(out);
    if (!file.Stream()) return Fail(out, pages[0]);
    FileStream stream(file.Stream());
    TiffCodec codec;
    for (int i = 0; i < count; ++i) {
        codec.BorrowBuffers(pages[std::size_t(i)]);
        if (!codec.Encode(stream, i + 1 < count)) return Fail(out, codec);
    }
    errno = 0;
    if (!file.Commit()) return Fail(out, Picture());
    return 0;
}

bool ParseFrame(std::string_view text, int& frame)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), frame);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && frame >= 0;
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

// The first word that looks like an option this tool does not have; a file whose name starts
// with "--" is reached as ./--name.
const char* UnknownOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word.starts_with("--") && word != "--help" && word != "--version" && word != "--frame") return argv[i];
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* option = UnknownOption(argc, argv)) {
        std::fprintf(stderr, "vistrel-img: unknown option '%s'\n", option);
        return Usage();
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return Help();
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vistrel-img (Vistrel) %s\n", VISTREL_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "formats") == 0) return Formats();
    if (argc == 3 && std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "exif") == 0) return Exif(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "convert") == 0) {
        int first = 2;
        int frame = 0;
        if (argc >= 4 && std::strcmp(argv[2], "--frame") == 0) {
            if (!ParseFrame(argv[3], frame)) return Usage();
            first = 4;
        }
        const int rest = argc - first;
        // A last word that names a format keeps the one-input form; several inputs end in OUT.
        if (rest == 2 || (rest == 3 && FormatFromExtension(argv[argc - 1]) != ImageFormat::Unknown))
            return Convert(argv[first], argv[first + 1], rest == 3 ? argv[first + 2] : nullptr, frame);
        if (rest > 2) return ConvertToPages(argv + first, rest - 1, argv[argc - 1], frame);
    }
    return Usage();
}
