// The viewer's central object: the image files of one directory, the one being shown, its
// decoded picture, and the view state that sizing, painting and the status bar read.
#pragma once

#include "Animation.h"
#include "FileStamp.h"
#include "ImageDocument.h"
#include "Kzutil.h"
#include "ViewSizing.h"

class Prefetcher;

namespace platform {
class Clipboard;
class Desktop;
class StatusBar;
class Timer;
class Window;
} // namespace platform

class ImageBrowser {
public:
    // Files in a directory above which listing it asks the user first.
    static constexpr int kBigDirectory = 2500;
    // While a step passes over files that cannot be shown, the status bar counts them and the
    // window repaints after every so many.
    static constexpr int kUnshownPerUpdate = 256;

    explicit ImageBrowser(platform::Desktop& desktop);
    ImageBrowser(const ImageBrowser&) = delete;
    ImageBrowser& operator=(const ImageBrowser&) = delete;
    virtual ~ImageBrowser();

    // Until a main window is set, listing and loading refuse to work.
    bool SetWindows(platform::Window* main, platform::StatusBar* status);
    // Files next to the shown one are decoded ahead through the prefetcher while one is set;
    // null goes back to decoding every file when it is shown.
    void SetPrefetcher(Prefetcher* prefetcher);
    // An animated picture plays while a timer is set; its expiry comes to AdvanceAnimation.
    void SetAnimationTimer(platform::Timer* timer) { m_animation.SetTimer(timer); }
    // Shows the animation's next frame; false when nothing changed.
    bool AdvanceAnimation();
    // The frame shown stays while a dialog is open.
    void PauseAnimation(bool paused) { m_animation.SetPaused(paused); }

    bool LoadDirectory(const char* path, bool selectFirst);
    bool LoadFile(const char* path);
    bool ShowIndex(int index);
    bool First();
    bool Last();
    bool Next();
    bool Previous();
    // Lists the directory again and shows the current file again, or the first one.
    void Refresh();
    bool HasCurrentImage() const;
    bool CopyToClipboard(platform::Clipboard& clipboard) const;
    bool SaveAs(const char* path, int saveType) { return m_document.SaveAs(path, saveType); }

    const char* GetDirectory() const { return m_currentDirectory; }
    // The name part of the shown file; "" before any.
    const char* GetFileName() const;
    // Directory and file name of the shown image; "" before any, or when it does not fit.
    const char* GetCurrentPath() const;

    // View (sizing, drawing, status texts)
    void FitWindow();
    // Draws the current image into the image area; reports the drawn size.
    bool Draw(RasterDC& dc, int& drawnWidth, int& drawnHeight);
    // The one outer size the main window may take.
    view::Size GetSizeLimits() const;
    // Each text stays valid until the same function is called again.
    const char* GetImageInfoText();
    const char* GetZoomText();
    const char* GetPositionText();
    const char* GetDirectoryText();
    // "Frame 3/12" while an animation is shown, else "".
    const char* GetFrameText();

    int GetViewWidth() const { return m_viewWidth; }
    int GetViewHeight() const { return m_viewHeight; }
    int GetFileCount() const { return m_fileCount; }
    int GetCurrentIndex() const { return m_currentIndex; }
    int GetZoomPercent() const { return m_zoomPercent; }
    const char* GetCurrentFile() const { return m_currentFile; }
    // The name of the file that the last listing or step could not show; "" when none failed.
    const char* GetUnshownFile() const { return m_unshownFile; }
    const ImageDocument& GetDocument() const { return m_document; }
    bool GetDrawBorder() const { return m_drawBorder; }
    void SetDrawBorder(bool draw) { m_drawBorder = draw; }
    bool GetSortOnDate() const { return m_sortOnDate; }
    void SetSortOnDate(bool byDate) { m_sortOnDate = byDate; }
    bool GetAutoOrient() const { return m_document.GetAutoOrient(); }
    // Takes effect from the next load.
    void SetAutoOrient(bool autoOrient);

private:
    // Shows the first file that loads, trying up to tries entries from index on in steps of
    // step (round the list); the view stays where it was when none does.
    bool MoveTo(int index, int step, int tries);
    void NoteUnshown(int index);
    void FallBack();
    bool Reshow();
    int FindInList(const char* path) const;
    // Plays the shown picture when its file is an animation.
    void StartAnimation(const char* path);
    // Asks the prefetcher for the files after and before the shown one in the walking direction,
    // offering it the picture shown before.
    void PrefetchAround(const char* before, const FileStamp& beforeStamp, Picture& shownBefore);

    platform::Desktop& m_desktop;
    int m_viewHeight = 0;
    int m_viewWidth = 0;
    int m_fileCount = -1;
    int m_currentIndex = -1;
    int m_zoomPercent = 100;
    bool m_drawBorder = false;
    bool m_sortOnDate = false;
    platform::Window* m_mainWindow = nullptr;
    platform::StatusBar* m_statusBar = nullptr;
    int m_statusBarHeight = 0;
    char m_currentDirectory[260] = {};
    char m_currentFile[260] = {};
    char m_unshownFile[260] = {};
    ImageDocument m_document;
    // The shown file as it was when it was decoded.
    FileStamp m_shownStamp;
    Prefetcher* m_prefetcher = nullptr;
    // The walking direction: +1 onwards, -1 backwards.
    int m_step = 1;
    Animation m_animation;
    CKzDirList m_fileList;

    // Set while a failed step falls back, so that a failure inside the fallback ends it.
    bool m_fallingBack = false;
    // Counts successful loads, so that a fallback knows whether it showed anything.
    unsigned m_loads = 0;

    char m_infoText[64] = {};
    char m_zoomText[16] = {};
    char m_positionText[32] = {};
    char m_directoryText[260] = {};
    char m_frameText[32] = {};
    mutable char m_currentPath[260] = {};
};
