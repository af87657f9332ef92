#include "ImageDocument.h"

#include "Clipboard.h"
#include "Kzutil.h"
#include "RasterDC.h"
#include "ViewConstants.h"
#include "ViewSizing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

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
    return LoadForBox(path, 0, 0);
}

bool ImageDocument::LoadForBox(const char* path, int width, int height)
{
    if (!path || !*path) return LoadFailed("No file name was given.");
    if (!FitsPathBuffer(path)) return LoadFailed("The file name is too long.");
    Picture picture;
    picture.SetDecodeBox(width, height);
    if (!Decode(path, picture, m_autoOrient)) {
        // Only a file that could not be opened leaves no codec message; errno says why.
        if (*picture.GetLastError()) return LoadFailed(picture.GetLastError());
        const std::string reason = std::string("The file could not be opened: ") + std::strerror(errno ? errno : EIO);
        return LoadFailed(reason.c_str());
    }
    Adopt(path, picture);
    m_loadError[0] = '\0';
    return true;
}

bool ImageDocument::Decode(const char* path, Picture& picture, bool upright)
{
    if (!FitsPathBuffer(path) || !picture.Load(path, ImageFormat::Unknown)) return false;
    // A picture that cannot be turned (no memory for the copy) is still shown, as stored.
    if (upright) picture.Orient(picture.GetExifOrientation());
    return true;
}

void ImageDocument::Adopt(const char* path, Picture& picture)
{
    if (!FitsPathBuffer(path)) return;
    std::swap(m_picture, picture);
    m_viewCopy.Clear();
    std::strcpy(m_path, path);
    std::strcpy(m_info.path, path);
    m_info.fileSize = CKzFile::GetFileSize(path);
    m_info.width = m_picture.GetWidth();
    m_info.height = m_picture.GetHeight();
    m_info.bitsPerPixel = int(m_picture.GetBpp());
    m_loaded = true;
}

void ImageDocument::ShowFrame(Picture& frame)
{
    if (!m_loaded || !frame.IsValid()) return;
    std::swap(m_picture, frame);
    m_viewCopy.Clear();
    m_info.width = m_picture.GetWidth();
    m_info.height = m_picture.GetHeight();
}

bool ImageDocument::FitInto(int width, int height, bool keepAspect)
{
    if (!m_loaded || width <= 0 || height <= 0) return false;
    int newWidth = width;
    int newHeight = height;
    if (keepAspect) {
        const double box = double(width) / height;
        const double ratio = double(m_picture.GetWidth()) / m_picture.GetHeight();
        // At least one pixel, so that a long thin picture still gets a thumbnail.
        if (box < ratio) newHeight = std::max(1, int(width / ratio));
        else if (box > ratio) newWidth = std::max(1, int(height * ratio));
    }
    m_viewCopy.Clear();
    return m_picture.Resample(newWidth, newHeight, 0, nullptr);
}

namespace {

constexpr struct {
    const char* extension;
    ImageFormat format;
} kTypes[kSaveTypes] = {
    {"bmp", ImageFormat::Bmp}, {"gif", ImageFormat::Gif}, {"jpg", ImageFormat::Jpg}, {"pcx", ImageFormat::Pcx},
    {"png", ImageFormat::Png}, {"tga", ImageFormat::Tga}, {"tif", ImageFormat::Tif},
};

} // namespace

std::string ImageDocument::SaveTarget(const char* path, int saveType)
{
    if (!path || !*path || !FitsPathBuffer(path) || saveType < 0 || saveType >= kSaveTypes) return "";
    return CKzFilename::SetFileExtension(path, kTypes[saveType].extension);
}

bool ImageDocument::SaveAs(const char* path, int saveType)
{
    m_saveTarget[0] = '\0';
    if (!m_loaded) return SaveFailed("There is no image to save.");
    if (!path || !*path) return SaveFailed("No file name was given.");
    if (!FitsPathBuffer(path)) return SaveFailed("The file name is too long.");
    std::strcpy(m_saveTarget, path);
    if (saveType < 0 || saveType >= kSaveTypes) return SaveFailed("The file type is not one that can be written.");
    std::strcpy(m_path, path);
    const std::string target = SaveTarget(path, saveType);
    if (target.empty()) return SaveFailed("The file name is too long.");
    std::strcpy(m_saveTarget, target.c_str());
    Picture copy(m_picture);
    // The copy carries the shown picture's last error, which says nothing about this save.
    copy.SetLastError("");
    bool converted = true;
    if (saveType == SaveGif && copy.GetBpp() > 8) converted = copy.DecreaseBpp(8, true, nullptr);
    if (saveType == SaveJpg && copy.GetBpp() < 24) converted = copy.IncreaseBpp(24);
    if (!converted) return SaveFailed(*copy.GetLastError() ? copy.GetLastError() : "The colours could not be converted.");
    errno = 0;
    if (copy.Save(target, kTypes[saveType].format)) {
        m_saveError[0] = '\0';
        return true;
    }
    if (*copy.GetLastError()) return SaveFailed(copy.GetLastError());
    // A file that cannot be created leaves no codec message; the system's reason is in errno.
    const std::string reason = std::string("The file could not be created: ") + std::strerror(errno ? errno : EIO);
    return SaveFailed(reason.c_str());
}

bool ImageDocument::SaveFailed(const char* reason)
{
    std::snprintf(m_saveError, sizeof m_saveError, "%s", reason);
    return false;
}

bool ImageDocument::LoadFailed(const char* reason)
{
    std::snprintf(m_loadError, sizeof m_loadError, "%s", reason);
    return false;
}

bool ImageDocument::CopyToClipboard(platform::Clipboard& clipboard) const
{
    ByteBlock block = m_picture.CopyToGlobalHandle();
    return !block.empty() && clipboard.SetImage(block);
}

void ImageDocument::CreateBlank(int width, int height)
{
    m_viewCopy.Clear();
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
    const unsigned bytesPerPixel = m_picture.GetBpp() / 8;
    m_info.fileSize = double(m_picture.GetWidth()) * m_picture.GetHeight() * bytesPerPixel;
}

bool ImageDocument::DrawFitted(RasterDC& dc, int areaWidth, int areaHeight, int margin, int& drawnWidth,
                               int& drawnHeight)
{
    if (!m_loaded) return false;
    const view::Placement place =
        view::PlaceInArea(m_picture.GetWidth(), m_picture.GetHeight(), areaWidth, areaHeight, margin);
    drawnWidth = place.width;
    drawnHeight = place.height;
    if (Picture* copy = m_viewCopy.For(m_picture, place.width, place.height)) return copy->Draw(&dc, place.x, place.y);
    return m_picture.Stretch(&dc, place.x, place.y, place.width, place.height);
}
