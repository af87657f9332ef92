// The viewer's modal windows on Qt, all owned by the main window: the desktop's file and folder
// choosers, the Options and Exif dialogs and the About window.
#pragma once

#include "ViewerDialogs.h"

class QWidget;

namespace qtui {

class QtViewerDialogs : public ViewerDialogs {
public:
    explicit QtViewerDialogs(QWidget* window) : owner(window) {}

    bool AskOpenFile(const char* filter, const char* initialDir, char* path) override;
    bool AskSaveFile(const char* filter, const char* initialDir, char* path, int& filterIndex) override;
    bool AskFolder(const char* initialDir, char* path) override;
    int RunOptions(options::Form& form) override;
    void ShowExif(const char* path) override;
    void ShowAbout() override;

private:
    QWidget* owner;
};

} // namespace qtui
