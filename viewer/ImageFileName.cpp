#include "ImageFileName.h"

#include "CodecTable.h"
#include "Kzutil.h"

bool IsImageFileName(const char* path)
{
    // The path library answers an empty path with its previous result, never with "".
    if (!path || !*path) return false;
    // Every extension of a format we can read, as the format table lists them.
    const char* extension = CKzFilename::GetFileExtension(path);
    if (*extension != '.' || !extension[1]) return false;
    const CodecEntry* entry = FindCodecEntry(FormatFromExtension(extension + 1));
    return entry && entry->make;
}

std::string ListedFileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
