// What the viewer asks of the desktop beyond its own windows: other programs and the help.
#pragma once

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;

    // Opens a document with the desktop's default application for its type.
    virtual bool OpenDocument(const char* path, const char* workingDirectory) = 0;
    // Opens a text file in the user's editor; false when none could be started.
    virtual bool EditTextFile(const char* path) = 0;
    // Opens a text file in the program's own plain-text editor window.
    virtual bool EditTextFileBuiltIn(const char* path) = 0;
    // Starts program with one argument, independent of this process.
    virtual bool StartProgram(const char* program, const char* argument, const char* workingDirectory) = 0;
    // Shows the help file's table of contents; false when it cannot be shown.
    virtual bool ShowHelp(const char* helpFile) = 0;
    // Closes the windows the shell opened (editor, help), letting an editor ask about unsaved
    // changes; false when the user keeps one open. They end with the program otherwise.
    virtual bool CloseWindows() = 0;
};

} // namespace platform
