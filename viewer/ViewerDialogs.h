// The modal windows a command opens: file and folder choosers, Options, Exif and About.
#pragma once

#include "OptionsForm.h"

class ViewerDialogs {
public:
    virtual ~ViewerDialogs() = default;

    // filter: description and pattern pairs, each NUL-terminated, ended by an empty string.
    // path holds 260 bytes and receives the choice on OK.
    virtual bool AskOpenFile(const char* filter, const char* initialDir, char* path) = 0;
    // filterIndex receives the 0-based index of the chosen filter.
    virtual bool AskSaveFile(const char* filter, const char* initialDir, char* path, int& filterIndex) = 0;
    // The chosen folder with a trailing separator.
    virtual bool AskFolder(const char* initialDir, char* path) = 0;
    // 0 when the dialog could not be shown, else the button it ended with (1 OK, 2 Cancel); on
    // OK form holds what the user left.
    virtual int RunOptions(options::Form& form) = 0;
    // The Exif Information dialog for the image at path.
    virtual void ShowExif(const char* path) = 0;
    // The About window; returns when the user has closed it.
    virtual void ShowAbout() = 0;
};
