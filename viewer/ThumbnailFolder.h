// The thumbnails of one folder's images in its thumbnail folder: made on every processor,
// named in list order, and kept from one build to the next while image, settings and the
// thumbnail file itself are unchanged.
#pragma once

#include "ThumbnailState.h"

#include <functional>
#include <string>
#include <vector>

class ThumbnailFolder {
public:
    struct FailedFile {
        std::string fileName;
        std::string reason;
    };
    struct Summary {
        int made = 0;
        int kept = 0;
        int failed = 0;
        std::vector<FailedFile> failures; // in list order
    };
    // Called on the calling thread with the number of images done and listed.
    using Progress = std::function<void(int done, int total)>;

    // folder: the thumbnail folder, relative to the current directory or absolute.
    ThumbnailFolder(std::string folder, const ThumbnailSettings& settings);

    // 0 uses every processor.
    void SetThreadCount(int threads) { m_threads = threads; }
    void SetProgress(Progress progress) { m_progress = std::move(progress); }

    // Brings the folder up to date with the images at these paths, in page order. Returns, per
    // image, its thumbnail's file name in the folder, or "" when the image could not be decoded.
    // Thumbnails of images no longer listed are deleted.
    std::vector<std::string> Update(const std::vector<std::string>& sources);
    // Deletes every thumbnail an earlier build made, and the record of them.
    void Clear();
    const Summary& GetSummary() const { return m_summary; }

private:
    struct Item;
    void Plan(std::vector<Item>& items, const ThumbnailState& old) const;
    void Make(std::vector<Item>& items) const;
    void MakeOne(Item& item, const std::string& target) const;
    void Name(std::vector<Item>& items) const;
    void PutInPlace(std::vector<Item>& items) const;
    void Remember(const std::vector<Item>& items, const ThumbnailState& old);
    std::string PathOf(const std::string& name) const { return m_folder + "/" + name; }

    std::string m_folder;
    ThumbnailSettings m_settings;
    int m_threads = 0;
    Progress m_progress;
    Summary m_summary;
};
