// TIFF files through libtiff: one page of a file in any layout libtiff reads (strips or tiles,
// every compression it carries), turned upright; single- and multi-page output.
#pragma once

#include "ImageCodec.h"

#include <memory>

struct tiff;
class TiffStreamBridge;

class TiffCodec : public ImageCodec {
public:
    TiffCodec();
    TiffCodec(const TiffCodec&) = delete;
    TiffCodec& operator=(const TiffCodec&) = delete;
    ~TiffCodec() override;

    // Reads the page `frame` (from 0); `frameCount` tells how many the file holds.
    bool Decode(ByteStream& in) override;
    // A complete single-page file.
    bool Encode(ByteStream& out) override;
    // With append the picture is written as one more page and the file stays open for the next
    // call; a call without append writes the last page and finishes the file. All pages of a file
    // go to the stream of its first page.
    bool Encode(ByteStream& out, bool append);

    using ImageCodec::Decode;
    using ImageCodec::Encode;

private:
    struct Page;

    void ReadPage(tiff* file);
    void ReadRgba(tiff* file, const Page& page);
    void ReadRows(tiff* file, const Page& page);
    std::uint32_t ReadStrips(tiff* file, const Page& page);
    std::uint32_t ReadTiles(tiff* file, const Page& page);
    void StoreRow(const Page& page, std::uint8_t* source, std::uint32_t y);
    void SetPagePalette(tiff* file, const Page& page);
    void ReadPlacement(tiff* file);
    void CheckEscape() const;

    void WritePage(std::uint32_t page);
    void CloseOutput();

    std::unique_ptr<TiffStreamBridge> output;
    tiff* writer = nullptr;
    bool multiPage = false;
    std::uint32_t pagesWritten = 0;
};
