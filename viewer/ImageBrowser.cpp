#include "ImageBrowser.h"

#include "Desktop.h"
#include "ListingProgress.h"
#include "Prefetcher.h"
#include "SettingsKeys.h"
#include "ViewConstants.h"
#include "WaitCursor.h"
#include "Window.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

constexpr std::size_t kPathBuffer = 260;

bool FitsPathBuffer(const char* path)
{
    return std::strlen(path) < kPathBuffer;
}

} // namespace

ImageBrowser::ImageBrowser(platform::Desktop& desktop) : m_desktop(desktop) {}

ImageBrowser::~ImageBrowser() = default;

bool ImageBrowser::SetWindows(platform::Window* main, platform::StatusBar* status)
{
    m_statusBar = status;
    m_statusBarHeight = status ? status->GetHeight() : 0;
    if (!main) return false;
    m_mainWindow = main;
    return true;
}

void ImageBrowser::SetAutoOrient(bool autoOrient)
{
    if (autoOrient == m_document.GetAutoOrient()) return;
    m_document.SetAutoOrient(autoOrient);
    // Pictures decoded ahead were turned by the old rule.
    if (m_prefetcher) m_prefetcher->Clear();
}

void ImageBrowser::SetPrefetcher(Prefetcher* prefetcher)
{
    if (m_prefetcher) m_prefetcher->Clear();
    m_prefetcher = prefetcher;
}

bool ImageBrowser::LoadDirectory(const char* path, bool selectFirst)
{
    if (!m_mainWindow || !path || !FitsPathBuffer(path)) return false;
    // A listing may be of another folder, or find this one changed.
    if (m_prefetcher) m_prefetcher->Clear();
    m_animation.Stop();
    m_fileCount = 0;
    m_currentIndex = -1;
    m_fileList.Close();
    std::strcpy(m_currentDirectory, path);
    m_unshownFile[0] = '\0';

    bool listed;
    {
        WaitCursor wait(m_desktop);
        ListingProgress progress(m_desktop, m_statusBar, GetDirectoryText());
        listed = m_fileList.Open(path, ListingProgress::Filter);
        if (listed) m_fileCount = m_fileList.GetFileCount();
    }
    if (listed) {
        if (m_fileCount > kBigDirectory) {
            char question[160];
            std::snprintf(question, sizeof question,
                          "Are you sure you want to load this directory with %d files?\n"
                          "This can take a few minutes.",
                          m_fileCount);
            if (m_desktop.ShowMessage(m_mainWindow, settings::kAppName, question, platform::MessageIcon::Question,
                                      platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
                m_fileCount = 0;
                m_fileList.Close();
                FitWindow();
                return false;
            }
        }
        WaitCursor wait(m_desktop);
        m_fileList.Sort(m_sortOnDate ? SortByDate : SortByName, nullptr);
    }
    const bool result = selectFirst ? First() : true;
    FitWindow();
    return result;
}

bool ImageBrowser::LoadFile(const char* path)
{
    // An empty path has no directory: the path library would answer with an earlier one.
    if (!m_mainWindow || !path || !*path || !FitsPathBuffer(path)) return false;
    WaitCursor wait(m_desktop);
    char file[kPathBuffer];
    std::strcpy(file, path);
    char directory[kPathBuffer];
    std::snprintf(directory, sizeof directory, "%s", CKzFilename::GetFileDirectory(file));
    if (!LoadDirectory(directory, false)) return false;
    const int index = FindInList(file);
    if (index < 0) return false;
    m_currentIndex = index;
    if (ShowIndex(index)) return true;
    // The listing has already let go of the previous picture: nothing is shown, so title,
    // status, menus and the clipboard all see no image rather than a blank one.
    NoteUnshown(index);
    m_currentIndex = -1;
    FitWindow();
    return false;
}

// The exact name first, so that a.jpg and A.jpg side by side are both reachable; then the
// name in any letter case.
int ImageBrowser::FindInList(const char* path) const
{
    for (int i = 0; i < m_fileCount; ++i)
        if (std::strcmp(m_fileList.GetFileName(i), path) == 0) return i;
    for (int i = 0; i < m_fileCount; ++i)
        if (strcasecmp(m_fileList.GetFileName(i), path) == 0) return i;
    return -1;
}

bool ImageBrowser::ShowIndex(int index)
{
    if (m_fileCount <= 0 || index < 0 || index >= m_fileCount) return false;
    if (m_currentIndex < 0 || m_currentIndex >= m_fileCount) return false;
    WaitCursor wait(m_desktop);
    char entry[kPathBuffer];
    std::snprintf(entry, sizeof entry, "%s", m_fileList.GetFileName(index));
    Picture picture;
    FileStamp stamp;
    // A file that is not ready is decoded here and now: nothing waits for the prefetcher.
    if (!m_prefetcher || !m_prefetcher->Take(entry, picture, stamp)) {
        stamp = FileStamp::Of(entry);
        if (!ImageDocument::Decode(entry, picture, m_document.GetAutoOrient())) return false;
    }
    // The picture shown until now is often the one behind the new one; it is offered only while
    // the document holds it as decoded (not the blank of an empty view).
    char before[kPathBuffer] = {};
    if (!m_animation.HasFrames()) std::strcpy(before, m_document.GetInfo().path);
    const FileStamp beforeStamp = std::strcmp(before, m_currentFile) == 0 ? m_shownStamp : FileStamp{};
    m_document.Adopt(entry, picture);
    m_shownStamp = stamp;
    std::strcpy(m_currentFile, entry);
    ++m_loads;
    StartAnimation(entry);
    FitWindow();
    PrefetchAround(before, beforeStamp, picture);
    return true;
}

void ImageBrowser::StartAnimation(const char* path)
{
    m_animation.Stop();
    if (m_document.GetPicture().GetNumFrames() < 2) return;
    Picture first;
    if (m_animation.Start(FrameReader::Open(path), first)) m_document.ShowFrame(first);
}

bool ImageBrowser::AdvanceAnimation()
{
    Picture frame;
    if (!m_animation.Advance(frame)) return false;
    m_document.ShowFrame(frame);
    return true;
}

void ImageBrowser::PrefetchAround(const char* before, const FileStamp& beforeStamp, Picture& shownBefore)
{
    if (!m_prefetcher || !HasCurrentImage() || m_fileCount <= 1) return;
    const int ahead = (m_currentIndex + m_step + m_fileCount) % m_fileCount;
    const int behind = (m_currentIndex - m_step + m_fileCount) % m_fileCount;
    std::vector<std::string> paths{m_fileList.GetFileName(ahead)};
    if (behind != ahead) paths.emplace_back(m_fileList.GetFileName(behind));
    Prefetcher::Offer offer{before, beforeStamp};
    if (std::strcmp(before, m_currentFile) != 0) offer.picture = std::move(shownBefore);
    m_prefetcher->Want(paths, std::move(offer));
}

bool ImageBrowser::First()
{
    if (m_fileCount <= 0) return false;
    if (m_currentIndex == 0) return true;
    return MoveTo(0, +1, m_fileCount);
}

bool ImageBrowser::Last()
{
    if (m_fileCount <= 0) return false;
    if (m_currentIndex == m_fileCount - 1) return true;
    return MoveTo(m_fileCount - 1, -1, m_fileCount);
}

bool ImageBrowser::Next()
{
    if (!HasCurrentImage() || m_fileCount <= 1) return false;
    return MoveTo(m_currentIndex + 1 < m_fileCount ? m_currentIndex + 1 : 0, +1, m_fileCount - 1);
}

bool ImageBrowser::Previous()
{
    if (!HasCurrentImage() || m_fileCount <= 1) return false;
    return MoveTo(m_currentIndex > 0 ? m_currentIndex - 1 : m_fileCount - 1, -1, m_fileCount - 1);
}

// A file that cannot be decoded is stepped over in the walking direction, so that one broken
// file does not stop every later step on the file before it.
bool ImageBrowser::MoveTo(int index, int step, int tries)
{
    m_step = step;
    char unshown[kPathBuffer] = {};
    for (int i = index, tried = 0; tried < tries; ++tried, i = (i + step + m_fileCount) % m_fileCount) {
        m_currentIndex = i;
        if (ShowIndex(i)) {
            std::strcpy(m_unshownFile, unshown);
            return true;
        }
        if (!unshown[0]) std::snprintf(unshown, sizeof unshown, "%s", CKzFilename::GetFileName(m_fileList.GetFileName(i)));
        // A folder of thousands of unreadable files would otherwise freeze the window for as
        // long as the step takes. The count comes first: the part is as narrow as the window.
        if ((tried + 1) % kUnshownPerUpdate == 0) {
            if (m_statusBar) {
                char text[600];
                std::snprintf(text, sizeof text, "Unreadable: %d of %d - %s", tried + 1, tries, GetDirectoryText());
                m_statusBar->SetText(3, text);
            }
            m_desktop.ProcessPendingEvents();
        }
    }
    FallBack();
    std::strcpy(m_unshownFile, unshown);
    return false;
}

void ImageBrowser::NoteUnshown(int index)
{
    std::snprintf(m_unshownFile, sizeof m_unshownFile, "%s", CKzFilename::GetFileName(m_fileList.GetFileName(index)));
}

// A step that could not load falls back to Refresh, whose own failure steps to the first file.
// That step may fail as well (the current file gone, the first one undecodable), so only one
// fallback runs at a time: a failure inside it ends the chain. When the fallback showed
// nothing, the directory stays listed with nothing shown, rather than a picture whose file
// the list no longer points at.
void ImageBrowser::FallBack()
{
    if (m_fallingBack) return;
    m_fallingBack = true;
    const unsigned loads = m_loads;
    Refresh();
    if (m_loads == loads) {
        m_currentIndex = -1;
        FitWindow();
    }
    m_fallingBack = false;
}

void ImageBrowser::Refresh()
{
    if (!HasCurrentImage()) return;
    Reshow();
}

bool ImageBrowser::Reshow()
{
    WaitCursor wait(m_desktop);
    return LoadFile(m_currentFile) || First();
}

bool ImageBrowser::HasCurrentImage() const
{
    return m_fileCount > 0 && m_currentIndex >= 0 && m_currentIndex < m_fileCount;
}

bool ImageBrowser::CopyToClipboard(platform::Clipboard& clipboard) const
{
    return HasCurrentImage() && m_document.CopyToClipboard(clipboard);
}

const char* ImageBrowser::GetFileName() const
{
    // The path library answers an empty path with its previous result.
    if (!*m_document.GetPath()) return "";
    return CKzFilename::GetFileName(m_document.GetPath());
}

const char* ImageBrowser::GetCurrentPath() const
{
    const char* name = GetFileName();
    const std::size_t length = std::strlen(m_currentDirectory);
    const bool separator = length > 0 && m_currentDirectory[length - 1] != '/' && m_currentDirectory[length - 1] != '\\';
    m_currentPath[0] = '\0';
    if (!*name) return m_currentPath;
    const int n = std::snprintf(m_currentPath, sizeof m_currentPath, "%s%s%s", m_currentDirectory,
                                separator ? "/" : "", name);
    if (n < 0 || std::size_t(n) >= sizeof m_currentPath) m_currentPath[0] = '\0';
    return m_currentPath;
}

void ImageBrowser::FitWindow()
{
    if (!m_mainWindow || !*m_currentDirectory) return;
    const Picture& picture = m_document.GetPicture();
    const bool hasImage = HasCurrentImage() && picture.IsValid();
    const view::ImageFit fit =
        view::FitImage(m_desktop.GetScreenMetrics(), m_statusBarHeight, m_drawBorder,
                       hasImage ? picture.GetWidth() : 0, hasImage ? picture.GetHeight() : 0,
                       m_mainWindow->GetOuterRect());
    m_viewWidth = fit.viewWidth;
    m_viewHeight = fit.viewHeight;
    if (hasImage)
        m_zoomPercent = fit.zoomPercent;
    else
        m_document.CreateBlank(view::kMinWidth, view::kMinHeight);

    const view::Size limits = GetSizeLimits();
    m_mainWindow->SetFixedSize(limits.width, limits.height);
    m_mainWindow->SetOuterRect(fit.window);
    if (m_statusBar)
        m_statusBar->Place({0, fit.window.height - m_statusBarHeight, fit.window.width, m_statusBarHeight});
    m_mainWindow->RequestRepaint();
}

bool ImageBrowser::Draw(RasterDC& dc, int& drawnWidth, int& drawnHeight)
{
    if (!m_mainWindow || !*m_currentDirectory) return false;
    return m_document.DrawFitted(dc, m_viewWidth, m_viewHeight, m_drawBorder ? view::kFrameMargin : 0, drawnWidth,
                                 drawnHeight);
}

view::Size ImageBrowser::GetSizeLimits() const
{
    const bool menu = m_mainWindow && m_mainWindow->HasMenuBar();
    return view::SizeLimits(m_desktop.GetScreenMetrics(), m_statusBarHeight, menu, HasCurrentImage(),
                            m_viewWidth, m_viewHeight);
}

const char* ImageBrowser::GetImageInfoText()
{
    m_infoText[0] = '\0';
    if (HasCurrentImage()) {
        const ImageInfo info = m_document.GetInfo();
        std::snprintf(m_infoText, sizeof m_infoText, "%d x %d x %dbpp", info.width, info.height, info.bitsPerPixel);
    }
    return m_infoText;
}

const char* ImageBrowser::GetZoomText()
{
    m_zoomText[0] = '\0';
    if (HasCurrentImage()) std::snprintf(m_zoomText, sizeof m_zoomText, "%d%%", m_zoomPercent);
    return m_zoomText;
}

const char* ImageBrowser::GetPositionText()
{
    m_positionText[0] = '\0';
    if (HasCurrentImage()) std::snprintf(m_positionText, sizeof m_positionText, "%d/%d", m_currentIndex + 1, m_fileCount);
    return m_positionText;
}

const char* ImageBrowser::GetFrameText()
{
    m_frameText[0] = '\0';
    if (HasCurrentImage() && m_animation.HasFrames())
        std::snprintf(m_frameText, sizeof m_frameText, "Frame %d/%d", m_animation.GetFrame(), m_animation.GetFrameCount());
    return m_frameText;
}

// The root directory keeps its "/", which would otherwise leave nothing to show.
const char* ImageBrowser::GetDirectoryText()
{
    std::strcpy(m_directoryText, m_currentDirectory);
    const std::size_t length = std::strlen(m_directoryText);
    if (length > 1) CKzFilename::ExcludeTrailingBackslash(m_directoryText);
    return m_directoryText;
}
