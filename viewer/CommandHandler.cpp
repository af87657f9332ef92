#include "CommandHandler.h"

#include "AbsolutePath.h"
#include "Clipboard.h"
#include "CommandIds.h"
#include "ImageBrowser.h"
#include "Kzutil.h"
#include "MenuBar.h"
#include "Messages.h"
#include "OptionsStore.h"
#include "Shell.h"
#include "ThumbnailPageBuilder.h"
#include "TitleAndStatus.h"
#include "ViewerDialogs.h"
#include "ViewerSettings.h"
#include "WaitCursor.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

// The Save As list is the Open list without "All Image Files", so a chosen index is a SaveType.
#define VISTREL_SAVE_FILTERS                                                                              \
    "Windows or OS/2 Bitmap (*.bmp; *.dib)\0*.bmp;*.dib\0"                                                \
    "CompuServe Graphics Interchange (*.gif)\0*.gif\0"                                                    \
    "Joint Photographic Experts Group (*.jpg; *.jif; *.jpeg)\0*.jpg;*jif;*.jpeg\0"                        \
    "ZSoft Paintbrush (*.pcx)\0*.pcx\0"                                                                   \
    "Portable Network Graphics (*.png)\0*.png\0"                                                          \
    "Truevision TARGA (*.tga)\0*.tga\0"                                                                   \
    "Tagged Image File Format (*.tif; *.tiff)\0*.tif;*.tiff\0"

// "All Image Files" holds every extension the browser lists.
const char kOpenFilter[] = "All Image Files\0*.bmp;*.dib;*.gif;*.jpg;*jif;*.jpeg;*.pcx;*.png;*.tga;*.tif;*.tiff;"
                           "*.jpe;*.jfif;*.ico;*.cur;*.wbmp;*.wmf;*.emf\0"
    VISTREL_SAVE_FILTERS;
const char kSaveFilter[] = VISTREL_SAVE_FILTERS;

#undef VISTREL_SAVE_FILTERS

namespace {

constexpr char kPageFailed[] = "Could not create a HTML thumbnail page.";
constexpr char kInstanceFailed[] = "Could not load the image '%s'.";
constexpr char kOpenFailed[] = "Could not open the image '%s'.";
constexpr char kSaveFailed[] = "Could not save the image '%s'.\n%s";
constexpr char kReplaceQuestion[] = "%s already exists.\nDo you want to replace it?";
constexpr char kRestoreQuestion[] = "Are you sure you want to restore the original thumbnail template file?\n"
                                    "This will undo all your modifications to this file.";

// The status bar part that names the shown folder.
constexpr int kDirectoryPart = 3;

// What follows a command.
enum After : unsigned { kNothing = 0, kTitle = 1, kRepaint = 2, kMenu = 4 };

// The keys that move in the list also repaint; their menu items do not.
constexpr int kRepaintingKeys[] = {
    command::NextSpace, command::NextPageDown, command::PreviousPageUp, command::PreviousBackspace,
    command::FirstKey,  command::LastKey,      command::RefreshKey,
};

std::string WithSeparator(const char* directory)
{
    std::string text = directory;
    if (!text.empty() && text.back() != '/' && text.back() != '\\') text += '/';
    return text;
}

platform::MessageAnswer Tell(CommandContext& c, const platform::Window* owner, const std::string& text,
                             platform::MessageIcon icon,
                             platform::MessageButtons buttons = platform::MessageButtons::Ok)
{
    return c.desktop.ShowMessage(owner, settings::kAppName, text.c_str(), icon, buttons);
}

std::string Format(const char* format, const char* first, const char* second = "")
{
    const int length = std::snprintf(nullptr, 0, format, first, second);
    std::string text(std::size_t(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, first, second);
    return text;
}

void NotInstalled(CommandContext& c, const platform::Window* owner)
{
    Tell(c, owner, Format(messages::kNotInstalled, settings::kAppName, settings::kAppName),
         platform::MessageIcon::Warning);
}

void RefreshTitle(CommandContext& c) { UpdateTitleAndStatus(c.browser, c.window, c.statusBar); }

void OpenFile(CommandContext& c)
{
    char path[260] = {};
    if (!c.dialogs.AskOpenFile(kOpenFilter, c.browser.GetDirectory(), path)) return;
    const std::string file = AbsolutePath(path);
    bool loaded = false;
    {
        WaitCursor wait(c.desktop);
        loaded = c.browser.LoadFile(file.c_str());
    }
    RefreshTitle(c);
    if (!loaded) Tell(c, &c.window, Format(kOpenFailed, file.c_str()), platform::MessageIcon::Warning);
}

void BrowseFolder(CommandContext& c)
{
    char path[260] = {};
    if (!c.dialogs.AskFolder(c.browser.GetDirectory(), path)) return;
    {
        WaitCursor wait(c.desktop);
        c.browser.LoadDirectory(AbsolutePath(path).c_str(), true);
    }
    RefreshTitle(c);
}

void SaveAs(CommandContext& c)
{
    char path[260] = {};
    int filterIndex = 0;
    if (!c.dialogs.AskSaveFile(kSaveFilter, c.browser.GetDirectory(), path, filterIndex)) return;
    // The dialog asked about the name as typed; the type may add an extension that names
    // another file, which must not be replaced unasked.
    const std::string written = ImageDocument::SaveTarget(path, filterIndex);
    if (!written.empty() && written != path && CKzFile::FileExists(written.c_str()) &&
        Tell(c, &c.window, Format(kReplaceQuestion, written.c_str()), platform::MessageIcon::Warning,
             platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes)
        return;
    bool saved = false;
    {
        WaitCursor wait(c.desktop);
        saved = c.browser.SaveAs(path, filterIndex);
        c.browser.Refresh();
    }
    // A file saved into the shown directory changes the count in the status bar.
    RefreshTitle(c);
    if (saved) return;
    const ImageDocument& document = c.browser.GetDocument();
    const char* target = *document.GetSaveTarget() ? document.GetSaveTarget() : path;
    Tell(c, &c.window, Format(kSaveFailed, target, document.GetSaveError()), platform::MessageIcon::Error);
}

void ThumbnailPage(CommandContext& c)
{
    c.builder.LoadTemplate();
    const std::string directory = c.browser.GetDirectory();
    // The count stands where the folder is named (the title brings the folder back) and the
    // window keeps painting while it waits.
    c.builder.SetProgress([&c](int done, int total) {
        const std::string text = "Thumbnails " + std::to_string(done) + " of " + std::to_string(total);
        if (c.statusBar) c.statusBar->SetText(kDirectoryPart, text.c_str());
        c.desktop.ProcessPendingEvents();
    });
    const bool built = c.builder.Build(directory.c_str());
    c.builder.SetProgress(nullptr);
    if (built) {
        const std::string page = WithSeparator(directory.c_str()) + ThumbnailPageBuilder::kPageName;
        c.shell.OpenDocument(page.c_str(), directory.c_str());
    } else {
        Tell(c, &c.window, kPageFailed, platform::MessageIcon::Error);
    }
}

void ShowExif(CommandContext& c)
{
    if (!c.browser.HasCurrentImage()) return;
    const std::string path = c.browser.GetCurrentPath();
    if (CKzExifFile::IsExifFile(path.c_str())) c.dialogs.ShowExif(path.c_str());
}

// Walks from the shown directory; when that is gone (or nothing is listed yet) from wherever the
// process's current directory is.
void WalkDirectory(CommandContext& c, bool (*move)(), bool (*otherEnd)())
{
    CKzDir::SetDirectory(c.browser.GetDirectory());
    if (!move() && !(otherEnd && otherEnd())) return;
    const std::string directory = CKzDir::GetDirectory();
    if (directory.empty()) return;
    c.browser.LoadDirectory(directory.c_str(), true);
    RefreshTitle(c);
}

void NewInstance(CommandContext& c)
{
    const std::string argument = "\"" + WithSeparator(c.browser.GetDirectory()) + c.browser.GetFileName() + "\"";
    if (!*c.app.programPath || !CKzFile::FileExists(c.app.programPath)) return;
    if (!c.shell.StartProgram(c.app.programPath, argument.c_str(), c.browser.GetDirectory()))
        Tell(c, &c.window, Format(kInstanceFailed, argument.c_str()), platform::MessageIcon::Warning);
}

void EditTemplate(CommandContext& c)
{
    const char* path = c.builder.GetTemplatePath();
    if (!c.builder.TemplateFileExists() || !*path || !CKzFile::FileExists(path)) return;
    if (!c.shell.EditTextFile(path)) c.shell.EditTextFileBuiltIn(path);
}

void RestoreTemplate(CommandContext& c)
{
    const platform::MessageAnswer answer =
        Tell(c, &c.window, kRestoreQuestion, platform::MessageIcon::Warning, platform::MessageButtons::YesNo);
    if (answer == platform::MessageAnswer::Yes) c.builder.RestoreTemplate();
}

void RunOptions(CommandContext& c)
{
    const options::StoredFlags stored = options::ReadStoredFlags();
    const options::Thumbnails thumbnails = options::ThumbnailsOf(c.builder);
    options::Form form = options::Initial(stored, thumbnails);
    const int result = c.dialogs.RunOptions(form);
    if (result == 0) {
        NotInstalled(c, &c.window);
        return;
    }
    if (result != 1) return;
    const options::Outcome outcome =
        options::Accept(form, thumbnails, stored.storeExists, options::FlagsOf(c.browser));
    options::Store(outcome);
    WaitCursor wait(c.desktop);
    options::Apply(outcome, c.builder, c.browser);
}

void ShowHelp(CommandContext& c)
{
    if (!c.shell.ShowHelp(c.app.helpFilePath)) NotInstalled(c, nullptr);
}

} // namespace

CommandHandler::CommandHandler(const CommandContext& context) : m_context(context) {}

bool CommandHandler::Execute(int id)
{
    CommandContext& c = m_context;
    ImageBrowser& browser = c.browser;
    unsigned after = kMenu;
    switch (id) {
    case command::Exit:
    case command::ExitKey:
        Quit();
        return true;
    case command::Open:
    case command::OpenKey:
        OpenFile(c);
        break;
    case command::BrowseFolder:
    case command::BrowseFolderKey:
        BrowseFolder(c);
        break;
    case command::SaveAs:
    case command::SaveAsKey:
        SaveAs(c);
        break;
    case command::Copy:
    case command::CopyKey:
        browser.CopyToClipboard(c.clipboard);
        after = kNothing;
        break;
    case command::NextMenu:
    case command::NextSpace:
    case command::NextPageDown:
        browser.Next();
        after = kTitle | kMenu;
        break;
    case command::PreviousMenu:
    case command::PreviousPageUp:
    case command::PreviousBackspace:
        browser.Previous();
        after = kTitle | kMenu;
        break;
    case command::FirstMenu:
    case command::FirstKey:
        browser.First();
        after = kTitle | kMenu;
        break;
    case command::LastMenu:
    case command::LastKey:
        browser.Last();
        after = kTitle | kMenu;
        break;
    case command::RefreshMenu:
    case command::RefreshKey:
        browser.Refresh();
        after = kTitle | kMenu;
        break;
    case command::ThumbnailPage:
    case command::ThumbnailPageKey:
        ThumbnailPage(c);
        after = kTitle;
        break;
    case command::ExifInformation:
    case command::ExifKey:
        ShowExif(c);
        break;
    case command::DirectoryUp:
        WalkDirectory(c, &CKzDir::Previous, &CKzDir::Last);
        after = kRepaint | kMenu;
        break;
    case command::DirectoryDown:
        WalkDirectory(c, &CKzDir::Next, &CKzDir::First);
        after = kRepaint | kMenu;
        break;
    case command::DirectoryLeft:
        WalkDirectory(c, &CKzDir::Parent, nullptr);
        after = kRepaint | kMenu;
        break;
    case command::DirectoryRight:
        WalkDirectory(c, &CKzDir::Child, nullptr);
        after = kRepaint | kMenu;
        break;
    case command::NewInstance:
        NewInstance(c);
        break;
    case command::EditTemplate:
    case command::EditTemplateKey:
        EditTemplate(c);
        break;
    case command::RestoreTemplate:
    case command::RestoreTemplateKey:
        RestoreTemplate(c);
        break;
    case command::Options:
    case command::OptionsKey:
        RunOptions(c);
        after = kTitle | kMenu;
        break;
    case command::HelpTopics:
    case command::HelpKey:
        ShowHelp(c);
        break;
    case command::About:
    case command::AboutKey:
        c.dialogs.ShowAbout();
        break;
    default:
        return false;
    }
    if (std::ranges::find(kRepaintingKeys, id) != std::end(kRepaintingKeys)) after |= kRepaint;
    if (after & kTitle) RefreshTitle(c);
    if (after & kRepaint) c.window.RequestRepaint();
    if (after & kMenu) UpdateMenuState(c.menuBar, browser, c.builder, c.app);
    return true;
}

void CommandHandler::Quit()
{
    // The program's own editor window ends with the program: it asks about unsaved changes first.
    if (!m_context.shell.CloseWindows()) return;
    SaveWindowSettings();
    m_context.window.Quit();
}

void CommandHandler::SaveWindowSettings()
{
    const ViewerSettings store;
    if (store.IsInstalled()) {
        const platform::WindowRect rect = m_context.window.GetRestoredRect();
        store.Write(settings::WindowPosX, rect.left);
        store.Write(settings::WindowPosY, rect.top);
    }
    // Without a store this write fails like every other; it is tried all the same.
    store.Write(settings::ShowMenuAndStatusToolbar, m_context.app.showMenuAndStatus ? 1 : 0);
}
