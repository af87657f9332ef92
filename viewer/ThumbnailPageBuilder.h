// Builds an HTML page of a directory's images: one JPEG thumbnail per image in a sub-folder,
// and a table of linked thumbnails with captions filled into an editable page template.
#pragma once

#include "ImageDocument.h"

#include <string>

namespace platform {
class Desktop;
}

class ThumbnailPageBuilder {
public:
    static constexpr const char* kThumbFolder = "thumbs_vistrel";
    static constexpr const char* kPageName = "thumbnails.html";
    static constexpr const char* kTemplateName = "template.html";

    explicit ThumbnailPageBuilder(platform::Desktop& desktop);
    ThumbnailPageBuilder(const ThumbnailPageBuilder&) = delete;
    ThumbnailPageBuilder& operator=(const ThumbnailPageBuilder&) = delete;
    virtual ~ThumbnailPageBuilder();

    // Reads the thumbnail settings and the template of the install folder, else the built-in one.
    bool LoadTemplate();
    // True when the page exists after writing.
    bool Build(const char* directory);
    // Writes the built-in template into the install folder.
    bool RestoreTemplate();
    bool SetThumbnailSettings(int width, int height, int columns);

    // The built-in template as the program carries it, with its one "%s" for the title.
    static const char* BuiltInTemplate();

    const std::string& GetTemplateText() const { return m_templateText; }
    const std::string& GetTemplatePath() const { return m_templatePath; }
    bool IsTemplateLoaded() const { return m_templateLoaded; }
    bool TemplateFileExists() const { return m_templateFileExists; }
    int GetThumbWidth() const { return m_thumbWidth; }
    int GetThumbHeight() const { return m_thumbHeight; }
    int GetThumbColumns() const { return m_thumbColumns; }

private:
    void UseBuiltInTemplate();
    std::string BuildTable(const std::string& directory, int& count);

    platform::Desktop& m_desktop;
    std::string m_templateText;
    std::string m_templatePath;
    bool m_templateLoaded = false;
    bool m_templateFileExists = false;
    int m_thumbWidth = 120;
    int m_thumbHeight = 120;
    int m_thumbColumns = 6;
    ImageDocument m_document;
};
