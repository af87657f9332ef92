#include "CommandIds.h"

namespace command {
namespace {

constexpr MenuItem kFile[] = {
    {"&Open...\tO", Open},
    {"&Save As...\tS", SaveAs},
    {"&Browse New Folder...\tB", BrowseFolder},
    {"&Create Thumbnail Page...\tT", ThumbnailPage},
    {nullptr, 0},
    {"E&xit\tEsc", Exit},
};
constexpr MenuItem kEdit[] = {
    {"&Copy\tCtrl+C", Copy},
};
constexpr MenuItem kView[] = {
    {"&Next File in Directory\tPgDn", NextMenu},
    {"&Previous File in Directory\tPgUp", PreviousMenu},
    {"&First File in Directory\tHome", FirstMenu},
    {"&Last File in Directory\tEnd", LastMenu},
    {nullptr, 0},
    {"&View Exif Information...\tI", ExifInformation},
    {nullptr, 0},
    {"&Refresh\tF5", RefreshMenu},
};
constexpr MenuItem kTools[] = {
    {"&Edit Template of Thumbnail Pages...\tF2", EditTemplate},
    {"&Restore Original Thumbnail Template\tF3", RestoreTemplate},
    {nullptr, 0},
    {"&Options...\tF4", Options},
};
constexpr MenuItem kHelp[] = {
    {"&Help Topics\tF1", HelpTopics},
    {nullptr, 0},
    {"&About...\tA", About},
};

constexpr Menu kMenus[] = {
    {"&File", kFile}, {"&Edit", kEdit}, {"&View", kView}, {"&Tools", kTools}, {"&Help", kHelp},
};

constexpr Accelerator kAccelerators[] = {
    {"A", AboutKey},
    {"B", BrowseFolderKey},
    {"Ctrl+C", CopyKey},
    {"I", ExifKey},
    {"N", NewInstance},
    {"O", OpenKey},
    {"S", SaveAsKey},
    {"T", ThumbnailPageKey},
    {"Backspace", PreviousBackspace},
    {"Down", DirectoryDown},
    {"End", LastKey},
    {"Esc", ExitKey},
    {"F1", HelpKey},
    {"F2", EditTemplateKey},
    {"F3", RestoreTemplateKey},
    {"F4", OptionsKey},
    {"F5", RefreshKey},
    {"Home", FirstKey},
    {"Left", DirectoryLeft},
    {"PgDown", NextPageDown},
    {"PgUp", PreviousPageUp},
    {"Right", DirectoryRight},
    {"Space", NextSpace},
    {"Up", DirectoryUp},
};

} // namespace

std::span<const Menu> MainMenu() { return kMenus; }

std::span<const Accelerator> Accelerators() { return kAccelerators; }

} // namespace command
