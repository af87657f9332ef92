// The Exif report over the camera files of the shared corpus, checked line by line against the
// values that exiftool read from the same files (exif-reference.json).
#include "Kzutil.h"
#include "TestSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace {

using Json = nlohmann::json;
using Lines = std::map<std::string, std::string>;

// Where the report differs from exiftool because entries are found by a byte search of the
// APP1 segment, not by walking its directories, or because exiftool takes a value from
// elsewhere. Each pair must really differ, so the table cannot go stale.
struct KnownDifference {
    const char* file;
    const char* label;
    const char* reason;
};

constexpr const char* kNoExifPointer = "IFD0 only, no Exif sub-directory pointer (0x8769): refused with error 7";
constexpr const char* kVersionBytes = "the bytes of tag 0x9000 occur earlier inside another entry's value, which "
                                      "the search takes for the ExifVersion entry";
constexpr const char* kIsoElsewhere = "no ISOSpeedRatings entry; exiftool computes ISO from maker-note values";
constexpr const char* kCanonIsoAuto = "no ISOSpeedRatings entry; exiftool computes ISO 50 from other maker-note "
                                      "values, the report shows the camera-settings ISO, which is Auto";
constexpr const char* kCanonMoved = "the maker note was moved by editing software and its offsets still point to "
                                    "the old place; exiftool corrects them from the Canon footer, the byte-for-byte "
                                    "decoder reads the values at the stored offsets";
constexpr const char* kCanonLittle = "the Canon maker note is little-endian inside a big-endian Exif block; read in "
                                     "the file's byte order its entries come out garbled";
constexpr const char* kCanonOutside = "the camera-settings array lies past the maker note's stated length; exiftool "
                                      "drops it, the decoder reads what is at the stored offset";
constexpr const char* kKodakNote = "exiftool lists the Kodak maker note's own values under the same name; the Exif "
                                   "entries hold 1/30 s and f/4";

constexpr KnownDifference kKnownDifferences[] = {
    {"../jpeg/bad/imagetestsuite/8e5e74dbf9b68a322fbb9512db837329.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/hopper_orientation_2.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/hopper_orientation_3.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/hopper_orientation_5.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/hopper_orientation_6.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/hopper_orientation_8.jpg", "Open", kNoExifPointer},
    {"../jpeg/pillow/jfif_unit_cm.jpg", "Open", kNoExifPointer},
    {"exif-samples/orientation/landscape_1.jpg", "Open", kNoExifPointer},
    {"exif-samples/orientation/portrait_1.jpg", "Open", kNoExifPointer},
    {"pillow/orientation_rectangle.jpg", "Open", kNoExifPointer},
    {"exif-samples/tests/30-type_error.jpg", "Open",
     "the Exif pointer is stored with type ASCII, so it gives no number: refused with error 7"},
    {"../names/quote\"d.jpg", "Exif support", kVersionBytes},
    {"exif-samples/WWL_(Polaroid)_ION230.jpg", "Exif support", kVersionBytes},
    {"exif-samples/exif-org/sanyo-vpcsx550.jpg", "Exif support", kVersionBytes},
    {"metadata-extractor/Canon EOS D60.jpg", "Exif support", kVersionBytes},
    {"pillow/exif-72dpi-int.jpg", "Exif support", kVersionBytes},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Exif support",
     "ISO 400 is stored as 01 90 00 00 right before the ExifVersion entry; the search takes its 90 00 for the tag"},
    {"metadata-extractor/Issue 116.jpg", "Exif support",
     "ISO 400 is stored as 01 90 00 00 right before the ExifVersion entry; the search takes its 90 00 for the tag"},
    {"pillow/exif-72dpi-int.jpg", "Image size", "the dimensions are stored as signed longs (type 9), not supported"},
    {"pillow/empty_gps_ifd.jpg", "Manufacturer",
     "ImageWidth 4000 (count 00 00 00 01, value 0F A0) holds the bytes 01 0F before the Make entry"},
    {"exif-samples/Fujifilm_FinePix6900ZOOM.jpg", "Shutter Speed",
     "no ExposureTime; the bytes 92 01 occur inside IFD0 before the ShutterSpeedValue entry"},
    {"metadata-extractor/Panasonic DMC-LC40.jpg", "Shutter Speed",
     "ExposureTime 12/7830 is 1/652.5; rounding gives 1/653, exiftool shows 1/652"},
    {"bad/pillow/hopper_bad_exif.jpg", "Image size",
     "exiftool stops at the bad IFD0; the search still finds the entries of the Exif directory"},
    {"metadata-extractor/Canon EOS 7D.jpg", "Image size", "the Exif block has no such entries; exiftool reads XMP"},
    {"metadata-extractor/Canon EOS 7D.jpg", "Owner name", "the Exif block has no maker note; exiftool reads XMP"},
    {"exif-samples/exif-org/kodak-dc240.jpg", "Shutter Speed", kKodakNote},
    {"exif-samples/exif-org/kodak-dc240.jpg", "F-number", kKodakNote},
    {"exif-samples/exif-org/kodak-dc240.jpg", "ISO Speed", kIsoElsewhere},
    {"metadata-extractor/Kodak DC3400.jpg", "ISO Speed", kIsoElsewhere},
    {"metadata-extractor/Nikon D1X.jpg", "ISO Speed", kIsoElsewhere},
    {"exif-samples/exif-org/canon-ixus.jpg", "ISO Speed",
     "no ISOSpeedRatings entry and the camera-settings ISO is 0 (no text); exiftool computes 65"},
    {"exif-samples/tests/22-canon_tags.jpg", "ISO Speed", kCanonIsoAuto},
    {"metadata-extractor/Canon PowerShot A40.jpg", "ISO Speed", kCanonIsoAuto},
    {"metadata-extractor/Canon PowerShot S230.jpg", "ISO Speed", kCanonIsoAuto},
    {"exif-samples/exif-org/canon-ixus.jpg", "Flash fired",
     "the camera-settings array has 19 elements; element 28 is read past its end"},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Firmware", kCanonMoved},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Flash fired", kCanonMoved},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Focal range", kCanonMoved},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Focus mode", kCanonMoved},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Focus type", kCanonMoved},
    {"exif-samples/hdr/canon_hdr_YES.jpg", "Macro mode", kCanonMoved},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Firmware", kCanonLittle},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Flash fired", kCanonLittle},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Flash mode", kCanonLittle},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Focal range", kCanonLittle},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Focus mode", kCanonLittle},
    {"metadata-extractor/Canon EOS REBEL T3i.jpg", "Macro mode", kCanonLittle},
    {"metadata-extractor/Canon PowerShot S30 (2).jpg", "Flash fired", kCanonOutside},
    {"metadata-extractor/Canon PowerShot S30 (2).jpg", "Focus mode", kCanonOutside},
    {"metadata-extractor/Canon PowerShot S30 (2).jpg", "Focus type", kCanonOutside},
};

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

std::string Format(const char* format, double a, double b = 0)
{
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::optional<std::string> Text(const Json& entry, const char* key)
{
    if (!entry.contains(key)) return std::nullopt;
    const Json& value = entry[key];
    std::string text = value.is_string() ? value.get<std::string>() : value.dump();
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    return text;
}

// A number as exiftool prints it: 21.3, "1/500", "21.3 mm", "7.09375 mm".
std::optional<double> Number(const Json& entry, const char* key)
{
    if (!entry.contains(key)) return std::nullopt;
    const Json& value = entry[key];
    if (value.is_number()) return value.get<double>();
    if (!value.is_string()) return std::nullopt;
    const std::string text = value.get<std::string>();
    double a = 0, b = 0;
    if (std::sscanf(text.c_str(), "%lf/%lf", &a, &b) == 2 && b != 0) return a / b;
    if (std::sscanf(text.c_str(), "%lf", &a) == 1) return a;
    return std::nullopt;
}

std::optional<std::string> Mapped(const Json& entry, const char* key, const std::map<std::string, std::string>& table)
{
    const auto text = Text(entry, key);
    if (!text) return std::nullopt;
    const auto it = table.find(*text);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

std::string Exposure(double t)
{
    const double n = std::round(1 / t);
    if (n >= 2) return Format("1/%.0f sec.", n);
    const double tenths = std::round(t * 10) / 10;
    return Format(tenths == std::floor(tenths) ? "%.0f sec." : "%.1f sec.", tenths);
}

// The value lines the report should hold, from exiftool's reading of the file.
Lines Expected(const Json& entry)
{
    Lines lines;
    auto put = [&lines](const char* label, const std::optional<std::string>& value) {
        if (value) lines[label] = *value;
    };
    put("Manufacturer", Text(entry, "Make"));
    put("Model", Text(entry, "Model"));
    if (const auto version = Text(entry, "ExifVersion")) {
        const std::string digits = version->substr(0, 4);
        const double v = std::atof(digits.c_str()) * 0.01;
        const long n = std::strtol(digits.c_str(), nullptr, 10);
        if (v > 0)
            lines["Exif support"] = n == 200   ? "Version 2.0 (November 1997)"
                                    : n == 210 ? "Version 2.1 (June 1998)"
                                    : n == 220 ? "Version 2.2 (April 2002)"
                                               : Format("Version %.2f", v);
    }
    put("Date/Time image taken", Text(entry, "DateTimeOriginal"));
    const auto width = Number(entry, "ExifImageWidth");
    const auto height = Number(entry, "ExifImageHeight");
    if (width && height && *width > 0 && *height > 0) lines["Image size"] = Format("%.0f x %.0f", *width, *height);
    if (const auto focal = Number(entry, "FocalLength"); focal && *focal > 0)
        lines["Focal length"] = Format("%.1f mm", *focal);

    auto exposure = Number(entry, "ExposureTime");
    if (!exposure || *exposure <= 0) exposure = Number(entry, "ShutterSpeedValue");
    if (exposure && *exposure > 0) lines["Shutter Speed"] = Exposure(*exposure);
    auto aperture = Number(entry, "FNumber");
    if (!aperture || *aperture <= 0) aperture = Number(entry, "ApertureValue");
    if (aperture && *aperture > 0) lines["F-number"] = Format("f/%.1f", *aperture);
    if (const auto iso = Number(entry, "ISO"); iso && *iso > 0) lines["ISO Speed"] = Format("%.0f", *iso);

    const auto make = Text(entry, "Make");
    if (!make || strncasecmp(make->c_str(), "Canon", 5) != 0) return lines;
    put("Firmware", Text(entry, "CanonFirmwareVersion"));
    put("Owner name", Text(entry, "OwnerName"));
    const auto shortest = Number(entry, "MinFocalLength");
    const auto longest = Number(entry, "MaxFocalLength");
    if (shortest && longest) lines["Focal range"] = Format("%.1f - %.1f mm", *shortest, *longest);
    put("Focus type", Mapped(entry, "FocusRange", {{"Manual", "Manual"}, {"Auto", "Auto"}, {"Macro", "Close-up"},
                                                   {"Pan Focus", "Locked"}}));
    put("Focus mode", Mapped(entry, "FocusMode", {{"One-shot AF", "One-shot"}, {"AI Servo AF", "AI Servo"},
                                                  {"AI Focus AF", "AI Focus"}, {"Manual Focus (3)", "AF"},
                                                  {"Single", "Single"}, {"Continuous", "Continuous"},
                                                  {"Manual Focus (6)", "MF"}}));
    put("Macro mode", Mapped(entry, "MacroMode", {{"Macro", "Yes"}, {"Normal", "No"}}));
    if (!lines.count("ISO Speed"))
        put("ISO Speed", Mapped(entry, "CameraISO", {{"Auto", "Auto"}, {"50", "50"}, {"100", "100"},
                                                     {"200", "200"}, {"400", "400"}}));
    put("Flash fired", Mapped(entry, "FlashActivity", {{"0", "No"}, {"1", "Yes"}}));
    put("Flash mode", Mapped(entry, "CanonFlashMode", {{"Off", "Flash not fired"}, {"Auto", "Auto"}, {"On", "On"},
                                                       {"Red-eye reduction", "Red-eye reduction"},
                                                       {"Slow-sync", "Slow synchro"},
                                                       {"Red-eye reduction (Auto)", "Auto + red-eye reduction"},
                                                       {"Red-eye reduction (On)", "On + red-eye reduction"},
                                                       {"External flash", "External flash"}}));
    return lines;
}

// The value lines of a report ("  Label:<tabs>value"), without the name and file size.
Lines Parse(const std::string& report)
{
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = report.substr(start, end - start);
        const auto colon = line.find(':');
        const auto tab = line.find_last_of('\t');
        if (line.rfind("  ", 0) != 0 || colon == std::string::npos || tab == std::string::npos) continue;
        const std::string label = line.substr(2, colon - 2);
        if (label == "Name" || label == "File size") continue;
        lines[label] = Trimmed(line.substr(tab + 1));
    }
    return lines;
}

TEST(ExifCorpusTest, ReportMatchesExiftool)
{
    VISTREL_REQUIRE_CORPUS(exifDir, "exif");
    std::ifstream in(exifDir / "exif-reference.json");
    const Json reference = Json::parse(in);
    std::map<std::pair<std::string, std::string>, const char*> known;
    for (const auto& k : kKnownDifferences) known[{k.file, k.label}] = k.reason;
    std::set<std::pair<std::string, std::string>> seen;

    int compared = 0;
    for (const Json& entry : reference) {
        const std::string name = entry["SourceFile"].get<std::string>();
        const std::string path = (exifDir / name).lexically_normal().string();
        if (!std::filesystem::exists(path) || path.size() >= 260) continue;
        CKzExifFile file;
        const bool opened = file.Open(path.c_str());
        const bool exiftoolHasExif = entry.contains("ExifByteOrder");
        if (opened != exiftoolHasExif) {
            seen.insert({name, "Open"});
            if (!known.count({name, "Open"}))
                ADD_FAILURE() << name << ": opened " << opened << ", error " << file.GetErrorCode()
                              << ", exiftool found Exif " << exiftoolHasExif;
        }
        if (!opened) continue;
        char text[4096] = {};
        file.GetExifInformation(text, sizeof text);
        const Lines ours = Parse(text);
        const Lines expected = Expected(entry);
        std::set<std::string> labels;
        for (const auto& [label, value] : ours) labels.insert(label);
        for (const auto& [label, value] : expected) labels.insert(label);
        for (const std::string& label : labels) {
            const auto mine = ours.find(label);
            const auto theirs = expected.find(label);
            const std::string a = mine == ours.end() ? "(none)" : mine->second;
            const std::string b = theirs == expected.end() ? "(none)" : theirs->second;
            ++compared;
            if (a == b) continue;
            seen.insert({name, label});
            if (!known.count({name, label}))
                ADD_FAILURE() << name << " | " << label << " | ours: " << a << " | exiftool: " << b;
        }
    }
    EXPECT_GT(compared, 500);
    for (const auto& [key, reason] : known)
        EXPECT_TRUE(seen.count(key)) << key.first << " | " << key.second << ": listed as differing but matches";
}

} // namespace

namespace {

// The bytes up to a little past the first APP1 segment: where every Exif read happens.
std::vector<unsigned char> ExifPart(const std::vector<unsigned char>& file)
{
    std::size_t end = std::min<std::size_t>(file.size(), 4096);
    for (std::size_t i = 0; i + 3 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xE1) {
            end = std::min(file.size(), i + 4 + (std::size_t(file[i + 2]) << 8 | file[i + 3]) + 512);
            break;
        }
    return {file.begin(), file.begin() + std::ptrdiff_t(end)};
}

void ExerciseOpen(const std::string& path)
{
    CKzExifFile file;
    if (!file.Open(path.c_str())) {
        EXPECT_GE(file.GetErrorCode(), 1);
        return;
    }
    for (int size : {4096, 120, 1}) {
        std::vector<char> text(std::size_t(size), 'x');
        text[0] = 0;
        const bool added = file.GetExifInformation(text.data(), size);
        EXPECT_LT(strnlen(text.data(), text.size()), text.size()) << path;
        if (!added) {
            EXPECT_EQ(std::count(text.begin(), text.end(), 0), size) << path;
        }
    }
    for (int tag : {0x010F, 0x0110, 0x9000, 0x9003, 0x927C}) EXPECT_LT(std::strlen(file.GetValueString(tag)), 1024u);
    file.Close();
}

void ExerciseReader(const testsupport::TempDir& dir, const std::vector<unsigned char>& bytes)
{
    // A new name each time: rewriting one file in place makes some file systems flush it.
    static int serial = 0;
    const std::string path = dir.file("mutant" + std::to_string(++serial) + ".jpg");
    testsupport::WriteFile(path, bytes);
    ExerciseOpen(path);
    std::filesystem::remove(path);
}

// Cut and bit-flipped copies of every corpus photo, a fixed number per file from a fixed seed:
// the reader must end cleanly on each (run under the sanitizers in CI).
TEST(ExifCorpusTest, SurvivesTruncatedAndBitFlippedFiles)
{
    VISTREL_REQUIRE_CORPUS(exifDir, "exif");
    testsupport::TempDir dir;
    std::mt19937 random(20261208);
    int files = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(exifDir)) {
        std::string extension = item.path().extension().string();
        for (char& c : extension) c = char(std::tolower((unsigned char)c));
        if (!item.is_regular_file() || (extension != ".jpg" && extension != ".jpeg")) continue;
        const std::vector<unsigned char> original = ExifPart(testsupport::ReadFile(item.path()));
        if (original.size() < 16) continue;
        ++files;
        for (int cut = 1; cut <= 12; ++cut) {
            ExerciseReader(dir, {original.begin(), original.begin() + std::ptrdiff_t(original.size() * cut / 13)});
        }
        for (int round = 0; round < 24; ++round) {
            std::vector<unsigned char> mutant = original;
            const int flips = 1 + int(random() % 8);
            for (int i = 0; i < flips; ++i) mutant[random() % mutant.size()] ^= std::uint8_t(1u << (random() % 8));
            ExerciseReader(dir, mutant);
        }
    }
    EXPECT_GT(files, 100);
}

} // namespace
