// Plays the records of a standard (16-bit) metafile into the GDI model.
#pragma once

#include "GdiModel.h"
#include "MetafileData.h"

class WmfReader {
public:
    // `metafile` starts with the 18-byte metafile header.
    WmfReader(RecordView records, GdiModel& target) : metafile(records), model(target) {}

    // False when the records end before the end-of-file record: what came before is drawn.
    bool Play(const std::int32_t* escape);

private:
    void Record(std::uint16_t function, RecordView record);
    void Text(RecordView record, bool extended);
    void Bitmap(std::uint16_t function, RecordView record);
    void CreateObject(std::uint16_t function, RecordView record);

    RecordView metafile;
    GdiModel& model;
};
