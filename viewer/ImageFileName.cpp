#include "ImageFileName.h"

#include "Kzutil.h"

#include <strings.h>

bool IsImageFileName(const char* path)
{
    // The path library answers an empty path with its previous result, never with "".
    if (!path || !*path) return false;
    static constexpr const char* kExtensions[] = {
        ".bmp", ".dib", ".gif", ".jpg", ".jif", ".jpeg", ".pcx", ".png", ".tga", ".tif", ".tiff",
    };
    const char* extension = CKzFilename::GetFileExtension(path);
    for (const char* known : kExtensions)
        if (strcasecmp(extension, known) == 0) return true;
    return false;
}

std::string ListedFileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
