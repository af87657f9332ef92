// Plays the records of an enhanced (32-bit) metafile into the GDI model.
#pragma once

#include "GdiModel.h"
#include "MetafileData.h"

class EmfReader {
public:
    // `metafile` starts with the header record, already checked by the codec.
    EmfReader(RecordView records, GdiModel& target) : metafile(records), model(target) {}

    // False when the records end before the end-of-file record: what came before is drawn.
    bool Play(const std::int32_t* escape);

private:
    void Record(std::uint32_t type, RecordView record);
    void Poly(std::uint32_t type, RecordView record);
    void PolyPoly(std::uint32_t type, RecordView record);
    void CreateObject(std::uint32_t type, RecordView record);
    void Text(std::uint32_t type, RecordView record);
    void Bitmap(std::uint32_t type, RecordView record);
    void ClipRegion(RecordView record);

    RecordView metafile;
    GdiModel& model;
};
