// What start-up learns about the installation and the settings, and the commands read later.
#pragma once

namespace install {

// The files of the install folder that the "InstallPath" setting names.
inline constexpr char kProgramFile[] = "vistrel";
inline constexpr char kHelpFile[] = "vistrel-help.html";

} // namespace install

struct AppContext {
    // The install folder with a trailing separator; empty when not installed.
    char installPath[260] = {};
    // The program and help files in the install folder; empty when the file is missing.
    char programPath[260] = {};
    char helpFilePath[260] = {};
    bool showMenuAndStatus = true;
    bool debugMode = false;
};
