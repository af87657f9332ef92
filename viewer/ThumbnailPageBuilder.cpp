#include "ThumbnailPageBuilder.h"

#include "Desktop.h"
#include "ImageFileName.h"
#include "HtmlText.h"
#include "SettingsKeys.h"
#include "ThumbnailFolder.h"
#include "TextFile.h"
#include "WaitCursor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 942 characters; the one "%s" is the page title.
constexpr char kBuiltInTemplate[] =
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
static_assert(sizeof kBuiltInTemplate - 1 == 942);

constexpr char kTitlePlaceholder[] = "[THUMBNAIL_DIRECTORY]";
constexpr char kTablePlaceholder[] = "[THUMBNAILS]";
// A template file is user-edited text; anything this big is not one.
constexpr std::size_t kTemplateLimit = 16u << 20;

// The JPEG quality of every decoded picture, which its thumbnail is saved with.
constexpr int kThumbnailQuality = 75;

const char* KeyName(settings::Id id)
{
    return settings::Get(id).name;
}

// The built directory must really be the current one: thumbnails are written relative to it.
bool IsCurrentDirectory(const std::string& dir)
{
    struct stat here {}, there {};
    return ::stat(".", &here) == 0 && ::stat(dir.c_str(), &there) == 0 && here.st_dev == there.st_dev &&
           here.st_ino == there.st_ino;
}

std::string Escaped(const std::string& text)
{
    return html::Escape(text);
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
    m_templateText.Replace("%s", kTitlePlaceholder);
    m_templateLoaded = true;
}

bool ThumbnailPageBuilder::LoadTemplate()
{
    m_templateLoaded = false;
    m_templateFileExists = false;
    m_templateText.Empty();
    m_templatePath[0] = '\0';
    if (CKzAppSettings::IsAppInstalled(settings::kAppName)) {
        const CKzAppSettings store(settings::kAppName);
        // The store holds strings of up to 65,535 bytes; a folder that leaves no room for the
        // template's name in a path buffer counts as not set.
        std::vector<char> installPath(65536, '\0');
        if (store.GetValueString(KeyName(settings::InstallPath), installPath.data())) {
            std::string path = installPath.data();
            if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
            path += kTemplateName;
            if (installPath[0] && path.size() < sizeof m_templatePath) {
                std::strcpy(m_templatePath, path.c_str());
                std::string text;
                if (CKzFile::FileExists(m_templatePath)) {
                    m_templateFileExists = true;
                    m_templateLoaded = true;
                    if (ReadTextFile(m_templatePath, text, kTemplateLimit)) m_templateText = text.c_str();
                }
            }
        }
        const std::pair<settings::Id, int*> sizes[] = {
            {settings::ThumbWidth, &m_thumbWidth},
            {settings::ThumbHeight, &m_thumbHeight},
            {settings::ThumbColumns, &m_thumbColumns},
        };
        for (const auto& [id, field] : sizes) {
            int value = 0;
            if (store.GetValueInt(KeyName(id), value) && value > 0) *field = value;
        }
        int autoOrient = 1;
        if (store.GetValueInt(KeyName(settings::AutoOrient), autoOrient)) m_autoOrient = autoOrient != 0;
    }
    if (m_templateText.IsEmpty()) UseBuiltInTemplate();
    return m_templateLoaded;
}

bool ThumbnailPageBuilder::RestoreTemplate()
{
    if (!m_templateLoaded) return false;
    UseBuiltInTemplate();
    if (!m_templatePath[0] || !ReplaceTextFile(m_templatePath, m_templateText.c_str())) return false;
    m_templateFileExists = true;
    return true;
}

bool ThumbnailPageBuilder::SetThumbnailSettings(int width, int height, int columns)
{
    if (width < 1 || height < 1 || columns < 1) return false;
    m_thumbWidth = width;
    m_thumbHeight = height;
    m_thumbColumns = columns;
    const CKzAppSettings store(settings::kAppName);
    store.SetValueInt(KeyName(settings::ThumbWidth), width);
    store.SetValueInt(KeyName(settings::ThumbHeight), height);
    store.SetValueInt(KeyName(settings::ThumbColumns), columns);
    return true;
}

bool ThumbnailPageBuilder::Build(const char* directory)
{
    WaitCursor wait(m_desktop);
    m_failure.clear();
    m_summary = {};
    return BuildPage(directory);
}

bool ThumbnailPageBuilder::Fail(const char* what, const std::string& path)
{
    m_failure = std::string(what) + " '" + path + "': " + std::strerror(errno);
    return false;
}

bool ThumbnailPageBuilder::BuildPage(const char* directory)
{
    if (!m_templateLoaded || !directory || !*directory || std::strlen(directory) >= sizeof m_templatePath)
        return false;
    std::string dir = directory;
    if (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    if (!CKzDir::IsDirectory(dir.c_str())) return false;
    CKzDir::SetDirectory(dir.c_str());
    if (!IsCurrentDirectory(dir)) return false;
    const std::string slashed = dir.back() == '/' ? dir : dir + "/";
    if (!CKzDir::CreateDirectoryA((std::string(kThumbFolder) + "/").c_str()) && errno != EEXIST)
        return Fail("Could not create the folder", slashed + kThumbFolder);
    if (!CKzDir::DirectoryExists(kThumbFolder)) {
        errno = ENOTDIR;
        return Fail("Could not create the folder", slashed + kThumbFolder);
    }

    CKzDirList list;
    list.Open(slashed.c_str(), IsImageFileName);
    const int count = std::max(0, list.GetFileCount());
    list.Sort(SortByName, nullptr);

    PageValues values;
    values.directory = dir;
    values.imageCount = count;
    values.year = CKzDate::GetCurrentYear();
    values.month = CKzDate::GetCurrentMonth();
    values.day = CKzDate::GetCurrentDay();
    values.hour = CKzDate::GetCurrentHour();
    values.minute = CKzDate::GetCurrentMinute();
    values.second = CKzDate::GetCurrentSecond();
    if (count > 0) values.table = BuildTable(MakeThumbnails(list), m_thumbColumns);

    CKzString page = m_templateText;
    const int tables = FillPlaceholders(page, values);
    if (count == 0) {
        ThumbnailFolder(kThumbFolder, ThumbnailSettingsNow()).Clear();
        // Only goes when empty: files that are not thumbnails of ours stay.
        ::rmdir(kThumbFolder);
        return false;
    }
    if (tables != 1) return false;
    return ReplaceTextFile(kPageName, page.c_str()) || Fail("Could not write the page", slashed + kPageName);
}

ThumbnailSettings ThumbnailPageBuilder::ThumbnailSettingsNow() const
{
    return {m_thumbWidth, m_thumbHeight, kThumbnailQuality, m_autoOrient};
}

std::vector<ThumbnailPageBuilder::Entry> ThumbnailPageBuilder::MakeThumbnails(const CKzDirList& list)
{
    std::vector<std::string> sources;
    sources.reserve(std::size_t(std::max(list.GetFileCount(), 0)));
    for (int i = 0; i < list.GetFileCount(); ++i) sources.push_back(list.GetFileName(i));
    ThumbnailFolder folder(kThumbFolder, ThumbnailSettingsNow());
    folder.SetThreadCount(m_threadCount);
    folder.SetProgress(m_progress);
    const std::vector<std::string> thumbnails = folder.Update(sources);
    m_summary = folder.GetSummary();
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < sources.size(); ++i)
        entries.push_back({ListedFileName(sources[i]),
                           thumbnails[i].empty() ? "" : std::string(kThumbFolder) + "/" + thumbnails[i]});
    return entries;
}

std::string ThumbnailPageBuilder::BuildTable(const std::vector<Entry>& entries, int columns)
{
    static constexpr char kRowBreak[] = "</tr>\n<tr>\n";
    columns = std::max(1, columns);
    std::string table = "<table class=\"thumbnails\" width=\"100%\">\n<tr>\n";
    std::string captions;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i % std::size_t(columns) == 0 && !captions.empty()) {
            table.append(kRowBreak).append(captions).append(kRowBreak);
            captions.clear();
        }
        const Entry& entry = entries[i];
        if (entry.thumbnail.empty()) continue;
        const std::string name = Escaped(entry.fileName);
        table.append("\t<td class=\"thumbimage\"><a href=\"")
            .append(html::EncodeLink(entry.fileName))
            .append("\"><img src=\"")
            .append(html::EncodeLink(entry.thumbnail))
            .append("\" alt=\"")
            .append(name)
            .append("\" border=\"0\"></a></td>\n");
        captions.append("\t<td class=\"thumbtext\">").append(name).append("</td>\n");
    }
    table.append(kRowBreak).append(captions).append("</tr>\n</table>");
    return table;
}

std::string ThumbnailPageBuilder::DirectoryName(const std::string& directory)
{
    const std::size_t slash = directory.find_last_of("/\\");
    return slash == std::string::npos || slash == 0 ? directory : directory.substr(slash + 1);
}

int ThumbnailPageBuilder::FillPlaceholders(CKzString& page, const PageValues& values)
{
    const std::string name = DirectoryName(values.directory);
    std::string spaced = name;
    std::replace(spaced.begin(), spaced.end(), '_', ' ');
    const std::pair<const char*, std::string> texts[] = {
        {kTitlePlaceholder, Escaped(values.directory)},
        {"[THUMBNAIL_DIRECTORY_NAME]", Escaped(name)},
        {"[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]", Escaped(spaced)},
        {"[CREATION_YEAR]", std::to_string(values.year)},
        {"[CREATION_MONTH]", std::to_string(values.month)},
        {"[CREATION_DAY]", std::to_string(values.day)},
        {"[CREATION_HOUR]", std::to_string(values.hour)},
        {"[CREATION_MINUTE]", std::to_string(values.minute)},
        {"[CREATION_SECOND]", std::to_string(values.second)},
        {"[THUMBNAIL_COUNT]", std::to_string(values.imageCount)},
        {kTablePlaceholder, values.table},
    };
    // One pass over the template, so that inserted text (a directory called "[THUMBNAILS]") is
    // never taken for a placeholder itself.
    const std::string_view in(page.c_str(), std::size_t(page.GetLength()));
    std::string out;
    out.reserve(in.size() + values.table.size());
    int tables = 0;
    for (std::size_t i = 0; i < in.size();) {
        const auto* match = in[i] != '[' ? nullptr
                                         : std::find_if(std::begin(texts), std::end(texts), [&](const auto& entry) {
                                               return in.substr(i).starts_with(entry.first);
                                           });
        if (match && match != std::end(texts)) {
            out += match->second;
            i += std::strlen(match->first);
            tables += match->first == std::string_view(kTablePlaceholder);
        } else {
            out += in[i++];
        }
    }
    page = out.c_str();
    return tables;
}
