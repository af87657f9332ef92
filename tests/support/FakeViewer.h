// The main window's surroundings for command tests: a menu bar that remembers which items are
// enabled, a shell that records what it was asked to start, and dialogs with scripted answers.
#pragma once

#include "MenuBar.h"
#include "Shell.h"
#include "ViewerDialogs.h"

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

class FakeMenuBar : public platform::MenuBar {
public:
    std::map<int, bool> enabled;

    void EnableItem(int command, bool enable) override { enabled[command] = enable; }
    // Items never touched count as enabled, as a new menu's items are.
    bool IsEnabled(int command) const
    {
        const auto item = enabled.find(command);
        return item == enabled.end() || item->second;
    }
};

class FakeShell : public platform::Shell {
public:
    struct Call {
        std::string what;
        std::string path;
        std::string argument;
        std::string workingDirectory;
    };
    std::vector<Call> calls;
    bool openSucceeds = true;
    bool editSucceeds = true;
    bool startSucceeds = true;
    bool helpSucceeds = true;
    // Whether CloseWindows lets the program go.
    bool windowsClose = true;

    bool OpenDocument(const char* path, const char* workingDirectory) override
    {
        calls.push_back({"open", path, "", workingDirectory});
        return openSucceeds;
    }
    bool EditTextFile(const char* path) override
    {
        calls.push_back({"edit", path, "", ""});
        return editSucceeds;
    }
    bool EditTextFileBuiltIn(const char* path) override
    {
        calls.push_back({"edit-built-in", path, "", ""});
        return true;
    }
    bool StartProgram(const char* program, const char* argument, const char* workingDirectory) override
    {
        calls.push_back({"start", program, argument, workingDirectory});
        return startSucceeds;
    }
    bool ShowHelp(const char* helpFile) override
    {
        calls.push_back({"help", helpFile, "", ""});
        return helpSucceeds;
    }
    bool CloseWindows() override
    {
        calls.push_back({"close-windows", "", "", ""});
        return windowsClose;
    }
};

class FakeViewerDialogs : public ViewerDialogs {
public:
    // Empty: the user cancels the dialog.
    std::string openPath;
    std::string savePath;
    int saveFilterIndex = 0;
    std::string folderPath;
    // What RunOptions returns; on 1 editOptions plays the user's changes first.
    int optionsResult = 2;
    std::function<void(options::Form&)> editOptions;

    // What the dialogs were opened with.
    std::vector<const char*> filters;
    std::vector<std::string> initialDirs;
    std::vector<options::Form> optionsShown;
    std::vector<std::string> exifPaths;
    int abouts = 0;

    bool AskOpenFile(const char* filter, const char* initialDir, char* path) override
    {
        return Answer(filter, initialDir, openPath, path);
    }
    bool AskSaveFile(const char* filter, const char* initialDir, char* path, int& filterIndex) override
    {
        if (!Answer(filter, initialDir, savePath, path)) return false;
        filterIndex = saveFilterIndex;
        return true;
    }
    bool AskFolder(const char* initialDir, char* path) override
    {
        return Answer(nullptr, initialDir, folderPath, path);
    }
    int RunOptions(options::Form& form) override
    {
        optionsShown.push_back(form);
        if (optionsResult == 1 && editOptions) editOptions(form);
        return optionsResult;
    }
    void ShowExif(const char* path) override { exifPaths.emplace_back(path); }
    void ShowAbout() override { ++abouts; }

private:
    bool Answer(const char* filter, const char* initialDir, const std::string& answer, char* path)
    {
        filters.push_back(filter);
        initialDirs.emplace_back(initialDir ? initialDir : "");
        if (answer.empty()) return false;
        std::snprintf(path, 260, "%s", answer.c_str());
        return true;
    }
};

} // namespace testsupport
