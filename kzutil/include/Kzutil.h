// The public interface of libKzutil.so: every exported class of the library.
#pragma once

#include "KzutilExport.h"

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

// ============================================================================================
// Files, dialogs and date
// ============================================================================================
