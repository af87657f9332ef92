// The decoded image the viewer holds, with where it came from.
#pragma once

#include "ImageInfo.h"
#include "Picture.h"

namespace platform {
class Clipboard;
}

class ImageDocument {
public:
    ImageDocument() = default;
    virtual ~ImageDocument();

    // Decodes the file whatever its extension says. A file that cannot be decoded leaves the
    // previous picture and its information as they were.
    bool Load(const char* path);
    bool CopyToClipboard(platform::Clipboard& clipboard) const;
    // A grey picture of the given size; the information then describes it, with no path.
    void CreateBlank(int width, int height);
    ImageInfo GetInfo() const { return m_info; }

    bool IsLoaded() const { return m_loaded; }
    const char* GetPath() const { return m_path; }
    const Picture& GetPicture() const { return m_picture; }

private:
    bool m_loaded = false;
    char m_path[260] = {};
    Picture m_picture;
    ImageInfo m_info;
};
