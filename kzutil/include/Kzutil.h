// The public interface of libKzutil.so: every exported class of the library.
#pragma once

#include "KzutilExport.h"

#include <memory>
#include <string>
#include <vector>

// The version the loaded library was built as ("0.1.0"); a program may have been built against
// another.
KZUTIL_API const char* KzutilVersion();

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

// Splits and composes paths: an optional drive ("X:"), a directory ending in '\\' or '/', a
// base name and an extension from the last dot. Composed paths use '/'. Results live in one
// static buffer per operation and thread, valid until that operation runs again on the same
// thread; a null or empty argument returns the previous result unchanged, and a result too long
// for its buffer is empty.
class KZUTIL_API CKzFilename {
public:
    CKzFilename() = default;
    CKzFilename(const CKzFilename&) = default;
    CKzFilename& operator=(const CKzFilename&) = default;
    virtual ~CKzFilename();

    // path must have room for one more character; paths of 259 characters are refused.
    static bool IncludeTrailingBackslash(char* path);
    static bool ExcludeTrailingBackslash(char* path);
    static const char* GetFileDirectory(const char* path);
    static const char* GetFileName(const char* path);
    static const char* GetFileExtension(const char* path);
    static const char* GetFileTitle(const char* path);
    static const char* SetFileDirectory(const char* path, const char* dir);
    static const char* SetFileExtension(const char* path, const char* ext);
    static const char* SetFileName(const char* path, const char* name);
    static const char* SetFileTitle(const char* path, const char* title);
    // Linux has no short names: the path itself, or empty when it is too long.
    static const char* GetLongPath(const char* path);
};

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

// Splits a command line at blanks and tabs outside double quotes. A quote toggles quoting and
// also ends the current piece; backslashes are ordinary characters. Copies own their buffer.
class KZUTIL_API CKzCmdLine {
public:
    CKzCmdLine() = default;
    CKzCmdLine(const CKzCmdLine& other);
    CKzCmdLine& operator=(const CKzCmdLine& other);
    virtual ~CKzCmdLine();

    // True when an argument was found or text is empty; false for null or separators only.
    bool Parse(const char* text);
    int GetArgCount() const { return m_count; }
    // The argument, or "" outside 0 .. count - 1; valid until the next Parse.
    const char* GetArg(int index) const;
    const char* operator[](int index) const { return GetArg(index); }

private:
    void Release();

    int m_count = 0;
    int m_size = 0;
    char* m_buffer = nullptr;
    int* m_starts = nullptr;
};

// ============================================================================================
// Directories
// ============================================================================================

// Keeps a file: called with the full path of every entry; null keeps every plain file.
typedef bool (*FileFilter)(const char* path);
// Receives the sort's progress in percent.
typedef void (*SortProgress)(int percent);

// A fixed underlying type keeps other values legal: they sort nothing.
enum ESort : int { SortByName = 0, SortByDate = 1 };

// A snapshot of the plain files of one directory that a filter accepts: full paths and
// last-write times, in the platform's order until sorted. Copies hold their own entries.
class KZUTIL_API CKzDirList {
public:
    CKzDirList() = default;
    CKzDirList(const CKzDirList& other);
    CKzDirList& operator=(const CKzDirList& other);
    virtual ~CKzDirList();

    bool Open(const char* dir, FileFilter filter);
    void Close();
    // After a failed Open: 0 when nothing was accepted, -1 when dir could not be listed.
    int GetFileCount() const { return m_count; }
    // The full path, or "" outside 0 .. count - 1; one static buffer per thread shared by all
    // lists.
    const char* GetFileName(int index) const;
    const char* operator[](int index) const { return GetFileName(index); }
    // Seconds since 1970-01-01 UTC, or 0 outside 0 .. count - 1.
    long GetFileDate(int index) const;
    // The opened directory with a trailing separator; "" when closed.
    const char* GetDirName() const { return m_dir; }
    // SortByName: ascending byte-wise; SortByDate: newest first. Stable. With a progress
    // callback it runs the exchange sort pass by pass and reports each new percentage.
    void Sort(ESort order, SortProgress progress);

private:
    // Paths are kept one after another in m_paths, each with its terminator.
    struct Entry {
        size_t offset = 0;
        long date = 0;
    };
    int GetFileCount(const char* dir, FileFilter filter) const;
    template <typename Visit>
    bool Enumerate(const char* dir, FileFilter filter, Visit visit) const;
    bool OutOfOrder(ESort order, const Entry& a, const Entry& b) const;

    bool m_open = false;
    int m_count = 0;
    char m_dir[260] = {};
    std::vector<Entry> m_entries;
    std::string m_paths;
};

// Moves the process's current directory to the parent, the first child or a sibling. Siblings
// are the parent's sub-directories in the platform's order, without hidden ones (leading dot)
// and without symbolic links. Directory texts end in '/'; paths of 260 characters or more are
// refused.
class KZUTIL_API CKzDir {
public:
    CKzDir() = default;
    CKzDir(const CKzDir&) = default;
    CKzDir& operator=(const CKzDir&) = default;
    virtual ~CKzDir();

    // The current directory with a trailing '/', or "" when it does not fit 259 characters.
    static const char* GetDirectory();
    // Changes the directory; true only when the new current directory is path itself.
    static bool SetDirectory(const char* path);
    // False only at the root "/".
    static bool Parent();
    static bool Child();
    static bool First();
    // Next, Previous and Last stay where they were when they fail; there is no wrap-around.
    static bool Next();
    static bool Previous();
    static bool Last();
    static int GetSubDirectories();
    static bool IsDirectory(const char* path);
    static bool DirectoryExists(const char* path);
    static bool CreateDirectoryA(const char* path);
};

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
    // Text of an ASCII or undefined tag in a static 1,024-byte buffer per thread; "" when not found.
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

// A text file opened for appending; every line feed written is stored as CR LF. Paths of 260
// characters or more are refused. A copy holds its own duplicate of the descriptor.
class KZUTIL_API CKzFile {
public:
    CKzFile() = default;
    explicit CKzFile(const char* path);
    CKzFile(const CKzFile& other);
    CKzFile& operator=(const CKzFile& other);
    virtual ~CKzFile();

    // Clears a read-only permission for as long as the file is open; Close sets it again.
    bool Open(const char* path);
    bool Close();
    // At most 65,535 characters per call; a longer text writes nothing and returns false.
    bool Write(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    bool Flush();
    // Empties the file and opens it again.
    bool Clear();
    bool IsOpen() const { return m_fd >= 0; }

    static bool Create(const char* path, bool readOnly);
    static bool Delete(const char* path);
    static bool FileExists(const char* path);
    static bool IsFilePresent(const char* path);
    static bool IsDirectory(const char* path);
    // Read-only means: no write permission for the owner.
    static bool IsFileReadOnly(const char* path);
    static bool SetReadOnly(const char* path, bool readOnly);
    // Never replaces an existing file.
    static bool Rename(const char* from, const char* to);
    static double GetFileSize(const char* path);
    // Linux volumes carry no drive number, so this is always the empty string.
    static const char* GetFileDriveLetter(const char* path);
    // Searches every directory listed in PATH (':'-separated).
    static bool IsFileInPath(const char* name);
    // The whole regular file as text up to its first NUL; a file that cannot be read in full
    // leaves the previous result in place. Valid until the next call.
    static const char* GetFileContent(const char* path);

private:
    int m_fd = -1;
    bool m_wasReadOnly = false;
    char m_name[260] = {};
};

class QWidget;

// The desktop's common dialogs: open and save a file with a filter list, choose a folder,
// choose a colour. Needs a running QApplication; without one every dialog returns false.
class KZUTIL_API CKzDialogs {
public:
    explicit CKzDialogs(QWidget* owner = nullptr);
    CKzDialogs(const CKzDialogs&) = default;
    CKzDialogs& operator=(const CKzDialogs&) = default;
    virtual ~CKzDialogs();

    // Pairs of NUL-terminated strings (description, patterns separated by ';') ended by an
    // empty string, e.g. "Images\0*.jpg;*.png\0All Files\0*.*\0". Pairs that do not fit
    // 4,096 bytes are dropped whole.
    bool SetFileMask(const char* filters);
    bool SetFilterIndex(int index);
    int GetFilterIndex() const { return m_filterIndex; }
    bool SetInitialDir(const char* dir);
    const char* GetInitialDir() const { return m_initialDir; }

    // path must hold 260 bytes. On OK it receives the choice and the filter index the chosen
    // filter; a choice of 260 characters or more is refused.
    bool BrowseForFileOpen(char* path);
    bool BrowseForFileSaveAs(char* path);
    // The chosen folder with a trailing '/'.
    bool BrowseForDir(char* path);
    // rgb is 0x00BBGGRR (red in the low byte).
    bool SelectColor(unsigned long& rgb) const;

private:
    bool BrowseForFile(char* path, bool save);

    int m_filterIndex = 0;
    char m_filters[4096] = {};
    char m_initialDir[260] = {};
    char m_fileName[260] = {};
    QWidget* m_owner = nullptr;
};

// The local date and time, read anew by every call.
class KZUTIL_API CKzDate {
public:
    CKzDate() = default;
    CKzDate(const CKzDate&) = default;
    CKzDate& operator=(const CKzDate&) = default;
    virtual ~CKzDate();

    static int GetCurrentYear();
    static int GetCurrentMonth();
    static int GetCurrentDay();
    static int GetCurrentHour();
    static int GetCurrentMinute();
    static int GetCurrentSecond();
};

// ============================================================================================
// System information
// ============================================================================================

// Facts about the running system, queried afresh by every call; texts live in one static buffer
// per operation, valid until that operation runs again. On Linux the platform text is the
// kernel's name and release, the additional text the distribution's name from os-release, and
// the version numbers come from the kernel release. No Windows flag is ever true and the Windows
// folders are "". Display facts come from the X server named by DISPLAY (libX11 is loaded only
// when they are asked for); without one, bits and refresh rate are -1 and the sizes 0.
class KZUTIL_API CKzOsInfo {
public:
    CKzOsInfo() = default;
    CKzOsInfo(const CKzOsInfo&) = default;
    CKzOsInfo& operator=(const CKzOsInfo&) = default;
    virtual ~CKzOsInfo();

    static const char* GetOsPlatform();
    static const char* GetOsAdditionalInfo();
    static const char* GetDirWindows();
    static const char* GetDirSystem();
    // $TMPDIR, else /tmp, with a trailing '/'; "" when longer than 259 characters.
    static const char* GetDirTemp();
    static const char* GetPcName();

    // The third number of the kernel release, 0 when it has none.
    static int GetOsVersionBuildNumber();
    // Major and minor of the kernel release read as one decimal number (6.1), whatever the locale.
    static double GetOsVersionNumber();
    static int GetDisplayBpp();
    static int GetDisplayRefreshFrequency();
    // 2 to the power of the bits per pixel; 16,777,216 for 24 bits and more, 0 without a display.
    static int GetDisplayColors();
    static int GetDisplayResolutionWidth();
    static int GetDisplayResolutionHeight();

    static bool IsOsPlatformWindows();
    static bool IsOsPlatformNT();
    static bool IsWindows95();
    static bool IsWindows95SP1();
    static bool IsWindows95OSR2();
    static bool IsWindows98();
    static bool IsWindows98SP1();
    static bool IsWindows98SE();
    static bool IsWindowsME();
    static bool IsWindowsNT351();
    static bool IsWindowsNT4();
    static bool IsWindows2000();
    static bool IsWindowsXP();
    static bool IsWindowsDotNet();
};

// ============================================================================================
// Containers
// ============================================================================================

// A resizable array of doubles with statistics and sorting. An allocation that fails leaves the
// list as it was and makes the operation return false; nothing throws.
class KZUTIL_API CKzList {
public:
    CKzList() = default;
    // n zeros, or empty for n <= 0.
    explicit CKzList(int n);
    // A copy that cannot be allocated is empty.
    CKzList(const CKzList& other);
    CKzList& operator=(const CKzList& other);
    virtual ~CKzList();

    // Same size and no pair of values compares less or greater.
    bool operator==(const CKzList& other) const;
    // 0 for an illegal index.
    double operator[](int i) const;
    double GetValue(int i) const;
    bool SetValue(int i, double v);
    int GetSize() const;
    int GetUpperBound() const;
    const double* GetData() const;
    bool IsEmpty() const;
    bool IsLegalIndex(int i) const;

    // Keeps the first values and adds zeros; n <= 0 empties the list and returns false.
    bool SetSize(int n);
    bool Add(double v);
    // Appends a copy of other's values, also when other is this list.
    bool Append(const CKzList& other);
    // i must be a legal index: the end is reached with Add.
    bool InsertAt(int i, double v);
    bool RemoveAt(int i);
    void Empty();

    // NaN for an empty list.
    double GetAverage() const;
    // Index of the first largest / smallest value; 0 for an empty list.
    int FindMaxValue() const;
    int FindMinValue() const;
    // The largest / smallest of 0 and all values.
    double GetMaxValue() const;
    double GetMinValue() const;
    // Stable exchange sorts.
    void SortAscending();
    void SortDescending();
    // Each value truncated to an integer ("%2d ") and a line feed on standard output.
    void Print() const;

private:
    bool Reallocate(int n);
    template <typename OutOfOrder>
    void ExchangeSort(OutOfOrder outOfOrder);

    int m_count = 0;
    double* m_values = nullptr;
};

// A grid of X rows by Y columns of integers between -16,777,215 and 16,777,215. A side <= 0
// gives an empty matrix (0 x 0); a grid that cannot be allocated leaves the matrix empty in a
// constructor and unchanged in ResizeTo.
class KZUTIL_API CKzMatrix {
public:
    CKzMatrix();
    CKzMatrix(int x, int y);
    CKzMatrix(const CKzMatrix& other);
    CKzMatrix& operator=(const CKzMatrix& other);
    virtual ~CKzMatrix();

    bool SetCell(int x, int y, int v);
    bool GetCell(int x, int y, int* v) const;
    bool SetAllCells(int v);
    void Clear();
    // Cells present in both sizes keep their values, new ones are 0; false when the new grid
    // cannot be allocated.
    bool ResizeTo(int x, int y);
    bool IsLegalCell(int x, int y) const;
    bool IsLegalValue(int v) const;

    long GetSummOfCells() const;
    // Sum divided by the number of cells; false for an empty matrix.
    bool CalculateAvarageOfCells(int* avg) const;
    bool CalculateAvarageOfCells(double* avg) const;
    // -1 for an illegal value.
    int GetNumberOfCellWithValue(int v) const;
    int GetNumberOfCells() const;
    int GetMatrixXSize() const;
    int GetMatrixYSize() const;

private:
    bool Assign(int x, int y, const int* from, int fromX, int fromY);

    int m_minValue = -16777215;
    int m_maxValue = 16777215;
    int m_xSize = 0;
    int m_ySize = 0;
    int* m_cells = nullptr; // row x starts at x * m_ySize
};

// A rooted tree of double values with a cursor. Node 0 is the root; a node's parent always has
// a lower index, and children are kept in index order. A tree is legal when both lists have the
// same positive size, the cursor is a node and the root's parent is -1; on an illegal tree the
// queries and moves do nothing and return false, 0 or -1. Trees hold at most 16,777,216 nodes.
class KZUTIL_API CKzTree {
public:
    CKzTree();
    CKzTree(const CKzTree&) = default;
    CKzTree& operator=(const CKzTree&) = default;
    virtual ~CKzTree();

    // One root of value 0, the cursor on it.
    void Empty();
    bool IsEmpty() const;
    // A new last node under the cursor, which stays where it is.
    bool AddChild(double v);

    // Cursor moves: true when the cursor is where it was asked to go.
    bool Root();
    bool Parent();
    bool Child();
    bool Child(int k);
    bool Next();
    bool First();
    // The k-th node, in index order, among the nodes of that depth.
    bool SetCurrentNode(int depth, int k);

    double GetValueDouble() const;
    int GetValueInt() const;
    int GetDepth() const;
    int GetNumberOfChilds() const;
    bool HasChilds() const;
    bool IsLeaf() const;
    int GetMaxDepth() const;
    int GetNumberOfNodes() const;
    bool SetValue(double v);
    bool SetAllValues(double v);

    // A complete tree, nodes in breadth-first order, all values 0; empty (no node) when depth
    // < 0 or branching <= 0, a root only when it would exceed the node limit.
    void MakeTree(int depth, int branching);
    // Gives every node above the depth as many children as branching asks, each carrying its
    // parent's value; a deeper or illegal tree is emptied first. Stops when memory runs out.
    void CompleteTree(int depth, int branching);
    // Completes the tree, optionally clears every inner value below 40, then takes child values
    // up level by level: parents at odd depths keep the smallest, at even depths the largest;
    // a value of 40 or more never changes. Reports its steps on standard output; false for an
    // illegal tree or one that cannot be completed.
    bool EvaluateTree(int depth, int branching, bool clear);
    void Print() const;
    void PrintTree() const;
    void PrintTree(int depth);

protected:
    // 1 + b + ... + b^n, 0 when n < 0 or b <= 0, at most INT_MAX.
    static int CalculateNodes(int n, int b);
    bool IsLegal() const;
    void ClearTreeBelowLeafs();
    int GetParent(int node) const;
    int GetDepth(int node) const;
    int GetNumberOfChilds(int node) const;
    // The next node after 'after' whose parent is parent, or -1.
    int FindChild(int parent, int after) const;

private:
    bool Complete(int depth, int branching);

    int m_current = 0;
    CKzList m_values;
    CKzList m_parents;
};
