// Builds the HTML thumbnail page of a directory: a JPEG thumbnail of every image in the folder
// "thumbs_vistrel" and the page "thumbnails.html" made from a template with placeholders.
#pragma once

#include "Kzutil.h"
#include "ThumbnailFolder.h"

#include <string>
#include <vector>

namespace platform {
class Desktop;
}

class ThumbnailPageBuilder {
public:
    static constexpr const char* kThumbFolder = "thumbs_vistrel";
    static constexpr const char* kPageName = "thumbnails.html";
    // The page template's file name in the install folder.
    static constexpr const char* kTemplateName = "template.html";

    // desktop shows the wait cursor during a build.
    explicit ThumbnailPageBuilder(platform::Desktop& desktop);
    ThumbnailPageBuilder(const ThumbnailPageBuilder&) = delete;
    ThumbnailPageBuilder& operator=(const ThumbnailPageBuilder&) = delete;
    virtual ~ThumbnailPageBuilder();

    // Reads the thumbnail settings and the template file; the built-in template stands in for
    // a missing or empty file, so a template is always available.
    bool LoadTemplate();
    // Writes the thumbnails and the page; true when the page was written.
    bool Build(const char* directory);
    // Why the last build could not write its folder or page (the path and the system's
    // reason); empty when it did, or when there was nothing to write.
    const std::string& GetFailure() const { return m_failure; }
    // Called during a build, on the building thread, with the number of images done and listed.
    void SetProgress(ThumbnailFolder::Progress progress) { m_progress = std::move(progress); }
    // Threads that make thumbnails; 0 (the default) uses every processor.
    void SetThreadCount(int threads) { m_threadCount = threads; }
    // The thumbnails the last build made, kept and failed to make, with the reasons.
    const ThumbnailFolder::Summary& GetSummary() const { return m_summary; }
    // Writes the built-in template to the template file.
    bool RestoreTemplate();
    // Values below 1 are refused; accepted values are also stored as settings.
    bool SetThumbnailSettings(int width, int height, int columns);

    const char* GetTemplateText() const { return m_templateText; }
    const char* GetTemplatePath() const { return m_templatePath; }
    bool IsTemplateLoaded() const { return m_templateLoaded; }
    bool TemplateFileExists() const { return m_templateFileExists; }
    int GetThumbWidth() const { return m_thumbWidth; }
    int GetThumbHeight() const { return m_thumbHeight; }
    int GetThumbColumns() const { return m_thumbColumns; }

    // The template the program carries, with "%s" where the page title goes.
    static const char* BuiltInTemplate();

    // One listed image: its file name and, when it could be decoded, its thumbnail's path
    // relative to the page (empty when it could not).
    struct Entry {
        std::string fileName;
        std::string thumbnail;
    };
    // Rows of up to columns image cells, each followed by the row of their captions; entries
    // without a thumbnail get no cells.
    static std::string BuildTable(const std::vector<Entry>& entries, int columns);

    struct PageValues {
        std::string directory; // full path without a trailing separator
        int imageCount = 0;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        std::string table;
    };
    // Replaces every placeholder in one pass over the page; returns how many "[THUMBNAILS]" were
    // replaced.
    static int FillPlaceholders(CKzString& page, const PageValues& values);
    // The last component of a directory path, or the whole path when it has no separator
    // after its first character.
    static std::string DirectoryName(const std::string& directory);

private:
    void UseBuiltInTemplate();
    bool BuildPage(const char* directory);
    // Records what could not be written and why (errno); returns false.
    bool Fail(const char* what, const std::string& path);
    ThumbnailSettings ThumbnailSettingsNow() const;
    // Brings the thumbnail of every listed image up to date; returns the table entries.
    std::vector<Entry> MakeThumbnails(const CKzDirList& list);

    platform::Desktop& m_desktop;
    CKzString m_templateText;
    char m_templatePath[260] = {};
    bool m_templateLoaded = false;
    bool m_templateFileExists = false;
    int m_thumbWidth = 120;
    int m_thumbHeight = 120;
    int m_thumbColumns = 6;
    std::string m_failure;
    ThumbnailFolder::Progress m_progress;
    int m_threadCount = 0;
    ThumbnailFolder::Summary m_summary;
};
