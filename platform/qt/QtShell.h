// The shell on a Linux desktop: other programs through xdg-open, the user's editor and
// detached processes; the program's own editor and help windows.
#pragma once

#include "Shell.h"

#include <QList>
#include <QPointer>

class QWidget;

namespace platform {

class HelpWindow;

class QtShell : public Shell {
public:
    QtShell() = default;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;
    // Deletes the editor and help windows that are still open: destroy the shell before the
    // application object.
    ~QtShell() override;

    // xdg-open started in workingDirectory, so the document opens in the application the
    // desktop associates with it; without xdg-open the desktop's own service (working directory
    // not honoured). False when the file is missing or nothing could be started.
    bool OpenDocument(const char* path, const char* workingDirectory) override;
    // $VISUAL, else $EDITOR (each may carry options, e.g. "code --wait"). A program that needs a
    // terminal (vi, nano, emacs -nw …, see TerminalEditor) runs in x-terminal-emulator, since
    // this program has no terminal to lend it; without one that editor is passed over. False
    // when neither variable names an editor that could be started.
    bool EditTextFile(const char* path) override;
    // A TextEditorWindow; a file already open in one brings that window to the front instead.
    bool EditTextFileBuiltIn(const char* path) override;
    // argument reaches the program as one entry of its argv, with no shell in between. Enclosing
    // double quotes, which quote a path with spaces on a Windows-style command line, are removed.
    bool StartProgram(const char* program, const char* argument, const char* workingDirectory) override;
    // A HelpWindow at the page's table of contents; one window, reused.
    bool ShowHelp(const char* helpFile) override;

    bool CloseWindows() override;

private:
    void Keep(QWidget* window);

    QList<QPointer<QWidget>> m_windows;
    QPointer<HelpWindow> m_help;
};

// Whether an editor command ($VISUAL or $EDITOR split into words) runs only in a terminal.
bool TerminalEditor(const QStringList& command);

} // namespace platform
