// Path limits and helpers shared by the library's units (not exported).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace kzpath {

// Paths live in 260-byte buffers: at most 259 characters and the terminator.
constexpr size_t kMaxPath = 260;
constexpr char kSeparator = '/';

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

inline bool EndsWithSeparator(const std::string& s)
{
    return !s.empty() && IsSeparator(s.back());
}

// A path argument the library accepts: present, non-empty and short enough for its buffers.
inline bool IsUsable(const char* path)
{
    return path && *path && std::strlen(path) < kMaxPath;
}

// Copies text into a buffer of the given size; text that does not fit leaves it empty.
inline const char* Put(char* buffer, size_t size, const std::string& text)
{
    if (text.size() >= size) {
        buffer[0] = '\0';
    } else {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    }
    return buffer;
}

} // namespace kzpath
