// What the last build of a thumbnail folder made, kept in a file inside that folder, so that
// the next build can keep every thumbnail whose image, settings and own file are unchanged.
#pragma once

#include "FileStamp.h"

#include <string>
#include <vector>

// How thumbnails are made; a change makes every one again.
struct ThumbnailSettings {
    int width = 0;
    int height = 0;
    int quality = 0;
    friend bool operator==(const ThumbnailSettings&, const ThumbnailSettings&) = default;
};

class ThumbnailState {
public:
    static constexpr const char* kFileName = ".vistrel-thumbnails";

    // One thumbnail: the image it was made from (file name in the listed folder) and the
    // thumbnail's file name in the thumbnail folder, each with its stamp.
    struct Record {
        std::string source;
        FileStamp sourceStamp;
        std::string thumbnail;
        FileStamp thumbnailStamp;
    };

    ThumbnailSettings settings;
    std::vector<Record> records;

    // Reads a state file; false, with no records, when there is none or it is not one. Lines
    // that cannot be read are passed over: their thumbnails are simply made again.
    bool Read(const std::string& path);
    // Replaces the state file; false (errno says why) when it could not be written.
    bool Write(const std::string& path) const;
    // The record of a source file name; null when there is none.
    const Record* Find(const std::string& source) const;
    // Whether a file still has the size and modification time recorded for it: where it lies
    // (device, inode) does not count, so a folder copied with its times keeps its thumbnails.
    static bool Unchanged(const FileStamp& recorded, const FileStamp& now);
};
