#include "ProgramOptions.h"

#include "Kzutil.h"
#include "StartUp.h"

namespace {

const char kUsage[] = "usage: vistrel [FILE | FOLDER]\n"
                      "       vistrel /t FOLDER\n"
                      "       vistrel --help | --version\n";

const char kHelp[] = "\n"
                     "Shows the images of a folder one at a time in a window fitted to the image: FILE\n"
                     "and the other images of its folder, or the first image of FOLDER.\n"
                     "\n"
                     "  /t FOLDER   build the folder's thumbnail page thumbnails.html (thumbnails in\n"
                     "              thumbs_vistrel/) and exit without a window; /T works too, and so\n"
                     "              does /t anywhere on the line. Exit status 1 when the page was\n"
                     "              built, 0 when the folder is missing or holds no image.\n"
                     "  --help      show this help and exit\n"
                     "  --version   show the versions of the program and of libKzutil, the system and\n"
                     "              the display (what a bug report needs) and exit\n"
                     "\n"
                     "Keys, menus and settings are described in the help page (F1) and in vistrel(1).\n";

// The system and display facts that a bug report needs.
void PrintSystem(std::FILE* out)
{
    const char* distribution = CKzOsInfo::GetOsAdditionalInfo();
    std::fprintf(out, "System: %s%s%s\n", CKzOsInfo::GetOsPlatform(), *distribution ? ", " : "", distribution);
    const int width = CKzOsInfo::GetDisplayResolutionWidth();
    if (width <= 0) {
        std::fputs("Display: none\n", out);
        return;
    }
    std::fprintf(out, "Display: %d x %d, %d bits per pixel", width, CKzOsInfo::GetDisplayResolutionHeight(),
                 CKzOsInfo::GetDisplayBpp());
    const int hertz = CKzOsInfo::GetDisplayRefreshFrequency();
    if (hertz > 0) std::fprintf(out, ", %d Hz", hertz);
    std::fputs("\n", out);
}

} // namespace

std::optional<int> RunProgramOptions(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    if (arguments.empty() || !arguments[0].starts_with("--") || FindThumbnailDirectory(arguments)) return {};
    const std::string& option = arguments[0];
    if (option == "--help") {
        std::fputs(kUsage, out);
        std::fputs(kHelp, out);
        return 0;
    }
    if (option == "--version") {
        std::fprintf(out, "vistrel (Vistrel) %s\nlibKzutil %s\n", VISTREL_VERSION, KzutilVersion());
        PrintSystem(out);
        return 0;
    }
    std::fprintf(err, "vistrel: unknown option '%s'\n", option.c_str());
    std::fputs(kUsage, err);
    return 2;
}
