// A command handler wired to a browser on the fake window system, with a private settings
// store; the process's current directory is put back after each test.
#pragma once

#include "AppContext.h"
#include "BrowserFixture.h"
#include "CommandHandler.h"
#include "CommandIds.h"
#include "FakeViewer.h"
#include "Kzutil.h"
#include "ThumbnailPageBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class CommandTest : public BrowserTest {
protected:
    testsupport::TempDir store;
    ThumbnailPageBuilder builder{desktop};
    AppContext app;
    testsupport::FakeClipboard clipboard;
    testsupport::FakeShell shell;
    testsupport::FakeViewerDialogs dialogs;
    testsupport::FakeMenuBar menu;
    CommandHandler handler{{browser, builder, app, desktop, window, &statusBar, &menu, clipboard, shell, dialogs}};
    std::filesystem::path startDirectory = std::filesystem::current_path();

    void SetUp() override
    {
        BrowserTest::SetUp();
        setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1);
    }
    void TearDown() override
    {
        std::filesystem::current_path(startDirectory);
        unsetenv("KZUTIL_REGISTRY_DIR");
    }

    // Registers an install folder, which also creates the application's settings.
    static void Install(const std::string& folder)
    {
        ASSERT_TRUE(
            CKzRegistry::SetValueString("HKEY_CURRENT_USER", "Software\\Marvensk\\Vistrel", "InstallPath", folder.c_str()));
    }
    static int Stored(const char* name)
    {
        int value = -99;
        CKzAppSettings("Vistrel").GetValueInt(name, value);
        return value;
    }
    void Open(const std::string& name) { ASSERT_TRUE(browser.LoadFile(PathOf(name).c_str())); }
    const testsupport::ShownMessage* LastMessage() const
    {
        return desktop.messages.empty() ? nullptr : &desktop.messages.back();
    }
};
