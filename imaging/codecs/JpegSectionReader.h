// Reads the sections of a JPEG file up to its compressed data, to find the resolution an Exif
// block states. Its problems never fail a decode; they only decide whether the Exif data counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class ByteStream;

struct ExifSummary {
    float xResolution = 0;
    float yResolution = 0;
    // Inches per resolution unit; 0 when the file names no unit.
    float resolutionUnitFactor = 0;
    // Of the photo (the first directory), 1 to 8; 0 when absent or out of range.
    std::uint8_t orientation = 0;
    // An Exif block was found and its first directory read without error.
    bool isExif = false;
};

class JpegSectionReader {
public:
    static constexpr std::size_t kMaxSections = 20;

    explicit JpegSectionReader(ExifSummary& result) : summary(result) {}

    // Reads from the stream's position; true when the start of the compressed data was reached.
    bool ReadSections(ByteStream& in);
    // `section` holds the bytes after an APP1 section's length field.
    bool ProcessExif(std::span<const std::uint8_t> section);
    std::size_t SectionCount() const { return sections.size(); }
    const std::string& LastProblem() const { return problem; }

private:
    struct Section {
        int marker = 0;
        std::vector<std::uint8_t> bytes;
    };

    bool Problem(const char* text);
    // Directories after the first (reached through the next-directory link) describe the
    // thumbnail: their resolution is not the photo's.
    bool WalkDirectory(std::size_t start, int depth, bool thumbnail);
    std::uint16_t Get16(std::size_t offset) const;
    std::uint32_t Get32(std::size_t offset) const;
    double NumberAt(std::size_t offset, int format) const;
    bool IsLinkInside(std::uint32_t link) const;

    ExifSummary& summary;
    std::vector<Section> sections;
    std::string problem;

    // State of one Exif walk: offsets are relative to the TIFF header at `tiff`.
    std::span<const std::uint8_t> tiff;
    bool bigEndian = false;
    std::vector<std::size_t> visited;
};
