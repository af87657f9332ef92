// CKzExifFile: reading a JPEG file and finding its Exif tags by byte search.
#include "Kzutil.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int kMarkerImageStart = 0xFFD8;
constexpr int kMarkerApp1 = 0xFFE1;
constexpr int kTagExifPointer = 0x8769;

// The whole file is held in memory; a larger file is refused as out of memory.
constexpr long long kMaxFileBytes = 1LL << 30;

constexpr int kTextBytes = 1024;

enum EntryType { TypeAscii = 2, TypeShort = 3, TypeLong = 4, TypeRational = 5, TypeUndefined = 7,
                 TypeSignedRational = 10 };

double Ratio(double numerator, double denominator)
{
    if (denominator != 0) return numerator / denominator;
    if (numerator == 0) return std::numeric_limits<double>::quiet_NaN();
    return numerator > 0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
}

} // namespace

CKzExifFile::CKzExifFile() = default;
CKzExifFile::CKzExifFile(const CKzExifFile& other) = default;
CKzExifFile::~CKzExifFile() = default;
CKzExifFile& CKzExifFile::operator=(const CKzExifFile& other) = default;

bool CKzExifFile::Fail(int code)
{
    Close();
    m_errorCode = code;
    return false;
}

bool CKzExifFile::Open(const char* path)
{
    // A failed Open never leaves the previous file open.
    Close();
    if (!path) return false;
    const size_t pathLength = strnlen(path, sizeof m_path);
    if (pathLength == 0 || pathLength >= sizeof m_path) return Fail(ErrorBadPath);
    if (!CKzFile::FileExists(path)) return Fail(ErrorNoFile);
    // A directory or device has no byte count worth reading.
    const double size = CKzFile::IsDirectory(path) ? 0 : CKzFile::GetFileSize(path);
    if (size < 1) return Fail(ErrorEmptyFile);
    if (size > kMaxFileBytes) return Fail(ErrorNoMemory);
    const int length = int(size);

    std::shared_ptr<unsigned char[]> data;
    try {
        data = std::make_shared<unsigned char[]>(size_t(length));
    } catch (const std::bad_alloc&) {
        return Fail(ErrorNoMemory);
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const size_t got = std::fread(data.get(), 1, size_t(length), file);
    std::fclose(file);
    if (got != size_t(length)) return Fail(ErrorShortRead);

    m_data = data;
    m_length = length;
    std::memcpy(m_path, path, pathLength + 1);

    if (FindMarker(kMarkerImageStart, 0, m_length) < 0) return Fail(ErrorNoImageStart);
    // Only the first FF E1 pair in the file is taken for the APP1 marker.
    const int app1 = FindMarker(kMarkerApp1, 0, m_length);
    if (app1 < 0 || app1 + 8 > m_length || std::memcmp(m_data.get() + app1 + 4, "Exif", 4) != 0)
        return Fail(ErrorNoExif);
    m_app1Position = app1 + 2;
    m_app1Length = int(Read(m_app1Position, 2));
    m_tiffOffset = m_app1Position + 8;
    const unsigned order = Read(m_tiffOffset, 1);
    if (order == 'I')
        m_littleEndian = true;
    else if (order != 'M')
        return Fail(ErrorCorrupt);
    double exifDirectory = 0;
    if (!GetValueDouble(kTagExifPointer, exifDirectory)) return Fail(ErrorCorrupt);
    m_open = true;
    return true;
}

void CKzExifFile::Close()
{
    *this = CKzExifFile();
}

int CKzExifFile::GetErrorCode()
{
    const int code = m_errorCode;
    m_errorCode = ErrorNone;
    return code;
}

bool CKzExifFile::IsExifFile(const char* path)
{
    CKzExifFile file;
    if (!file.Open(path)) return false;
    file.Close();
    return true;
}

unsigned CKzExifFile::Read(long long position, int size) const
{
    if (position < 0 || size <= 0 || size > 4 || position + size > m_length) return 0;
    const unsigned char* bytes = m_data.get() + position;
    unsigned value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | bytes[m_littleEndian ? size - 1 - i : i];
    return value;
}

int CKzExifFile::FindMarker(int marker, long long start, long long end) const
{
    end = std::min<long long>(end, m_length);
    start = std::max<long long>(start, 0);
    const unsigned char high = (marker >> 8) & 0xFF;
    const unsigned char low = marker & 0xFF;
    const unsigned char first = m_littleEndian ? low : high;
    const unsigned char second = m_littleEndian ? high : low;
    const unsigned char* bytes = m_data.get();
    for (long long p = start; p + 1 < end; ++p) {
        const void* hit = std::memchr(bytes + p, first, size_t(end - 1 - p));
        if (!hit) break;
        p = static_cast<const unsigned char*>(hit) - bytes;
        if (bytes[p + 1] == second) return int(p);
    }
    return -1;
}

int CKzExifFile::FindTag(int tag) const
{
    // The first occurrence of the tag's two bytes after the TIFF header is taken to be its entry.
    const long long app1End = std::min<long long>((long long)m_app1Position + m_app1Length, m_length);
    return FindMarker(tag, m_tiffOffset, app1End);
}

bool CKzExifFile::GetValueDouble(int tag, double& value) const
{
    const int entry = FindTag(tag);
    if (entry < 0) return false;
    const unsigned type = Read(entry + 2, 2);
    const unsigned count = Read(entry + 4, 4);
    const unsigned field = Read(entry + 8, 4);
    const long long at = (long long)m_tiffOffset + field;
    switch (type) {
    case TypeShort:
        value = count <= 2 ? Read(entry + 8, 2) : Read(at, 2);
        return true;
    case TypeLong:
        value = count <= 1 ? field : Read(at, 4);
        return true;
    case TypeRational:
        value = Ratio(Read(at, 4), Read(at + 4, 4));
        return true;
    case TypeSignedRational:
        value = Ratio(std::int32_t(Read(at, 4)), std::int32_t(Read(at + 4, 4)));
        return true;
    case TypeUndefined:
        value = count <= 4 ? field : Read(at, 4);
        return true;
    default:
        return false;
    }
}

const char* CKzExifFile::GetValueStringAtPos(int position) const
{
    static thread_local char text[kTextBytes];
    std::memset(text, 0, sizeof text);
    const long long app1End = std::min<long long>((long long)m_app1Position + m_app1Length, m_length);
    if (position < m_app1Position || position >= app1End) return text;
    const unsigned type = Read(position + 2, 2);
    if (type != TypeAscii && type != TypeUndefined) return text;
    const unsigned count = Read(position + 4, 4);
    const long long source = count < 5 ? position + 8LL : (long long)m_tiffOffset + Read(position + 8, 4);
    if (source >= m_length) return text;
    // Longer values are cut to the buffer, and never read past the end of the file.
    const long long n = std::min<long long>({count, kTextBytes - 1, m_length - source});
    std::memcpy(text, m_data.get() + source, size_t(n));
    return text;
}

const char* CKzExifFile::GetValueString(int tag) const
{
    static thread_local char text[kTextBytes];
    std::memset(text, 0, sizeof text);
    const int entry = FindTag(tag);
    if (entry >= 0) std::memcpy(text, GetValueStringAtPos(entry), sizeof text);
    return text;
}
