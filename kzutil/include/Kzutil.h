// The public interface of libKzutil.so: every exported class of the library.
#pragma once

#include "KzutilExport.h"

#include <memory>

// ============================================================================================
// Strings and paths
// ============================================================================================

// An owned, growable, NUL-terminated 8-bit string. Stores reuse the buffer when it is big
// enough and otherwise allocate exactly what the text needs; appends always allocate anew.
class KZUTIL_API CKzString {
public:
    CKzString();
    CKzString(const char* s);
    CKzString(const CKzString& other);
    virtual ~CKzString();

    const CKzString& operator=(const CKzString& other);
    const CKzString& operator=(const char* s);
    const CKzString& operator=(char ch);
    const CKzString& operator=(int value);
    const CKzString& operator+=(const CKzString& s);
    const CKzString& operator+=(const char* s);
    const CKzString& operator+=(char ch);
    char operator[](int i) const { return GetAt(i); }
    operator const char*() const { return m_text; }
    const char* c_str() const { return m_text; }

    void Empty();
    bool IsEmpty() const { return m_length == 0; }
    int GetLength() const { return m_length; }
    // Bytes of the buffer as last allocated or recorded, terminator included.
    int GetCapacity() const { return m_capacity; }
    char GetAt(int i) const;
    bool SetAt(int i, char ch);
    bool SetLength(int n);
    int Find(char ch) const;
    int Find(const char* s) const;
    int Find(const CKzString& s) const;
    bool Mid(int pos);
    int Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    int Replace(char from, char to);
    int Replace(const char* find, const char* with);
    bool Remove(char ch);
    bool RemoveSpace();
    // Replaces the content by a + b; both are read before the old buffer is released.
    void Strcat(const char* a, const char* b);
    void ToLower();
    void ToUpper();

private:
    bool Store(const char* s, int n);

    int m_length = 0;
    int m_capacity = 0;
    char* m_text = nullptr;
};

KZUTIL_API CKzString operator+(const CKzString& a, const CKzString& b);
KZUTIL_API CKzString operator+(const CKzString& a, const char* b);
KZUTIL_API CKzString operator+(const char* a, const CKzString& b);

// ============================================================================================
// Settings store
// ============================================================================================

// ============================================================================================
// Command line
// ============================================================================================

// ============================================================================================
// Directories
// ============================================================================================

// ============================================================================================
// Exif
// ============================================================================================

// The Canon maker-note values that the Exif report decodes.
enum EMakerNoteTag {
    MakerNoteMacroMode = 0,
    MakerNoteFocusType = 1,
    MakerNoteFocusMode = 2,
    MakerNoteFocalRange = 3,
    MakerNoteFlashMode = 4,
    MakerNoteFlashFired = 5,
    MakerNoteIsoSpeed = 6,
    MakerNoteFirmware = 7,
    MakerNoteOwnerName = 8,
};

// A JPEG file read whole into memory whose Exif tags are found by searching the bytes of its
// APP1 segment for the tag number; no directory is walked. Copies share the file buffer, which
// is released with its last owner. Errors are kept as a code (see GetErrorCode).
class KZUTIL_API CKzExifFile {
public:
    enum {
        ErrorNone = 0,
        ErrorNoFile = 1,
        ErrorBadPath = 2,
        ErrorNoMemory = 3,
        ErrorEmptyFile = 4,
        ErrorNoImageStart = 5,
        ErrorNoExif = 6,
        ErrorCorrupt = 7,
        ErrorShortRead = 8,
    };

    CKzExifFile();
    CKzExifFile(const CKzExifFile& other);
    virtual ~CKzExifFile();
    CKzExifFile& operator=(const CKzExifFile& other);

    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return m_open; }
    // The last error code; reading it resets it to 0.
    int GetErrorCode();
    static bool IsExifFile(const char* path);

    bool GetValueDouble(int tag, double& value) const;
    // Text of an ASCII or undefined tag in a static 1,024-byte buffer; "" when not found.
    const char* GetValueString(int tag) const;
    // Appends the report to the NUL-terminated text in a buffer of size bytes.
    bool GetExifInformation(char* text, int size);

protected:
    const char* GetMakerNoteCanon(EMakerNoteTag tag) const;
    const char* GetValueStringAtPos(int position) const;
    // An unsigned value of size (1 to 4) bytes in the file's byte order; 0 outside the file.
    unsigned Read(long long position, int size) const;
    // First p in [start, end - 2] where the 16-bit marker occurs in the file's byte order, or -1.
    int FindMarker(int marker, long long start, long long end) const;
    // Position of the directory entry of an Exif tag inside the APP1 segment, or -1.
    int FindTag(int tag) const;

private:
    bool Fail(int code);

    bool m_open = false;
    std::shared_ptr<const unsigned char[]> m_data;
    char m_path[260] = {};
    int m_length = 0;
    bool m_littleEndian = false;
    int m_errorCode = 0;
    int m_app1Position = 0;
    int m_app1Length = 0;
    int m_tiffOffset = 0;
};

// ============================================================================================
// Files, dialogs and date
// ============================================================================================
