#include "ThumbnailPageBuilder.h"

#include "HtmlText.h"
#include "ImageFileName.h"
#include "Kzutil.h"
#include "SettingsKeys.h"
#include "ViewerSettings.h"
#include "WaitCursor.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <unistd.h>

namespace {

constexpr const char* kBuiltInTemplate =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
    "<html>\n"
    "<head>\n"
    "\t<title>%s</title>\n"
    "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n"
    "<style>\n"
    "<!--\n"
    "body\n"
    "{\n"
    "\tfont-family: Verdana, Geneva, Arial, Helvetica, sans-serif;\n"
    "\tfont-size: 10pt;\n"
    "\tcolor: Black;\n"
    "\tbackground: White;\n"
    "\tmargin-left: 40px;\n"
    "\tmargin-right: 40px;\n"
    "\tmargin-top: 25px;\n"
    "}\n"
    "\n"
    "h1\n"
    "{\n"
    "\tfont-family: Verdana, Geneva, Arial, Helvetica, sans-serif;\n"
    "\tfont-size: 14pt;\n"
    "\tcolor: Black;\n"
    "\tbackground: #e0e0e0;\n"
    "\ttext-align: left;\n"
    "\tpadding: 12px 12px 12px 12px;\n"
    "}\n"
    "\n"
    "table.thumbnails\n"
    "{\n"
    "\tborder: hidden;\n"
    "}\n"
    "\n"
    "td.thumbimage\n"
    "{\n"
    "\tpadding: 0px;\n"
    "\ttext-align: center;\n"
    "\tvertical-align: bottom;\n"
    "}\n"
    "\n"
    "td.thumbtext\n"
    "{\n"
    "\tfont-family: Verdana, Arial, Helvetica, sans-serif;\n"
    "\tfont-size: 7pt;\n"
    "\tline-height: 12pt;\n"
    "\theight: 36px;\n"
    "\ttext-align: center;\n"
    "\tvertical-align: top;\n"
    "}\n"
    "-->\n"
    "</style>\n"
    "</head>\n"
    "\n"
    "<body>\n"
    "\n"
    "<h1>[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]</h1>\n"
    "\n"
    "[THUMBNAILS]\n"
    "\n"
    "</body>\n"
    "</html>";

constexpr const char* kDirectoryPlaceholder = "[THUMBNAIL_DIRECTORY]";
constexpr const char* kThumbnailsPlaceholder = "[THUMBNAILS]";
// Template files larger than this are not read; a page template is a few kilobytes.
constexpr std::uintmax_t kLongestTemplate = 16u << 20;

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || std::uintmax_t(size) > kLongestTemplate) return false;
    in.seekg(0);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    // The template is text: it ends at its first NUL.
    text.resize(std::strlen(text.c_str()));
    return true;
}

// Writes beside the target and renames over it, so that a failed write never destroys the
// file that was there. Any length, written as it is.
bool WriteWholeFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".writing";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(text.data(), std::streamsize(text.size())) || !out.flush()) {
            out.close();
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

// The directory's name: what follows its last separator, or the whole path when the only
// separator is its first character or there is none.
std::string DirectoryName(const std::string& path)
{
    const std::size_t last = path.find_last_of("/\\");
    if (last == std::string::npos || last == 0) return path;
    return path.substr(last + 1);
}

// One pass over the template, so that text put in (a directory called "[THUMBNAILS]") is
// never taken for a placeholder itself. Returns how often "[THUMBNAILS]" was replaced.
int FillPlaceholders(std::string& page, const std::pair<std::string, std::string> (&values)[11])
{
    std::string out;
    out.reserve(page.size());
    int thumbnails = 0;
    for (std::size_t i = 0; i < page.size();) {
        bool replaced = false;
        if (page[i] == '[') {
            for (const auto& [placeholder, value] : values) {
                if (page.compare(i, placeholder.size(), placeholder) == 0) {
                    out += value;
                    i += placeholder.size();
                    if (placeholder == kThumbnailsPlaceholder) ++thumbnails;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += page[i++];
    }
    page = std::move(out);
    return thumbnails;
}

// The thumbnail's name inside the folder: the image's file title with its own last extension
// replaced by ".jpg"; a name already given to an earlier image gets a number.
std::string ThumbnailName(const char* entry, std::set<std::string>& taken)
{
    std::string title = CKzFilename::GetFileTitle(entry);
    const std::size_t dot = title.rfind('.');
    if (dot != std::string::npos) title.resize(dot);
    std::string name = title + ".jpg";
    for (int n = 2; !taken.insert(name).second; ++n) name = title + "-" + std::to_string(n) + ".jpg";
    return name;
}

} // namespace

ThumbnailPageBuilder::ThumbnailPageBuilder(platform::Desktop& desktop) : m_desktop(desktop) {}

ThumbnailPageBuilder::~ThumbnailPageBuilder() = default;

const char* ThumbnailPageBuilder::BuiltInTemplate()
{
    return kBuiltInTemplate;
}

void ThumbnailPageBuilder::UseBuiltInTemplate()
{
    m_templateText = kBuiltInTemplate;
    m_templateText.replace(m_templateText.find("%s"), 2, kDirectoryPlaceholder);
    m_templateLoaded = true;
}

bool ThumbnailPageBuilder::LoadTemplate()
{
    m_templateLoaded = false;
    m_templateFileExists = false;
    m_templateText.clear();
    const ViewerSettings store;
    if (store.IsInstalled()) {
        char installPath[260] = {};
        if (store.Read(settings::InstallPath, installPath, sizeof installPath) && *installPath &&
            CKzFilename::IncludeTrailingBackslash(installPath)) {
            m_templatePath = std::string(installPath) + kTemplateName;
            if (m_templatePath.size() < sizeof installPath && CKzFile::FileExists(m_templatePath.c_str()) &&
                ReadWholeFile(m_templatePath, m_templateText)) {
                m_templateLoaded = true;
                m_templateFileExists = true;
            }
        }
        store.Read(settings::ThumbWidth, m_thumbWidth);
        store.Read(settings::ThumbHeight, m_thumbHeight);
        store.Read(settings::ThumbColumns, m_thumbColumns);
    }
    if (m_templateText.empty()) UseBuiltInTemplate();
    return m_templateLoaded;
}

bool ThumbnailPageBuilder::RestoreTemplate()
{
    if (!m_templateLoaded) return false;
    UseBuiltInTemplate();
    if (m_templatePath.empty() || !WriteWholeFile(m_templatePath, m_templateText)) return false;
    m_templateFileExists = CKzFile::FileExists(m_templatePath.c_str());
    return m_templateFileExists;
}

bool ThumbnailPageBuilder::SetThumbnailSettings(int width, int height, int columns)
{
    if (width < 1 || height < 1 || columns < 1) return false;
    m_thumbWidth = width;
    m_thumbHeight = height;
    m_thumbColumns = columns;
    const ViewerSettings store;
    store.Write(settings::ThumbWidth, width);
    store.Write(settings::ThumbHeight, height);
    store.Write(settings::ThumbColumns, columns);
    return true;
}

std::string ThumbnailPageBuilder::BuildTable(const std::string& base, int& count)
{
    CKzDirList list;
    count = list.Open(base.c_str(), IsImageFileName) ? list.GetFileCount() : 0;
    if (count <= 0) {
        count = 0;
        return {};
    }
    list.Sort(SortByName, nullptr);
    std::string table = "<table class=\"thumbnails\" width=\"100%\">\n<tr>\n";
    std::string captions;
    std::set<std::string> taken;
    for (int i = 0; i < count; ++i) {
        if (i % m_thumbColumns == 0 && !captions.empty()) {
            table += "</tr>\n<tr>\n" + captions + "</tr>\n<tr>\n";
            captions.clear();
        }
        const std::string entry = list.GetFileName(i);
        if (!m_document.Load(entry.c_str())) continue;
        const std::string thumbnail = std::string(kThumbFolder) + "/" + ThumbnailName(entry.c_str(), taken);
        m_document.FitInto(m_thumbWidth, m_thumbHeight, true);
        m_document.SaveAs((base + thumbnail).c_str(), SaveJpg);
        const std::string name = CKzFilename::GetFileName(entry.c_str());
        table += "\t<td class=\"thumbimage\"><a href=\"" + html::EncodeLink(name) + "\"><img src=\"" +
                 html::EncodeLink(thumbnail) + "\" alt=\"" + html::Escape(name) + "\" border=\"0\"></a></td>\n";
        captions += "\t<td class=\"thumbtext\">" + html::Escape(name) + "</td>\n";
    }
    table += "</tr>\n<tr>\n" + captions + "</tr>\n</table>";
    return table;
}

bool ThumbnailPageBuilder::Build(const char* directory)
{
    WaitCursor wait(m_desktop);
    if (!m_templateLoaded || !directory || !*directory) return false;
    std::string path = directory;
    if (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    if (path.size() >= 260 || !CKzDir::IsDirectory(path.c_str())) return false;

    CKzDir::SetDirectory(path.c_str());
    const std::string base = IsSeparator(path.back()) ? path : path + "/";
    const std::string thumbs = base + kThumbFolder;
    CKzDir::CreateDirectoryA(thumbs.c_str());
    if (!CKzDir::IsDirectory(thumbs.c_str())) return false;

    int count = 0;
    const std::string table = BuildTable(base, count);
    bool result = false;
    if (count > 0) {
        const std::string name = DirectoryName(path);
        std::string spaced = name;
        for (char& c : spaced)
            if (c == '_') c = ' ';
        const std::pair<std::string, std::string> values[] = {
            {kDirectoryPlaceholder, html::Escape(path)},
            {"[THUMBNAIL_DIRECTORY_NAME]", html::Escape(name)},
            {"[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]", html::Escape(spaced)},
            {"[CREATION_YEAR]", std::to_string(CKzDate::GetCurrentYear())},
            {"[CREATION_MONTH]", std::to_string(CKzDate::GetCurrentMonth())},
            {"[CREATION_DAY]", std::to_string(CKzDate::GetCurrentDay())},
            {"[CREATION_HOUR]", std::to_string(CKzDate::GetCurrentHour())},
            {"[CREATION_MINUTE]", std::to_string(CKzDate::GetCurrentMinute())},
            {"[CREATION_SECOND]", std::to_string(CKzDate::GetCurrentSecond())},
            {"[THUMBNAIL_COUNT]", std::to_string(count)},
            {kThumbnailsPlaceholder, table},
        };
        std::string page = m_templateText;
        const std::string pagePath = base + kPageName;
        if (FillPlaceholders(page, values) == 1 && WriteWholeFile(pagePath, page))
            result = CKzFile::FileExists(pagePath.c_str());
    } else {
        // Only an empty folder goes: thumbnails of an earlier build stay.
        ::rmdir(thumbs.c_str());
    }
    return result;
}
