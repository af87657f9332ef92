// Keeps the window alive while a big folder is listed: the file filter of the listing counts
// the entries it sees and, every kEntriesPerUpdate of them, shows how far the listing has come
// in the status bar and lets the window repaint. The listing reads the folder twice, counting
// first and then collecting; the second pass is shown against the count of the first.
#pragma once

#include <string>

namespace platform {
class Desktop;
class StatusBar;
} // namespace platform

class ListingProgress {
public:
    static constexpr int kEntriesPerUpdate = 2048;

    // The filter of the listing while this object lives; one at a time.
    ListingProgress(platform::Desktop& desktop, platform::StatusBar* statusBar, const char* directory);
    ~ListingProgress();
    ListingProgress(const ListingProgress&) = delete;
    ListingProgress& operator=(const ListingProgress&) = delete;

    // The image file filter, counting what it sees.
    static bool Filter(const char* path);

private:
    void Seen(const char* path, bool image);
    void Show();

    platform::Desktop& m_desktop;
    platform::StatusBar* m_statusBar;
    std::string m_directory;
    std::string m_firstPath;
    int m_entries = 0;
    int m_counted = 0;
    int m_collected = 0;
    bool m_collecting = false;
};
