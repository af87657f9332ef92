#include "ListingProgress.h"

#include "Desktop.h"
#include "ImageFileName.h"
#include "Window.h"

#include <cstdio>

namespace {

// The listing calls a plain function: it reaches the one progress of the window's thread here.
ListingProgress* current = nullptr;

} // namespace

ListingProgress::ListingProgress(platform::Desktop& desktop, platform::StatusBar* statusBar, const char* directory)
    : m_desktop(desktop), m_statusBar(statusBar), m_directory(directory ? directory : "")
{
    current = this;
}

ListingProgress::~ListingProgress()
{
    current = nullptr;
}

bool ListingProgress::Filter(const char* path)
{
    const bool image = IsImageFileName(path);
    if (current && path) current->Seen(path, image);
    return image;
}

void ListingProgress::Seen(const char* path, bool image)
{
    // The first entry met again starts the collecting pass.
    if (m_firstPath.empty()) m_firstPath = path;
    else if (!m_collecting && m_firstPath == path) m_collecting = true;
    if (image) ++(m_collecting ? m_collected : m_counted);
    if (++m_entries % kEntriesPerUpdate == 0) Show();
}

void ListingProgress::Show()
{
    if (m_statusBar) {
        char text[400];
        if (m_collecting)
            std::snprintf(text, sizeof text, "Listing the files: %d%% - %s",
                          m_counted > 0 ? int(100.0 * m_collected / m_counted) : 100, m_directory.c_str());
        else
            std::snprintf(text, sizeof text, "Counting the files: %d - %s", m_counted, m_directory.c_str());
        m_statusBar->SetText(3, text);
    }
    m_desktop.ProcessPendingEvents();
}
