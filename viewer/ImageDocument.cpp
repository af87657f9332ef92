#include "ImageDocument.h"

#include "Clipboard.h"
#include "Kzutil.h"
#include "ViewConstants.h"

#include <cstring>

namespace {

// Paths longer than the 260-byte buffers are refused, never cut.
bool FitsPathBuffer(const char* path)
{
    return path && *path && std::strlen(path) < sizeof ImageInfo::path;
}

} // namespace

ImageDocument::~ImageDocument() = default;

bool ImageDocument::Load(const char* path)
{
    if (!FitsPathBuffer(path)) return false;
    if (!m_picture.Load(path, ImageFormat::Unknown)) return false;
    std::strcpy(m_path, path);
    std::strcpy(m_info.path, path);
    m_info.fileSize = CKzFile::GetFileSize(path);
    m_info.width = m_picture.GetWidth();
    m_info.height = m_picture.GetHeight();
    m_info.bitsPerPixel = int(m_picture.GetBpp());
    m_loaded = true;
    return true;
}

bool ImageDocument::CopyToClipboard(platform::Clipboard& clipboard) const
{
    ByteBlock block = m_picture.CopyToGlobalHandle();
    return !block.empty() && clipboard.SetImage(block);
}

void ImageDocument::CreateBlank(int width, int height)
{
    if (width > 0 && height > 0 && m_picture.Create(width, height, 24, ImageFormat::Unknown)) {
        const RgbQuad grey = RGBtoRGBQUAD(view::kBackground);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = m_picture.GetBits() + std::size_t(y) * m_picture.GetEffWidth();
            for (int x = 0; x < width; ++x, row += 3) {
                row[0] = grey.blue;
                row[1] = grey.green;
                row[2] = grey.red;
            }
        }
    }
    m_info.path[0] = '\0';
    m_info.width = width;
    m_info.height = height;
    m_info.bitsPerPixel = 24;
    m_info.fileSize = double(m_picture.GetWidth()) * m_picture.GetHeight() * (m_picture.GetBpp() / 8);
}
