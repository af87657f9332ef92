#include "StartUp.h"

#include "AbsolutePath.h"
#include "CommandHandler.h"
#include "Desktop.h"
#include "ImageBrowser.h"
#include "Kzutil.h"
#include "Messages.h"
#include "ThumbnailPageBuilder.h"
#include "TitleAndStatus.h"
#include "ViewerSettings.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

constexpr char kNoTemplate[] = "Could not find the template file for creating HTML thumbnail pages.\n"
                               "%s will now use its build in HTML template. Please reinstall %s.";

class StartUp {
public:
    StartUp(const std::vector<std::string>& arguments, StartUpHost& host, ImageBrowser& browser,
            ThumbnailPageBuilder& builder)
        : m_arguments(arguments), m_host(host), m_desktop(host.GetDesktop()), m_browser(browser), m_builder(builder)
    {
    }

    int Run();

private:
    void ReadSettings();
    // Fills a path of the install folder; empty when it does not fit or the file is missing.
    void SetInstallFile(char (&path)[260], const char* name) const;
    void Warn(const char* format, platform::MessageIcon icon = platform::MessageIcon::Warning) const;
    void Debug(const std::string& text) const;
    int RunThumbnailMode(const std::string& directory);
    // The counts of the last build and every file that failed, on standard error.
    void ReportSummary() const;
    int RunWindowMode();
    void LoadArgument(const char* path);

    const std::vector<std::string>& m_arguments;
    StartUpHost& m_host;
    platform::Desktop& m_desktop;
    ImageBrowser& m_browser;
    ThumbnailPageBuilder& m_builder;
    ViewerSettings m_settings;
    AppContext m_app;
};

int StartUp::Run()
{
    if (m_settings.IsInstalled()) {
        int hide = 0;
        if (!m_settings.Read(settings::HideSplashScreen, hide) || hide != 1) m_host.ShowSplash();
        ReadSettings();
    }
    if (m_app.debugMode)
        for (std::size_t i = 0; i < m_arguments.size(); ++i)
            Debug("Argument " + std::to_string(i) + " = " + m_arguments[i]);

    if (!m_app.programPath[0]) {
        Warn(messages::kNotInstalled);
        return 0;
    }
    if (!m_app.helpFilePath[0]) Warn(messages::kNotInstalled);

    m_builder.LoadTemplate();
    if (!m_builder.TemplateFileExists() && !m_builder.RestoreTemplate()) Warn(kNoTemplate);

    if (const std::string* directory = FindThumbnailDirectory(m_arguments)) return RunThumbnailMode(*directory);
    return RunWindowMode();
}

void StartUp::ReadSettings()
{
    char installPath[260] = {};
    // One byte stays free for the separator the folder may lack.
    if (m_settings.Read(settings::InstallPath, installPath, sizeof installPath - 1) && installPath[0] &&
        CKzFilename::IncludeTrailingBackslash(installPath)) {
        std::strcpy(m_app.installPath, installPath);
        SetInstallFile(m_app.programPath, install::kProgramFile);
        SetInstallFile(m_app.helpFilePath, install::kHelpFile);
    }
    int value = 0;
    if (m_settings.Read(settings::ShowMenuAndStatusToolbar, value)) m_app.showMenuAndStatus = value != 0;
    if (m_settings.Read(settings::Debug, value)) m_app.debugMode = value != 0;
}

void StartUp::SetInstallFile(char (&path)[260], const char* name) const
{
    const int length = std::snprintf(path, sizeof path, "%s%s", m_app.installPath, name);
    if (length < 0 || length >= static_cast<int>(sizeof path) || !CKzFile::FileExists(path)) path[0] = '\0';
}

void StartUp::Warn(const char* format, platform::MessageIcon icon) const
{
    CKzString text;
    text.Format(format, settings::kAppName, settings::kAppName);
    m_desktop.ShowMessage(nullptr, settings::kAppName, text.c_str(), icon, platform::MessageButtons::Ok);
}

void StartUp::Debug(const std::string& text) const
{
    if (m_app.debugMode)
        m_desktop.ShowMessage(nullptr, "DEBUG", text.c_str(), platform::MessageIcon::Information,
                              platform::MessageButtons::Ok);
}

int StartUp::RunThumbnailMode(const std::string& argument)
{
    const std::string directory = AbsolutePath(CKzFilename::GetLongPath(argument.c_str()));
    Debug("Thumbnail command line switch used.\nThumbnail directory = " + directory);
    if (!directory.empty() && CKzDir::IsDirectory(directory.c_str())) {
        const bool terminal = ::isatty(STDERR_FILENO) == 1;
        if (terminal)
            m_builder.SetProgress([](int done, int total) { std::fprintf(stderr, "\rThumbnails %d of %d", done, total); });
        const bool built = m_builder.Build(directory.c_str());
        // The progress line is cleared, so that the summary stands alone.
        if (terminal) std::fputs("\r\033[K", stderr);
        ReportSummary();
        if (built) {
            Debug("Finished creating thumbnails.");
            return 1;
        }
        // Started from a terminal or a script, the user learns why no page was written.
        if (!m_builder.GetFailure().empty()) std::fprintf(stderr, "vistrel: %s\n", m_builder.GetFailure().c_str());
    }
    Debug("Thumbnail directory doesn't exists.");
    return 0;
}

void StartUp::ReportSummary() const
{
    const ThumbnailFolder::Summary& summary = m_builder.GetSummary();
    std::fprintf(stderr, "Thumbnails: %d made, %d kept, %d failed\n", summary.made, summary.kept, summary.failed);
    for (const ThumbnailFolder::FailedFile& failure : summary.failures)
        std::fprintf(stderr, "%s: %s\n", failure.fileName.c_str(), failure.reason.c_str());
}

int StartUp::RunWindowMode()
{
    if (!m_host.CreateMainWindow(m_app, m_browser, m_builder)) return 0;
    platform::Window* window = m_host.GetMainWindow();
    platform::StatusBar* statusBar = m_host.GetStatusBar();
    if (!window) return 0;
    m_browser.SetWindows(window, statusBar);
    if (m_settings.IsInstalled()) {
        int value = 0;
        if (m_settings.Read(settings::SortImagesOnDate, value) && value == 1) m_browser.SetSortOnDate(true);
        if (m_settings.Read(settings::DrawBorder, value) && value == 1) m_browser.SetDrawBorder(true);
    }
    if (!m_arguments.empty()) LoadArgument(m_arguments[0].c_str());
    UpdateMenuState(m_host.GetMenuBar(), m_browser, m_builder, m_app);
    UpdateTitleAndStatus(m_browser, *window, statusBar);
    return m_host.RunEventLoop();
}

void StartUp::LoadArgument(const char* argument)
{
    const std::string path = AbsolutePath(CKzFilename::GetLongPath(argument));
    if (!path.empty() && CKzDir::IsDirectory(path.c_str())) {
        Debug("Load directory: " + path);
        if (!m_browser.LoadDirectory(path.c_str(), true)) Debug("Failed to load the specified directory.");
    } else {
        Debug("Load file: " + path);
        if (path.empty() || !m_browser.LoadFile(path.c_str())) Debug("Failed to load the specified file.");
    }
}

} // namespace

const std::string* FindThumbnailDirectory(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (strcasecmp(arguments[i].c_str(), "/t") == 0) return &arguments[i + 1];
    return nullptr;
}

int RunStartUp(const std::vector<std::string>& arguments, StartUpHost& host, ImageBrowser& browser,
               ThumbnailPageBuilder& builder)
{
    StartUp startUp(arguments, host, browser, builder);
    return startUp.Run();
}
