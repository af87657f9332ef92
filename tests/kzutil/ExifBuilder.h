// Builds small JPEG files with an Exif APP1 segment for the Exif reader tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace exiftest {

using Bytes = std::vector<unsigned char>;

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    Bytes value; // in file byte order; up to 4 bytes stay inline, longer ones go after the directory
};

class ExifBuilder {
public:
    explicit ExifBuilder(bool littleEndian = true) : m_little(littleEndian) {}

    ExifBuilder& Ascii(std::vector<Entry>& ifd, std::uint16_t tag, const std::string& text)
    {
        Bytes value(text.begin(), text.end());
        value.push_back(0);
        ifd.push_back({tag, 2, std::uint32_t(value.size()), value});
        return *this;
    }
    ExifBuilder& Undefined(std::vector<Entry>& ifd, std::uint16_t tag, const std::string& bytes)
    {
        ifd.push_back({tag, 7, std::uint32_t(bytes.size()), Bytes(bytes.begin(), bytes.end())});
        return *this;
    }
    ExifBuilder& Short(std::vector<Entry>& ifd, std::uint16_t tag, std::vector<std::uint16_t> values)
    {
        Bytes value;
        for (auto v : values) Put(value, v, 2);
        ifd.push_back({tag, 3, std::uint32_t(values.size()), value});
        return *this;
    }
    ExifBuilder& Long(std::vector<Entry>& ifd, std::uint16_t tag, std::uint32_t v)
    {
        Bytes value;
        Put(value, v, 4);
        ifd.push_back({tag, 4, 1, value});
        return *this;
    }
    ExifBuilder& Rational(std::vector<Entry>& ifd, std::uint16_t tag, std::uint32_t num, std::uint32_t den,
                          std::uint16_t type = 5)
    {
        Bytes value;
        Put(value, num, 4);
        Put(value, den, 4);
        ifd.push_back({tag, type, 1, value});
        return *this;
    }

    // The whole file: SOI, APP1 "Exif", the TIFF data, then a tiny end of image.
    Bytes Jpeg(char orderMark = 0) const
    {
        const Bytes tiff = Tiff(orderMark);
        Bytes file = {0xFF, 0xD8, 0xFF, 0xE1};
        const std::size_t length = 2 + 6 + tiff.size();
        file.push_back(std::uint8_t(length >> 8));
        file.push_back(std::uint8_t(length));
        for (char c : std::string("Exif", 4)) file.push_back(std::uint8_t(c));
        file.push_back(0);
        file.push_back(0);
        file.insert(file.end(), tiff.begin(), tiff.end());
        file.insert(file.end(), {0xFF, 0xD9});
        return file;
    }

    std::vector<Entry> ifd0;
    std::vector<Entry> exif;
    std::vector<Entry> makerNote; // a maker-note directory, placed as the value of tag 0x927C
    bool withExifPointer = true;

private:
    void Put(Bytes& out, std::uint32_t v, int size) const
    {
        for (int i = 0; i < size; ++i) {
            const int shift = m_little ? 8 * i : 8 * (size - 1 - i);
            out.push_back(std::uint8_t(v >> shift));
        }
    }

    // A directory at offset (from the TIFF header) followed by the values that do not fit inline.
    Bytes Directory(std::uint32_t offset, const std::vector<Entry>& entries) const
    {
        Bytes out;
        Put(out, std::uint32_t(entries.size()), 2);
        std::uint32_t data = offset + 2 + 12 * std::uint32_t(entries.size()) + 4;
        Bytes tail;
        for (const Entry& e : entries) {
            Put(out, e.tag, 2);
            Put(out, e.type, 2);
            Put(out, e.count, 4);
            if (e.value.size() <= 4) {
                Bytes inline_ = e.value;
                inline_.resize(4, 0);
                out.insert(out.end(), inline_.begin(), inline_.end());
            } else {
                Put(out, data + std::uint32_t(tail.size()), 4);
                tail.insert(tail.end(), e.value.begin(), e.value.end());
                if (tail.size() % 2) tail.push_back(0);
            }
        }
        Put(out, 0, 4);
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    }

    Bytes Tiff(char orderMark) const
    {
        Bytes out;
        const char mark = orderMark ? orderMark : (m_little ? 'I' : 'M');
        out.push_back(std::uint8_t(mark));
        out.push_back(std::uint8_t(mark));
        Put(out, 42, 2);
        Put(out, 8, 4);

        std::vector<Entry> exifEntries = exif;
        if (!makerNote.empty()) {
            // The maker note's offsets depend on where it lands; its size does not.
            const std::size_t noteSize = Directory(0, makerNote).size();
            exifEntries.push_back({0x927C, 7, std::uint32_t(noteSize), Bytes(noteSize, 0)});
        }
        std::vector<Entry> first = ifd0;
        if (withExifPointer) first.push_back({0x8769, 4, 1, Bytes(4, 0)});
        const std::uint32_t exifOffset = 8 + std::uint32_t(Directory(8, first).size());
        if (withExifPointer) {
            first.back().value.clear();
            Put(first.back().value, exifOffset, 4);
        }
        const Bytes ifd = Directory(8, first);
        out.insert(out.end(), ifd.begin(), ifd.end());

        Bytes exifBytes = Directory(exifOffset, exifEntries);
        if (!makerNote.empty()) {
            const std::uint32_t noteOffset = exifOffset + std::uint32_t(exifBytes.size() - exifEntries.back().value.size());
            exifEntries.back().value = Directory(noteOffset, makerNote);
            exifBytes = Directory(exifOffset, exifEntries);
        }
        out.insert(out.end(), exifBytes.begin(), exifBytes.end());
        return out;
    }

    bool m_little;
};

} // namespace exiftest
