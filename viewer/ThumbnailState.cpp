#include "ThumbnailState.h"

#include "TextFile.h"

#include <algorithm>
#include <sstream>

namespace {

// Raise it whenever thumbnails come out differently for the same settings, so that the
// thumbnails of older builds are made again.
constexpr char kHeader[] = "vistrel thumbnails 1";
// A state file lists names of one folder; a larger one is not ours.
constexpr std::size_t kStateLimit = 64u << 20;

// File names may hold any byte but '/' and NUL; the tab separates fields and the line end
// records, so both are escaped, and with them the escape itself.
std::string Escaped(const std::string& name)
{
    std::string out;
    for (const char ch : name) {
        if (ch == '\\') out += "\\\\";
        else if (ch == '\t') out += "\\t";
        else if (ch == '\n') out += "\\n";
        else out += ch;
    }
    return out;
}

bool Unescape(const std::string& text, std::string& name)
{
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        const char ch = text[i];
        if (ch == '\\') name += '\\';
        else if (ch == 't') name += '\t';
        else if (ch == 'n') name += '\n';
        else return false;
    }
    return !name.empty();
}

// A record names files of its own folder only, and only thumbnails: a record written by someone
// else can make a build delete no other file.
bool IsThumbnailName(const std::string& name)
{
    return name.find('/') == std::string::npos && name.size() > 4 && name.ends_with(".jpg");
}

bool ParseRecord(const std::string& line, ThumbnailState::Record& record)
{
    const std::size_t names = line.find('\t');
    const std::size_t second = names == std::string::npos ? names : line.find('\t', names + 1);
    if (second == std::string::npos) return false;
    std::istringstream stamps(line.substr(0, names));
    for (FileStamp* stamp : {&record.sourceStamp, &record.thumbnailStamp}) {
        stamps >> stamp->size >> stamp->modifiedSeconds >> stamp->modifiedNanoseconds;
        stamp->exists = true;
    }
    return stamps && (stamps >> std::ws).eof() &&
           Unescape(line.substr(names + 1, second - names - 1), record.source) &&
           Unescape(line.substr(second + 1), record.thumbnail) &&
           IsThumbnailName(record.thumbnail);
}

} // namespace

bool ThumbnailState::Read(const std::string& path)
{
    settings = {};
    records.clear();
    std::string text;
    if (!ReadTextFile(path, text, kStateLimit)) return false;
    std::istringstream in(text);
    std::string line, word;
    if (!std::getline(in, line) || line != kHeader || !std::getline(in, line)) return false;
    std::istringstream values(line);
    ThumbnailSettings read;
    if (!(values >> word) || word != "box" || !(values >> read.width >> read.height >> word) || word != "quality" ||
        !(values >> read.quality))
        return false;
    settings = read;
    for (Record record; std::getline(in, line);)
        if (ParseRecord(line, record)) records.push_back(record);
    return true;
}

bool ThumbnailState::Write(const std::string& path) const
{
    std::ostringstream out;
    out << kHeader << "\nbox " << settings.width << ' ' << settings.height << " quality " << settings.quality << '\n';
    for (const Record& record : records) {
        for (const FileStamp* stamp : {&record.sourceStamp, &record.thumbnailStamp})
            out << (stamp == &record.sourceStamp ? "" : " ") << stamp->size << ' ' << stamp->modifiedSeconds << ' '
                << stamp->modifiedNanoseconds;
        out << '\t' << Escaped(record.source) << '\t' << Escaped(record.thumbnail) << '\n';
    }
    return ReplaceTextFile(path, out.str());
}

bool ThumbnailState::Unchanged(const FileStamp& recorded, const FileStamp& now)
{
    return recorded.exists && now.exists && recorded.size == now.size &&
           recorded.modifiedSeconds == now.modifiedSeconds && recorded.modifiedNanoseconds == now.modifiedNanoseconds;
}

const ThumbnailState::Record* ThumbnailState::Find(const std::string& source) const
{
    const auto found =
        std::find_if(records.begin(), records.end(), [&](const Record& record) { return record.source == source; });
    return found == records.end() ? nullptr : &*found;
}
