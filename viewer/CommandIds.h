// The main window's command identifiers, its menu and its accelerator table. Menu items and keys
// that do the same thing carry different identifiers, because some refresh differently.
#pragma once

#include <span>

namespace command {

enum Id : int {
    Exit = 40001,
    Open = 40002,
    NextMenu = 40003,
    BrowseFolder = 40004,
    SaveAs = 40005,
    HelpTopics = 40006,
    About = 40007,
    PreviousMenu = 40008,
    FirstMenu = 40009,
    LastMenu = 40010,
    Copy = 40013,
    ThumbnailPage = 40014,
    EditTemplate = 40015,
    Options = 40016,
    RestoreTemplate = 40017,
    RefreshMenu = 40018,
    NextSpace = 40019,
    NextPageDown = 40020,
    PreviousPageUp = 40021,
    PreviousBackspace = 40022,
    FirstKey = 40023,
    LastKey = 40024,
    DirectoryUp = 40025,
    DirectoryDown = 40026,
    DirectoryLeft = 40027,
    DirectoryRight = 40028,
    NewInstance = 40029,
    ExitKey = 40030,
    RefreshKey = 40031,
    ExifInformation = 40033,
    ExifKey = 40036,
    HelpKey = 40037,
    OpenKey = 40038,
    AboutKey = 40039,
    BrowseFolderKey = 40040,
    SaveAsKey = 40041,
    ThumbnailPageKey = 40042,
    CopyKey = 40043,
    RestoreTemplateKey = 40044,
    EditTemplateKey = 40045,
    OptionsKey = 40046,
};

// One line of a drop-down menu; a null text is a separator. The text carries its '&' mnemonic
// and, after a tab, the key that does the same.
struct MenuItem {
    const char* text;
    int command;
};

struct Menu {
    const char* title;
    std::span<const MenuItem> items;
};

std::span<const Menu> MainMenu();

// A key of the accelerator table, written so that a toolkit's key-sequence parser reads it
// ("Ctrl+C", "PgDown", "Esc", "F1", "Space" ...).
struct Accelerator {
    const char* key;
    int command;
};

std::span<const Accelerator> Accelerators();

} // namespace command
