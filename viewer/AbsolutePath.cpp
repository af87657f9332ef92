#include "AbsolutePath.h"

#include <filesystem>

std::string AbsolutePath(const std::string& path)
{
    if (path.empty()) return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    std::filesystem::path result;
    for (const std::filesystem::path& part : absolute)
        if (part != ".") result /= part;
    return result.string();
}
