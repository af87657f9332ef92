// The decoded image the viewer holds, with where it came from.
#pragma once

#include "ImageInfo.h"
#include "Picture.h"
#include "ViewCopy.h"

#include <atomic>
#include <string>

class RasterDC;

namespace platform {
class Clipboard;
}

// The file types of the Save As dialog, in the order of its list.
enum SaveType { SaveBmp, SaveGif, SaveJpg, SavePcx, SavePng, SaveTga, SaveTif, kSaveTypes };

class ImageDocument {
public:
    ImageDocument() = default;
    virtual ~ImageDocument();

    // Decodes the file whatever its extension says, turned upright as its Exif orientation says
    // unless that is switched off. A file that cannot be decoded leaves the previous picture and
    // its information as they were.
    bool Load(const char* path);
    // Load for a picture that is only wanted to fill a width x height box: a codec that can may
    // decode it smaller, though never below twice the box each way. Not for pictures that are
    // shown, saved or copied at their own size.
    bool LoadForBox(const char* path, int width, int height);
    // Why the last load failed ("" after a success).
    const char* GetLoadError() const { return m_loadError; }
    // The decoding step of Load alone, upright or as stored: touches nothing but the picture, so
    // any thread may run it.
    static bool Decode(const char* path, Picture& picture, bool upright);
    // Shows a picture decoded elsewhere from path, as Load would; picture receives the one
    // held until now.
    void Adopt(const char* path, Picture& picture);
    // Whether loads turn photos upright; the prefetcher's thread reads it too.
    void SetAutoOrient(bool autoOrient) { m_autoOrient = autoOrient; }
    bool GetAutoOrient() const { return m_autoOrient; }
    // Shows a frame of the loaded file's animation in place of the picture; frame receives the
    // one shown until now. The information keeps describing the file, at the frame's size.
    void ShowFrame(Picture& frame);
    // Resamples the picture in place to width x height, or with keepAspect to the largest size
    // of the picture's proportions that fits that box (smaller pictures are enlarged).
    bool FitInto(int width, int height, bool keepAspect);
    // Writes a copy in the format of saveType, with the extension replaced to match; the picture
    // itself is never converted. The document's path becomes the given path.
    bool SaveAs(const char* path, int saveType);
    // The file SaveAs (path, saveType) writes: path with the type's extension; "" when the
    // type is not one that can be written or the name does not fit.
    static std::string SaveTarget(const char* path, int saveType);
    // The file the last SaveAs wrote or tried to write ("" when it got no file name), and why
    // it failed ("" after a success).
    const char* GetSaveTarget() const { return m_saveTarget; }
    const char* GetSaveError() const { return m_saveError; }
    bool CopyToClipboard(platform::Clipboard& clipboard) const;
    // Draws the picture into an area of the device context at the origin, keeping its
    // proportions (see view::PlaceInArea), smoothly when smaller than itself and over the
    // background where it is transparent (see ViewCopy); reports the drawn size.
    bool DrawFitted(RasterDC& dc, int areaWidth, int areaHeight, int margin, int& drawnWidth, int& drawnHeight);
    // A grey picture of the given size; the information then describes it, with no path.
    void CreateBlank(int width, int height);
    ImageInfo GetInfo() const { return m_info; }
    const ViewCopy& GetViewCopy() const { return m_viewCopy; }

    bool IsLoaded() const { return m_loaded; }
    const char* GetPath() const { return m_path; }
    const Picture& GetPicture() const { return m_picture; }

private:
    bool SaveFailed(const char* reason);
    bool LoadFailed(const char* reason);

    bool m_loaded = false;
    std::atomic<bool> m_autoOrient = true;
    char m_path[260] = {};
    char m_saveTarget[260] = {};
    char m_saveError[256] = {};
    char m_loadError[256] = {};
    Picture m_picture;
    ViewCopy m_viewCopy;
    ImageInfo m_info;
};
