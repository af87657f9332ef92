#include "KzPath.h"
#include "KzX11Display.h"
#include "Kzutil.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The leading numbers of the kernel release ("6.1.0-18-amd64" gives 6, 1, 0), read digit by
// digit so that no locale takes part; missing ones are 0.
void ReleaseNumbers(int (&numbers)[3])
{
    numbers[0] = numbers[1] = numbers[2] = 0;
    utsname names{};
    if (::uname(&names) != 0) return;
    const char* p = names.release;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && *p++ != '.') return;
        if (*p < '0' || *p > '9') return;
        long long value = 0;
        for (; *p >= '0' && *p <= '9'; ++p) value = value < INT_MAX ? value * 10 + (*p - '0') : value;
        numbers[i] = value < INT_MAX ? static_cast<int>(value) : INT_MAX;
    }
}

// The value of a KEY=value line of os-release: quotes removed, backslash escapes resolved.
std::string OsReleaseValue(const char* line, const char* key)
{
    const size_t keyLength = std::strlen(key);
    if (std::strncmp(line, key, keyLength) != 0 || line[keyLength] != '=') return {};
    std::string value;
    char quote = 0;
    for (const char* p = line + keyLength + 1; *p && *p != '\n'; ++p) {
        if (!quote && value.empty() && (*p == '"' || *p == '\'')) {
            quote = *p;
        } else if (*p == quote) {
            break;
        } else if (*p == '\\' && quote != '\'' && p[1] && p[1] != '\n') {
            value += *++p;
        } else {
            value += *p;
        }
    }
    return value;
}

// The distribution's name from os-release, in the place where systems keep it or where they may
// leave it to the vendor.
std::string PrettyName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::FILE* file = std::fopen(path, "r");
        if (!file) continue;
        std::string name;
        char line[1024];
        while (name.empty() && std::fgets(line, sizeof line, file)) name = OsReleaseValue(line, "PRETTY_NAME");
        std::fclose(file);
        return name;
    }
    return {};
}

} // namespace

CKzOsInfo::~CKzOsInfo() = default;

const char* CKzOsInfo::GetOsPlatform()
{
    static char text[2 * sizeof(utsname::release) + 2];
    utsname names{};
    if (::uname(&names) != 0) return kzpath::Put(text, sizeof text, "");
    std::snprintf(text, sizeof text, "%s %s", names.sysname, names.release);
    return text;
}

const char* CKzOsInfo::GetOsAdditionalInfo()
{
    static char text[256];
    return kzpath::Put(text, sizeof text, PrettyName());
}

const char* CKzOsInfo::GetDirWindows()
{
    return "";
}

const char* CKzOsInfo::GetDirSystem()
{
    return "";
}

const char* CKzOsInfo::GetDirTemp()
{
    static char text[kzpath::kMaxPath];
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (!kzpath::EndsWithSeparator(path)) path += kzpath::kSeparator;
    return kzpath::Put(text, sizeof text, path);
}

const char* CKzOsInfo::GetPcName()
{
    static char text[HOST_NAME_MAX + 1];
    if (::gethostname(text, sizeof text) != 0) text[0] = '\0';
    text[sizeof text - 1] = '\0';
    return text;
}

int CKzOsInfo::GetOsVersionBuildNumber()
{
    int numbers[3];
    ReleaseNumbers(numbers);
    return numbers[2];
}

// Major and minor joined as "%d.%d" and read back: 6.10 therefore reads as 6.1, as 4.10 did.
double CKzOsInfo::GetOsVersionNumber()
{
    int numbers[3];
    ReleaseNumbers(numbers);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%d.%d", numbers[0], numbers[1]);
    double value = 0.0;
    std::from_chars(text, text + length, value);
    return value;
}

int CKzOsInfo::GetDisplayBpp() { return QueryX11Display().bitsPerPixel; }
int CKzOsInfo::GetDisplayRefreshFrequency() { return QueryX11Display().refreshRate; }
int CKzOsInfo::GetDisplayResolutionWidth() { return QueryX11Display().width; }
int CKzOsInfo::GetDisplayResolutionHeight() { return QueryX11Display().height; }

// 2^bits truncated: 0 without a display; from 24 bits on, the 16,777,216 colours of true colour.
int CKzOsInfo::GetDisplayColors()
{
    const int bits = GetDisplayBpp();
    if (bits < 0) return 0;
    return 1 << (bits < 24 ? bits : 24);
}

bool CKzOsInfo::IsOsPlatformWindows() { return false; }
bool CKzOsInfo::IsOsPlatformNT() { return false; }
bool CKzOsInfo::IsWindows95() { return false; }
bool CKzOsInfo::IsWindows95SP1() { return false; }
bool CKzOsInfo::IsWindows95OSR2() { return false; }
bool CKzOsInfo::IsWindows98() { return false; }
bool CKzOsInfo::IsWindows98SP1() { return false; }
bool CKzOsInfo::IsWindows98SE() { return false; }
bool CKzOsInfo::IsWindowsME() { return false; }
bool CKzOsInfo::IsWindowsNT351() { return false; }
bool CKzOsInfo::IsWindowsNT4() { return false; }
bool CKzOsInfo::IsWindows2000() { return false; }
bool CKzOsInfo::IsWindowsXP() { return false; }
bool CKzOsInfo::IsWindowsDotNet() { return false; }
