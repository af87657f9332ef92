#include "ThumbnailFolder.h"

#include "ImageDocument.h"
#include "ImageFileName.h"
#include "ParallelJobs.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

// New thumbnails are written here and moved to their names once every name is known; no
// thumbnail name can be this folder's, since every one ends in ".jpg".
constexpr char kWorkFolder[] = ".vistrel-work";

// A leading dot starts a hidden name, not an extension.
std::string WithoutExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The thumbnail's own name: the image's title with its last extension replaced, so that
// my.photo.jpg gets my.jpg.
std::string NaturalThumbnailTitle(const std::string& fileName)
{
    return WithoutExtension(WithoutExtension(fileName));
}

std::string Folded(std::string text)
{
    for (char& ch : text) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// Hands out thumbnail titles: the first image keeps its natural title, later images whose
// titles clash (a.bmp after a.png) get "-2", "-3" … appended, skipping every natural title of
// the folder. Compared ignoring case, since pages are often copied to such file systems.
class ThumbnailTitles {
public:
    explicit ThumbnailTitles(const std::vector<std::string>& fileNames)
    {
        for (const std::string& name : fileNames) m_natural.insert(Folded(NaturalThumbnailTitle(name)));
    }

    std::string Assign(const std::string& fileName)
    {
        const std::string natural = NaturalThumbnailTitle(fileName);
        std::string title = natural;
        for (int n = 2; m_used.count(Folded(title)) || (n > 2 && m_natural.count(Folded(title))); ++n)
            title = natural + "-" + std::to_string(n);
        m_used.insert(Folded(title));
        return title;
    }

private:
    std::set<std::string> m_natural;
    std::set<std::string> m_used;
};

} // namespace

struct ThumbnailFolder::Item {
    enum class Outcome { Kept, Made, NotDecoded, NotWritten };

    std::string path;
    std::string name;
    FileStamp stamp;
    // The record of a thumbnail that is kept.
    const ThumbnailState::Record* kept = nullptr;
    Outcome outcome = Outcome::NotDecoded;
    std::string reason;
    // Where the thumbnail waits before it goes to its name; "" when it need not move.
    std::string waiting;
    // The thumbnail's file name; "" when the image could not be decoded.
    std::string thumbnail;

    bool Failed() const { return outcome == Outcome::NotDecoded || outcome == Outcome::NotWritten; }
    void Fail(Outcome why, std::string text)
    {
        outcome = why;
        reason = std::move(text);
    }
};

ThumbnailFolder::ThumbnailFolder(std::string folder, const ThumbnailSettings& settings)
    : m_folder(std::move(folder)), m_settings(settings)
{
}

std::vector<std::string> ThumbnailFolder::Update(const std::vector<std::string>& sources)
{
    m_summary = {};
    ThumbnailState old;
    old.Read(PathOf(ThumbnailState::kFileName));
    std::vector<Item> items(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        items[i].path = sources[i];
        items[i].name = ListedFileName(sources[i]);
    }
    Plan(items, old);
    // Whatever a build that was cut short left there goes; a folder that cannot be made shows
    // in the reasons of the thumbnails that could not be written into it.
    std::error_code ignored;
    std::filesystem::remove_all(PathOf(kWorkFolder), ignored);
    std::filesystem::create_directory(PathOf(kWorkFolder), ignored);
    Make(items);
    Name(items);
    PutInPlace(items);
    std::filesystem::remove_all(PathOf(kWorkFolder), ignored);
    Remember(items, old);

    std::vector<std::string> names;
    names.reserve(items.size());
    for (const Item& item : items) names.push_back(item.thumbnail);
    return names;
}

void ThumbnailFolder::Plan(std::vector<Item>& items, const ThumbnailState& old) const
{
    const bool sameSettings = old.settings == m_settings;
    for (Item& item : items) {
        item.stamp = FileStamp::Of(item.path.c_str());
        const ThumbnailState::Record* record = sameSettings ? old.Find(item.name) : nullptr;
        // The thumbnail's own stamp too, so that one edited or deleted by hand is made again.
        if (record && ThumbnailState::Unchanged(record->sourceStamp, item.stamp) &&
            ThumbnailState::Unchanged(record->thumbnailStamp, FileStamp::Of(PathOf(record->thumbnail).c_str()))) {
            item.kept = record;
            item.outcome = Item::Outcome::Kept;
        }
    }
}

void ThumbnailFolder::Make(std::vector<Item>& items) const
{
    std::vector<Item*> jobs;
    for (Item& item : items)
        if (!item.kept) jobs.push_back(&item);
    const int kept = int(items.size() - jobs.size());
    const int total = int(items.size());
    RunParallelJobs(
        int(jobs.size()), m_threads > 0 ? m_threads : ProcessorCount(),
        [&](int job) { MakeOne(*jobs[job], PathOf(kWorkFolder) + "/" + std::to_string(job) + ".jpg"); },
        [&](int done) {
            if (m_progress) m_progress(kept + done, total);
        });
}

// Runs on a worker thread: touches its own item only.
void ThumbnailFolder::MakeOne(Item& item, const std::string& target) const
{
    ImageDocument document;
    document.SetAutoOrient(m_settings.upright);
    if (!document.LoadForBox(item.path.c_str(), m_settings.width, m_settings.height))
        return item.Fail(Item::Outcome::NotDecoded, document.GetLoadError());
    // A picture that could not be sized is not written at its full size instead.
    if (!document.FitInto(m_settings.width, m_settings.height, true))
        return item.Fail(Item::Outcome::NotWritten, "The picture could not be resized.");
    if (!document.SaveAs(target.c_str(), SaveJpg))
        return item.Fail(Item::Outcome::NotWritten, document.GetSaveError());
    item.outcome = Item::Outcome::Made;
    item.waiting = target;
}

void ThumbnailFolder::Name(std::vector<Item>& items) const
{
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const Item& item : items) names.push_back(item.name);
    ThumbnailTitles titles(names);
    // A thumbnail that could not be written still has its name: the page shows its cells.
    for (Item& item : items)
        if (item.outcome != Item::Outcome::NotDecoded) item.thumbnail = titles.Assign(item.name) + ".jpg";
}

void ThumbnailFolder::PutInPlace(std::vector<Item>& items) const
{
    const auto move = [](Item& item, const std::string& from, const std::string& to) {
        if (std::rename(from.c_str(), to.c_str()) != 0)
            item.Fail(Item::Outcome::NotWritten,
                      std::string("The thumbnail could not be put in place: ") + std::strerror(errno));
    };
    // Kept thumbnails whose name changes step aside first, so that none is overwritten by one
    // that takes over its old name.
    for (std::size_t i = 0; i < items.size(); ++i) {
        Item& item = items[i];
        if (!item.kept || item.kept->thumbnail == item.thumbnail) continue;
        item.waiting = PathOf(kWorkFolder) + "/moved-" + std::to_string(i) + ".jpg";
        move(item, PathOf(item.kept->thumbnail), item.waiting);
    }
    for (Item& item : items)
        if (!item.waiting.empty() && !item.Failed()) move(item, item.waiting, PathOf(item.thumbnail));
}

void ThumbnailFolder::Remember(const std::vector<Item>& items, const ThumbnailState& old)
{
    ThumbnailState state;
    state.settings = m_settings;
    std::set<std::string> used;
    for (const Item& item : items) {
        if (!item.thumbnail.empty()) used.insert(Folded(item.thumbnail));
        if (item.Failed()) {
            ++m_summary.failed;
            m_summary.failures.push_back({item.name, item.reason});
            continue;
        }
        ++(item.kept ? m_summary.kept : m_summary.made);
        state.records.push_back({item.name, item.stamp, item.thumbnail, FileStamp::Of(PathOf(item.thumbnail).c_str())});
    }
    // Compared ignoring case: on such a file system the old a.jpg is the new A.jpg.
    for (const ThumbnailState::Record& record : old.records)
        if (!used.count(Folded(record.thumbnail))) std::remove(PathOf(record.thumbnail).c_str());
    // Without a record the next build makes every thumbnail again and deletes none: nothing is
    // lost, where a stale record could name files that are no longer ours.
    if (!state.Write(PathOf(ThumbnailState::kFileName))) std::remove(PathOf(ThumbnailState::kFileName).c_str());
}

void ThumbnailFolder::Clear()
{
    ThumbnailState old;
    old.Read(PathOf(ThumbnailState::kFileName));
    for (const ThumbnailState::Record& record : old.records) std::remove(PathOf(record.thumbnail).c_str());
    std::remove(PathOf(ThumbnailState::kFileName).c_str());
}
