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

// Typed values under the keys of three roots of the settings store. Root names compare
// exactly: "HKEY_CLASSES_ROOT" and "HKEY_LOCAL_MACHINE" name those roots, any other
// non-empty text the current user's. Every operation is false at once when root, key or
// name is empty, and a read succeeds only when the stored value has the type asked for.
class KZUTIL_API CKzRegistry {
public:
    CKzRegistry() = default;
    CKzRegistry(const CKzRegistry&) = default;
    CKzRegistry& operator=(const CKzRegistry&) = default;
    virtual ~CKzRegistry();

    static bool GetValueInt(const char* root, const char* key, const char* name, int* value);
    // Refuses strings stored with more than 65,535 bytes (terminator included); buffer must
    // hold the stored size.
    static bool GetValueString(const char* root, const char* key, const char* name, char* buffer);
    // False when the value does not fit into size bytes.
    static bool GetValueBinary(const char* root, const char* key, const char* name,
                               unsigned char* buffer, int size);
    // Writes create the key and every missing parent.
    static bool SetValueInt(const char* root, const char* key, const char* name, int value);
    static bool SetValueString(const char* root, const char* key, const char* name, const char* value);
    static bool SetValueBinary(const char* root, const char* key, const char* name,
                               const unsigned char* data, int size);
};

// The settings of one application under the current user's "Software\Marvensk\<app>" key.
// The key is created at installation, never here: for an application without it every read
// and write fails. A failed read leaves the caller's variable or buffer unchanged.
class KZUTIL_API CKzAppSettings {
public:
    explicit CKzAppSettings(const char* appName);
    CKzAppSettings(const CKzAppSettings&) = default;
    CKzAppSettings& operator=(const CKzAppSettings&) = default;
    virtual ~CKzAppSettings();

    static bool IsAppInstalled(const char* appName);
    // True for a value of any type.
    bool IsValuePresent(const char* name) const;
    bool GetValueInt(const char* name, int& value) const;
    bool SetValueInt(const char* name, int value) const;
    bool GetValueString(const char* name, char* buffer) const;
    bool SetValueString(const char* name, const char* value) const;

private:
    CKzString m_appName; // empty when the application's key was missing at construction
};

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
