// CKzExifFile: the Exif information report and the Canon maker-note decoder.
#include "Kzutil.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

enum ExifTag {
    TagMake = 0x010F,
    TagModel = 0x0110,
    TagExposureTime = 0x829A,
    TagFNumber = 0x829D,
    TagIsoSpeed = 0x8827,
    TagExifVersion = 0x9000,
    TagDateTimeOriginal = 0x9003,
    TagShutterSpeedValue = 0x9201,
    TagApertureValue = 0x9202,
    TagFocalLength = 0x920A,
    TagMakerNote = 0x927C,
    TagPixelXDimension = 0xA002,
    TagPixelYDimension = 0xA003,
};

enum CanonTag { CanonCameraSettings = 0x0001, CanonFirmware = 0x0007, CanonOwnerName = 0x0009 };

constexpr int kTypeAscii = 2;
constexpr int kTypeShort = 3;
constexpr int kCameraSettingsCount = 32;
constexpr int kMakerNoteTextBytes = 256;

// Every line fits: a value text has at most 1,023 bytes and a formatted double at most ~320.
constexpr int kScratchBytes = 2048;

struct ValueText {
    unsigned value;
    const char* text;
};

constexpr ValueText kMacroModes[] = {{1, "Yes"}, {2, "No"}};
constexpr ValueText kFocusTypes[] = {{0, "Manual"}, {1, "Auto"}, {3, "Close-up"}, {8, "Locked"}};
constexpr ValueText kFocusModes[] = {{0, "One-shot"}, {1, "AI Servo"}, {2, "AI Focus"}, {3, "AF"},
                                     {4, "Single"},   {5, "Continuous"}, {6, "MF"}};
constexpr ValueText kFlashModes[] = {{0, "Flash not fired"},   {1, "Auto"},
                                     {2, "On"},                {3, "Red-eye reduction"},
                                     {4, "Slow synchro"},      {5, "Auto + red-eye reduction"},
                                     {6, "On + red-eye reduction"}, {16, "External flash"}};
constexpr ValueText kFlashFired[] = {{0, "No"}, {1, "Yes"}};
constexpr ValueText kIsoSpeeds[] = {{15, "Auto"}, {16, "50"}, {17, "100"}, {18, "200"}, {19, "400"}};

template <size_t N>
const char* Lookup(const ValueText (&table)[N], unsigned value)
{
    for (const ValueText& entry : table)
        if (entry.value == value) return entry.text;
    return "";
}

// Appends formatted pieces to the caller's buffer, each only when it fits whole.
class ReportWriter {
public:
    ReportWriter(char* text, int size, char* scratch)
        : m_text(text), m_size(size_t(size)), m_length(strnlen(text, size_t(size))), m_scratch(scratch)
    {
    }

    __attribute__((format(printf, 2, 3))) bool Append(const char* format, ...)
    {
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(m_scratch, kScratchBytes, format, args);
        va_end(args);
        if (n < 0 || n >= kScratchBytes || m_length + size_t(n) >= m_size) return false;
        std::memcpy(m_text + m_length, m_scratch, size_t(n) + 1);
        m_length += size_t(n);
        return true;
    }

private:
    char* m_text;
    size_t m_size;
    size_t m_length;
    char* m_scratch;
};

// A whole number for the report, or false when the value has none that an int can hold.
bool ToInt(double value, int& result)
{
    if (!(value > -1.0 * INT_MAX && value < 1.0 * INT_MAX)) return false;
    result = int(value);
    return true;
}

// An exposure of t seconds as shown on the shutter-speed line: 1/n (n rounded) below a second,
// seconds from there up; false when t is not a usable exposure.
bool FormatExposure(double t, char* out, size_t size)
{
    if (!std::isfinite(t) || t <= 0) return false;
    const double reciprocal = std::round(1 / t);
    if (reciprocal > INT_MAX) return false;
    if (reciprocal >= 2) {
        std::snprintf(out, size, "1/%d sec.", int(reciprocal));
        return true;
    }
    const double tenths = std::round(t * 10) / 10;
    std::snprintf(out, size, tenths == std::floor(tenths) ? "%.0f sec." : "%.1f sec.", tenths);
    return true;
}

// The leading decimal number of text (sign, digits, fraction), as atof reads a decimal one.
double LeadingDecimal(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const double sign = *p == '-' ? -1 : 1;
    if (*p == '+' || *p == '-') ++p;
    double value = 0;
    for (; std::isdigit((unsigned char)*p); ++p) value = value * 10 + (*p - '0');
    if (*p == '.')
        for (double scale = 0.1; std::isdigit((unsigned char)*++p); scale /= 10) value += (*p - '0') * scale;
    return sign * value;
}

} // namespace

const char* CKzExifFile::GetMakerNoteCanon(EMakerNoteTag tag) const
{
    static thread_local char text[kMakerNoteTextBytes];
    std::memset(text, 0, sizeof text);
    const int note = FindTag(TagMakerNote);
    if (note < 0) return text;
    const long long start = (long long)m_tiffOffset + Read(note + 8, 4);
    // The maker note's own searches stay inside the APP1 segment.
    const long long app1End = (long long)m_app1Position + m_app1Length;
    const long long end = std::min(start + Read(note + 4, 4), app1End);

    if (tag == MakerNoteFirmware || tag == MakerNoteOwnerName) {
        const int entry = FindMarker(tag == MakerNoteFirmware ? CanonFirmware : CanonOwnerName, start, end);
        if (entry < 0 || Read(entry + 2, 2) != kTypeAscii) return text;
        std::strncpy(text, GetValueStringAtPos(entry), sizeof text - 1);
        return text;
    }
    if (tag < MakerNoteMacroMode || tag > MakerNoteIsoSpeed) return text;

    const int settings = FindMarker(CanonCameraSettings, start, end);
    if (settings < 0 || Read(settings + 2, 2) != kTypeShort) return text;
    const long long array = (long long)m_tiffOffset + Read(settings + 8, 4);
    if (array < start || array >= end) return text;
    unsigned element[kCameraSettingsCount];
    for (int i = 0; i < kCameraSettingsCount; ++i) element[i] = Read(array + 2LL * i, 2);

    const char* decoded = "";
    switch (tag) {
    case MakerNoteMacroMode: decoded = Lookup(kMacroModes, element[1]); break;
    case MakerNoteFocusType: decoded = Lookup(kFocusTypes, element[18]); break;
    case MakerNoteFocusMode: decoded = Lookup(kFocusModes, element[7]); break;
    case MakerNoteFlashMode: decoded = Lookup(kFlashModes, element[4]); break;
    case MakerNoteFlashFired: decoded = Lookup(kFlashFired, element[28]); break;
    case MakerNoteIsoSpeed: decoded = Lookup(kIsoSpeeds, element[16]); break;
    case MakerNoteFocalRange:
        // Without focal units the range would print as infinity or not-a-number.
        if (element[25] != 0)
            std::snprintf(text, sizeof text, "%.1f - %.1f mm", double(element[24]) / element[25],
                          double(element[23]) / element[25]);
        return text;
    default: break;
    }
    std::strncpy(text, decoded, sizeof text - 1);
    return text;
}

bool CKzExifFile::GetExifInformation(char* text, int size)
{
    if (!m_open || !text || size < 1) return false;
    std::unique_ptr<char[]> scratch(new (std::nothrow) char[kScratchBytes]);
    if (!scratch) {
        m_errorCode = ErrorNoMemory;
        return false;
    }
    ReportWriter report(text, size, scratch.get());
    bool added = false;
    double value = 0;
    double other = 0;
    int number = 0;
    int second = 0;

    report.Append("[Camera]\r\n");
    bool canon = false;
    const char* make = GetValueString(TagMake);
    if (*make && report.Append("  Manufacturer:\t\t%s\r\n", make)) {
        added = true;
        canon = strncasecmp(make, "Canon", 5) == 0;
    }
    const char* model = GetValueString(TagModel);
    if (*model) added |= report.Append("  Model:\t\t\t%s\r\n", model);

    const char* version = GetValueString(TagExifVersion);
    if (*version) {
        char digits[5] = {};
        std::strncpy(digits, version, 4);
        const double v = LeadingDecimal(digits) * 0.01;
        const long n = std::strtol(digits, nullptr, 10);
        if (v > 0) {
            if (n == 200)
                added |= report.Append("  Exif support:\t\tVersion 2.0 (November 1997)\r\n");
            else if (n == 210)
                added |= report.Append("  Exif support:\t\tVersion 2.1 (June 1998)\r\n");
            else if (n == 220)
                added |= report.Append("  Exif support:\t\tVersion 2.2 (April 2002)\r\n");
            else
                added |= report.Append("  Exif support:\t\tVersion %.2f\r\n", v);
        }
    }
    if (canon) {
        const char* firmware = GetMakerNoteCanon(MakerNoteFirmware);
        if (*firmware) added |= report.Append("  Firmware:\t\t%s\r\n", firmware);
        const char* owner = GetMakerNoteCanon(MakerNoteOwnerName);
        if (*owner) added |= report.Append("  Owner name:\t\t%s\r\n", owner);
    }

    report.Append("\r\n[File]\r\n");
    const char* name = CKzFilename::GetFileName(m_path);
    if (*name) report.Append("  Name:\t\t\t%s\r\n", name);
    const char* taken = GetValueString(TagDateTimeOriginal);
    if (*taken) added |= report.Append("  Date/Time image taken:\t%s\r\n", taken);
    const double bytes = CKzFile::GetFileSize(m_path);
    if (bytes >= 1) added |= report.Append("  File size:\t\t\t%lld KB\r\n", (long long)bytes / 1024);
    if (GetValueDouble(TagPixelXDimension, value) && GetValueDouble(TagPixelYDimension, other) &&
        ToInt(value, number) && ToInt(other, second) && number > 0 && second > 0)
        added |= report.Append("  Image size:\t\t%d x %d\r\n", number, second);
    if (GetValueDouble(TagFocalLength, value) && std::isfinite(value) && value > 0)
        added |= report.Append("  Focal length:\t\t%.1f mm\r\n", value);
    if (canon) {
        static constexpr struct {
            EMakerNoteTag tag;
            const char* format;
        } kLensLines[] = {{MakerNoteFocalRange, "  Focal range:\t\t%s\r\n"},
                          {MakerNoteFocusType, "  Focus type:\t\t%s\r\n"},
                          {MakerNoteFocusMode, "  Focus mode:\t\t%s\r\n"},
                          {MakerNoteMacroMode, "  Macro mode:\t\t%s\r\n"}};
        for (const auto& line : kLensLines) {
            const char* decoded = GetMakerNoteCanon(line.tag);
            if (*decoded) added |= report.Append(line.format, decoded);
        }
    }

    char exposure[64];
    if (GetValueDouble(TagExposureTime, value) && FormatExposure(value, exposure, sizeof exposure) &&
        report.Append("  Shutter Speed:\t\t%s\r\n", exposure))
        added = true;
    else if (GetValueDouble(TagShutterSpeedValue, value) && FormatExposure(std::exp2(-value), exposure, sizeof exposure))
        added |= report.Append("  Shutter Speed:\t\t%s\r\n", exposure);

    if (GetValueDouble(TagFNumber, value) && std::isfinite(value) && value > 0 &&
        report.Append("  F-number:\t\tf/%.1f\r\n", value))
        added = true;
    else if (GetValueDouble(TagApertureValue, value)) {
        const double f = std::pow(1.4142, value);
        if (std::isfinite(f) && f > 0) added |= report.Append("  F-number:\t\tf/%.1f\r\n", f);
    }

    if (GetValueDouble(TagIsoSpeed, value)) {
        if (ToInt(value, number) && number > 0) added |= report.Append("  ISO Speed:\t\t%d\r\n", number);
    } else if (canon) {
        const char* iso = GetMakerNoteCanon(MakerNoteIsoSpeed);
        if (*iso) added |= report.Append("  ISO Speed:\t\t%s\r\n", iso);
    }
    if (canon) {
        const char* fired = GetMakerNoteCanon(MakerNoteFlashFired);
        if (*fired) added |= report.Append("  Flash fired:\t\t%s\r\n", fired);
        const char* mode = GetMakerNoteCanon(MakerNoteFlashMode);
        if (*mode) added |= report.Append("  Flash mode:\t\t%s\r\n", mode);
    }

    if (!added) std::memset(text, 0, size_t(size));
    return added;
}
