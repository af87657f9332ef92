// Decodes files with independent tools (djpeg, ImageMagick) to compare pixels with ours.
#pragma once

#include "Picture.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

// Samples top-down, `channels` per pixel (1 grey, 2 grey+alpha, 3 RGB, 4 RGBA), 8 bits each.
struct RawImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> samples;

    // Red, green, blue, alpha of pixel (x, y) counted from the top row.
    std::uint32_t Rgba(int x, int y) const
    {
        const std::uint8_t* p = samples.data() + (std::size_t(y) * width + x) * channels;
        const std::uint8_t r = p[0];
        const std::uint8_t g = channels >= 3 ? p[1] : p[0];
        const std::uint8_t b = channels >= 3 ? p[2] : p[0];
        const std::uint8_t a = channels == 4 ? p[3] : channels == 2 ? p[1] : 255;
        return r | g << 8 | b << 16 | std::uint32_t(a) << 24;
    }
};

inline bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Parses binary PGM (P5), PPM (P6) or PAM (P7) with a maximum of 255.
inline std::optional<RawImage> ParsePnm(const std::vector<std::uint8_t>& bytes)
{
    std::string head(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 512));
    RawImage image;
    std::size_t dataStart = 0;
    int maxValue = 0;
    if (head.rfind("P7", 0) == 0) {
        const std::size_t end = head.find("ENDHDR\n");
        if (end == std::string::npos) return std::nullopt;
        std::istringstream lines(head.substr(0, end));
        std::string key;
        while (lines >> key) {
            if (key == "WIDTH") lines >> image.width;
            else if (key == "HEIGHT") lines >> image.height;
            else if (key == "DEPTH") lines >> image.channels;
            else if (key == "MAXVAL") lines >> maxValue;
        }
        dataStart = end + 7;
    } else if (head.rfind("P5", 0) == 0 || head.rfind("P6", 0) == 0) {
        image.channels = head[1] == '5' ? 1 : 3;
        std::istringstream fields(head.substr(2));
        fields >> image.width >> image.height >> maxValue;
        dataStart = 2 + std::size_t(fields.tellg()) + 1;
    } else {
        return std::nullopt;
    }
    const std::size_t size = std::size_t(image.width) * image.height * image.channels;
    if (maxValue != 255 || image.width <= 0 || image.height <= 0 || bytes.size() < dataStart + size)
        return std::nullopt;
    image.samples.assign(bytes.begin() + std::ptrdiff_t(dataStart), bytes.begin() + std::ptrdiff_t(dataStart + size));
    return image;
}

// What a shell command writes to standard output.
inline std::vector<std::uint8_t> OutputOf(const std::string& command)
{
    std::vector<std::uint8_t> bytes;
    std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return bytes;
    std::uint8_t chunk[65536];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    // djpeg exits with status 2 after a warning; what it wrote still counts.
    ::pclose(pipe);
    return bytes;
}

// Runs a shell command that writes a PNM/PAM image to standard output.
inline std::optional<RawImage> DecodeWith(const std::string& command)
{
    const std::vector<std::uint8_t> bytes = OutputOf(command);
    if (bytes.empty()) return std::nullopt;
    return ParsePnm(bytes);
}

inline std::optional<RawImage> DecodeWithDjpeg(const std::string& path)
{
    return DecodeWith("djpeg -pnm " + ShellQuote(path));
}

// 8-bit RGBA as ImageMagick decodes the file (16-bit samples scaled to 8). With rawSamples the
// stored samples come out as they are, without the conversion a gamma chunk would ask for.
inline std::optional<RawImage> DecodeWithImageMagick(const std::string& path, bool rawSamples = false)
{
    return DecodeWith("convert " + ShellQuote(path) + (rawSamples ? " -set colorspace sRGB" : "") +
                      " -alpha on -depth 8 -type TrueColorAlpha pam:-");
}

// The file as ImageMagick's convert leaves it after the given operations, as 8-bit samples:
// the stored samples, without the conversion a gamma chunk would ask for, and with comments
// stripped (the PNM reader above takes none).
inline std::optional<RawImage> ConvertWith(const std::string& path, const std::string& operations)
{
    return DecodeWith("convert " + ShellQuote(path) + " -set colorspace sRGB " + operations + " -strip -depth 8 ppm:-");
}

// The picture's colour at (x, y) counted from the top row, as red | green << 8 | blue << 16.
inline std::uint32_t PictureRgb(const Picture& picture, int x, int y)
{
    const RgbQuad c = picture.GetPixelColor(x, picture.GetHeight() - 1 - y);
    return c.red | c.green << 8 | std::uint32_t(c.blue) << 16;
}

inline int ChannelDistance(std::uint32_t a, std::uint32_t b, int channels = 3)
{
    int worst = 0;
    for (int i = 0; i < channels; ++i) {
        const int d = std::abs(int((a >> (8 * i)) & 0xFF) - int((b >> (8 * i)) & 0xFF));
        worst = std::max(worst, d);
    }
    return worst;
}

// Peak signal-to-noise ratio in dB of two pictures of the same size over their red, green and
// blue samples; 99 for identical pictures, 0 when the sizes differ.
inline double Psnr(const Picture& a, const Picture& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetWidth() <= 0) return 0;
    double squares = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            const std::uint32_t pa = PictureRgb(a, x, y), pb = PictureRgb(b, x, y);
            for (int i = 0; i < 3; ++i) {
                const double d = double((pa >> (8 * i)) & 0xFF) - double((pb >> (8 * i)) & 0xFF);
                squares += d * d;
            }
        }
    const double mean = squares / (3.0 * a.GetWidth() * a.GetHeight());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

} // namespace testsupport
