#include "QtViewerDialogs.h"

#include "ExifDialog.h"
#include "Kzutil.h"
#include "OptionsDialog.h"
#include "SplashWindow.h"

namespace qtui {

namespace {

// The About window stays until the user closes it.
constexpr int kAboutTimeout = 0;

CKzDialogs FileDialogs(QWidget* owner, const char* filter, const char* initialDir)
{
    CKzDialogs dialogs(owner);
    if (filter) dialogs.SetFileMask(filter);
    if (initialDir && *initialDir) dialogs.SetInitialDir(initialDir);
    return dialogs;
}

} // namespace

bool QtViewerDialogs::AskOpenFile(const char* filter, const char* initialDir, char* path)
{
    return FileDialogs(owner, filter, initialDir).BrowseForFileOpen(path);
}

bool QtViewerDialogs::AskSaveFile(const char* filter, const char* initialDir, char* path, int& filterIndex)
{
    CKzDialogs dialogs = FileDialogs(owner, filter, initialDir);
    if (!dialogs.BrowseForFileSaveAs(path)) return false;
    filterIndex = dialogs.GetFilterIndex();
    return true;
}

bool QtViewerDialogs::AskFolder(const char* initialDir, char* path)
{
    return FileDialogs(owner, nullptr, initialDir).BrowseForDir(path);
}

int QtViewerDialogs::RunOptions(options::Form& form)
{
    return RunOptionsDialog(owner, form);
}

void QtViewerDialogs::ShowExif(const char* path)
{
    RunExifDialog(owner, path ? path : "");
}

void QtViewerDialogs::ShowAbout()
{
    ShowProgramSplash(kAboutTimeout);
}

} // namespace qtui
