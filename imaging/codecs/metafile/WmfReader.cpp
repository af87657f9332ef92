#include "WmfReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kRecordHeader = 6;

// Parameter i of a record: 16-bit words after the size and function fields.
double P(RecordView record, std::size_t i)
{
    return record.I16(kRecordHeader + 2 * i);
}

std::uint32_t P32(RecordView record, std::size_t i)
{
    return record.U32(kRecordHeader + 2 * i);
}

bool Need(RecordView record, std::size_t words)
{
    return record.Has(kRecordHeader, 2 * words);
}

std::vector<GdiPoint> Points(RecordView record, std::size_t first, std::size_t count)
{
    std::vector<GdiPoint> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) points.push_back({P(record, first + 2 * i), P(record, first + 2 * i + 1)});
    return points;
}

// A device-dependent bitmap of the oldest records: a 10-byte header, then rows top-down,
// `widthBytes` apart. Only depths that need no device palette can be drawn: one bit (0 black,
// 1 white) and 24 bits (blue, green, red).
std::shared_ptr<const Picture> DeviceBitmap(RecordView bitmap)
{
    const std::int32_t width = bitmap.I16(2);
    const std::int32_t height = bitmap.I16(4);
    const std::size_t widthBytes = bitmap.U16(6);
    const std::uint32_t bits = bitmap.U8(9);
    if (bitmap.U8(8) != 1 || (bits != 1 && bits != 24) || width <= 0 || height <= 0) return nullptr;
    if (widthBytes * 8 < std::size_t(width) * bits || !bitmap.HasItems(10, std::uint64_t(widthBytes) * height, 1))
        return nullptr;
    auto picture = std::make_shared<Picture>(width, height, bits);
    if (!picture->IsValid()) return nullptr;
    if (bits == 1) {
        picture->SetPaletteEntry(0, 0, 0, 0);
        picture->SetPaletteEntry(1, 255, 255, 255);
    }
    const std::size_t copied = std::min<std::size_t>(widthBytes, picture->GetEffWidth());
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(picture->GetBits() + std::size_t(height - 1 - y) * picture->GetEffWidth(),
                    bitmap.Data() + 10 + std::size_t(y) * widthBytes, copied);
    }
    return picture;
}

// A region: a 22-byte header with the scan count at 10, then scans of a line count, top,
// bottom, that many left-right pairs and the count again.
GdiRegion Region(RecordView region)
{
    GdiRegion result;
    const std::size_t scans = region.U16(10);
    std::size_t at = 22;
    for (std::size_t scan = 0; scan < scans && region.Has(at, 6); ++scan) {
        const std::size_t pairs = region.U16(at) / 2;
        const double top = region.I16(at + 2);
        const double bottom = region.I16(at + 4);
        if (!region.HasItems(at + 6, pairs, 4)) break;
        for (std::size_t i = 0; i < pairs; ++i) {
            result.ltrb.insert(result.ltrb.end(),
                               {double(region.I16(at + 6 + 4 * i)), top, double(region.I16(at + 8 + 4 * i)), bottom});
        }
        at += 6 + 4 * pairs + 2;
    }
    return result;
}

} // namespace

bool WmfReader::Play(const std::int32_t* escape)
{
    // The header's own size field counts words; at least the 9 words of the standard header.
    std::size_t position = std::max<std::size_t>(18, std::size_t(metafile.U16(2)) * 2);
    std::size_t records = 0;
    while (metafile.Has(position, kRecordHeader)) {
        const std::uint64_t bytes = std::uint64_t(metafile.U32(position)) * 2;
        const std::uint16_t function = metafile.U16(position + 4);
        if (function == 0) return true;
        if (bytes < kRecordHeader || bytes > metafile.Size() - position) return false;
        Record(function, metafile.Sub(position, std::size_t(bytes)));
        position += std::size_t(bytes);
        if (++records % 256 == 0 && escape && *escape) return true;
    }
    return false;
}

void WmfReader::Record(std::uint16_t function, RecordView r)
{
    // Every parameter count below is what the record's layout requires; shorter records are
    // skipped.
    switch (function) {
    case 0x001E: model.SaveDC(); return;
    case 0x0127: if (Need(r, 1)) model.RestoreDC(int(P(r, 0))); return;
    case 0x0102: if (Need(r, 1)) model.SetBkMode(int(P(r, 0))); return;
    case 0x0103: if (Need(r, 1)) model.SetMapMode(int(P(r, 0))); return;
    case 0x0104: if (Need(r, 1)) model.SetRop2(int(P(r, 0))); return;
    case 0x0106: if (Need(r, 1)) model.SetPolyFillMode(int(P(r, 0))); return;
    case 0x0107: if (Need(r, 1)) model.SetStretchBltMode(int(P(r, 0))); return;
    case 0x012E: if (Need(r, 1)) model.SetTextAlign(r.U16(6)); return;
    case 0x0201: if (Need(r, 2)) model.SetBkColour(P32(r, 0)); return;
    case 0x0209: if (Need(r, 2)) model.SetTextColour(P32(r, 0)); return;
    case 0x020B: if (Need(r, 2)) model.SetWindowOrg(P(r, 1), P(r, 0)); return;
    case 0x020C: if (Need(r, 2)) model.SetWindowExt(P(r, 1), P(r, 0)); return;
    case 0x020D: if (Need(r, 2)) model.SetViewportOrg(P(r, 1), P(r, 0)); return;
    case 0x020E: if (Need(r, 2)) model.SetViewportExt(P(r, 1), P(r, 0)); return;
    case 0x020F: if (Need(r, 2)) model.OffsetWindowOrg(P(r, 1), P(r, 0)); return;
    case 0x0211: if (Need(r, 2)) model.OffsetViewportOrg(P(r, 1), P(r, 0)); return;
    case 0x0410: if (Need(r, 4)) model.ScaleWindowExt(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x0412: if (Need(r, 4)) model.ScaleViewportExt(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x0214: if (Need(r, 2)) model.MoveTo({P(r, 1), P(r, 0)}); return;
    case 0x0213: if (Need(r, 2)) model.LineTo({P(r, 1), P(r, 0)}); return;
    case 0x0324:
    case 0x0325: {
        if (!Need(r, 1)) return;
        const std::size_t count = r.U16(6);
        if (!Need(r, 1 + 2 * count)) return;
        if (function == 0x0324) model.Polygon(Points(r, 1, count));
        else model.Polyline(Points(r, 1, count), false);
        return;
    }
    case 0x0538: {
        if (!Need(r, 1)) return;
        const std::size_t polygons = r.U16(6);
        if (!Need(r, 1 + polygons)) return;
        std::size_t total = 0;
        for (std::size_t i = 0; i < polygons; ++i) total += r.U16(8 + 2 * i);
        if (!Need(r, 1 + polygons + 2 * total)) return;
        std::vector<std::vector<GdiPoint>> shapes;
        std::size_t next = 1 + polygons;
        for (std::size_t i = 0; i < polygons; ++i) {
            const std::size_t count = r.U16(8 + 2 * i);
            shapes.push_back(Points(r, next, count));
            next += 2 * count;
        }
        model.PolyPolygon(shapes);
        return;
    }
    case 0x041B: if (Need(r, 4)) model.Rectangle(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x0418: if (Need(r, 4)) model.Ellipse(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x061C: if (Need(r, 6)) model.RoundRect(P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x0817:
    case 0x081A:
    case 0x0830: {
        if (!Need(r, 8)) return;
        const ArcKind kind = function == 0x0817 ? ArcKind::Arc : function == 0x081A ? ArcKind::Pie : ArcKind::Chord;
        model.ArcShape(kind, P(r, 7), P(r, 6), P(r, 5), P(r, 4), {P(r, 3), P(r, 2)}, {P(r, 1), P(r, 0)});
        return;
    }
    case 0x041F: if (Need(r, 4)) model.SetPixel({P(r, 3), P(r, 2)}, P32(r, 0)); return;
    case 0x0521: Text(r, false); return;
    case 0x0A32: Text(r, true); return;
    case 0x012D: // SelectObject
    case 0x0234: // SelectPalette
        if (Need(r, 1)) model.SelectObject(r.U16(6));
        return;
    case 0x01F0: if (Need(r, 1)) model.DeleteObject(r.U16(6)); return;
    case 0x0416: if (Need(r, 4)) model.IntersectClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x0415: if (Need(r, 4)) model.ExcludeClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0)); return;
    case 0x012C: if (Need(r, 1)) model.UseRegion(r.U16(6), GdiModel::RegionUse::Clip); return;
    case 0x0228: if (Need(r, 2)) model.UseRegion(r.U16(6), GdiModel::RegionUse::Fill, r.U16(8)); return;
    case 0x0429: if (Need(r, 4)) model.UseRegion(r.U16(6), GdiModel::RegionUse::Frame, r.U16(8)); return;
    case 0x012B: if (Need(r, 1)) model.UseRegion(r.U16(6), GdiModel::RegionUse::Paint); return;
    case 0x012A: if (Need(r, 1)) model.UseRegion(r.U16(6), GdiModel::RegionUse::Invert); return;
    case 0x061D: if (Need(r, 6)) model.PatBlt(P(r, 5), P(r, 4), P(r, 3), P(r, 2), P32(r, 0)); return;
    case 0x0922:
    case 0x0940:
    case 0x0B23:
    case 0x0B41:
    case 0x0F43:
    case 0x0D33: Bitmap(function, r); return;
    case 0x02FA:
    case 0x02FC:
    case 0x02FB:
    case 0x0142:
    case 0x01F9:
    case 0x00F7:
    case 0x06FF: CreateObject(function, r); return;
    default: return;
    }
}

void WmfReader::CreateObject(std::uint16_t function, RecordView r)
{
    switch (function) {
    case 0x02FA: {
        GdiPen pen;
        if (Need(r, 5)) pen = GdiPen{r.U16(6), std::abs(P(r, 1)), P32(r, 3)};
        model.AddObject(pen);
        return;
    }
    case 0x02FC: {
        GdiBrush brush;
        if (Need(r, 4)) {
            const std::uint16_t style = r.U16(6);
            brush.colour = P32(r, 1);
            brush.hatch = r.U16(12);
            brush.kind = style == 1 ? GdiBrush::Kind::Null : style == 2 ? GdiBrush::Kind::Hatched : GdiBrush::Kind::Solid;
        }
        model.AddObject(brush);
        return;
    }
    case 0x02FB: {
        GdiFont font;
        if (Need(r, 9)) {
            font.height = P(r, 0);
            font.width = P(r, 1);
            font.escapement = P(r, 2);
            font.weight = int(P(r, 4));
            font.italic = r.U8(16);
            font.underline = r.U8(17);
            font.strikeOut = r.U8(18);
            font.charset = r.U8(19);
            font.pitchAndFamily = r.U8(23);
            // Face names go to Cairo, which takes UTF-8 only: as in enhanced metafiles, ASCII is kept.
            for (std::size_t i = 24; i < 24 + 32 && r.U8(i); ++i) font.face += r.U8(i) < 0x80 ? char(r.U8(i)) : '?';
        }
        model.AddObject(font);
        return;
    }
    case 0x0142:
    case 0x01F9: {
        // A pattern that cannot be read paints grey. Writers put a DIB behind either style of
        // the newer record, whatever the style says.
        GdiBrush brush;
        brush.colour = 0x808080;
        if (function == 0x0142 && Need(r, 2)) brush.pattern = DecodeDib(r.Sub(10, r.Size()));
        else if (function == 0x01F9) brush.pattern = DeviceBitmap(r.Sub(6, r.Size()));
        if (brush.pattern) brush.kind = GdiBrush::Kind::Pattern;
        model.AddObject(brush);
        return;
    }
    case 0x00F7: model.AddObject(PaletteEntries(r.Sub(10, r.Size()), r.U16(8))); return;
    default:
        model.AddObject(Region(r.Sub(6, r.Size())));
        return;
    }
}

void WmfReader::Text(RecordView r, bool extended)
{
    if (!extended) {
        if (!Need(r, 1)) return;
        const std::size_t count = r.U16(6);
        const std::size_t padded = (count + 1) & ~std::size_t(1);
        if (!r.Has(8, padded + 4)) return;
        const GdiPoint at{double(r.I16(8 + padded + 2)), double(r.I16(8 + padded))};
        model.Text(at, AnsiToUtf8(r.Sub(8, count), count, model.Charset()), {}, 0, nullptr);
        return;
    }
    if (!Need(r, 4)) return;
    const GdiPoint at{P(r, 1), P(r, 0)};
    const std::size_t count = r.U16(10);
    const std::uint16_t options = r.U16(12);
    std::size_t offset = 14;
    double rect[4] = {};
    const bool hasRect = options & 6;
    if (hasRect) {
        if (!r.Has(offset, 8)) return;
        for (std::size_t i = 0; i < 4; ++i) rect[i] = r.I16(offset + 2 * i);
        offset += 8;
    }
    if (!r.Has(offset, count)) return;
    const std::string text = AnsiToUtf8(r.Sub(offset, count), count, model.Charset());
    const std::size_t dxOffset = offset + ((count + 1) & ~std::size_t(1));
    std::vector<double> dx;
    if (r.HasItems(dxOffset, count, 2)) {
        for (std::size_t i = 0; i < count; ++i) dx.push_back(r.I16(dxOffset + 2 * i));
    }
    model.Text(at, text, dx, options, hasRect ? rect : nullptr);
}

void WmfReader::Bitmap(std::uint16_t function, RecordView r)
{
    // A blit record as long as its parameters alone carries no bitmap and paints the brush.
    const std::size_t parameterWords = function >> 8;
    const bool noBitmap = r.Size() == 2 * (parameterWords + 3);
    // The older blits carry a device-dependent bitmap where the newer carry a DIB.
    const bool device = function == 0x0922 || function == 0x0B23;
    auto source = [&](std::size_t offset) {
        return device ? DeviceBitmap(r.Sub(offset, r.Size())) : DecodeDib(r.Sub(offset, r.Size()));
    };
    switch (function) {
    case 0x0922:
    case 0x0940: {
        if (noBitmap) {
            if (Need(r, 9)) model.PatBlt(P(r, 8), P(r, 7), P(r, 6), P(r, 5), P32(r, 0));
            return;
        }
        if (!Need(r, 8)) return;
        const auto picture = source(22);
        if (!picture) return;
        model.Bitmap(*picture, P(r, 3), P(r, 2), P(r, 5), P(r, 4), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P32(r, 0));
        return;
    }
    case 0x0B23:
    case 0x0B41: {
        if (noBitmap) {
            if (Need(r, 11)) model.PatBlt(P(r, 10), P(r, 9), P(r, 8), P(r, 7), P32(r, 0));
            return;
        }
        if (!Need(r, 10)) return;
        const auto picture = source(26);
        if (!picture) return;
        model.Bitmap(*picture, P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 9), P(r, 8), P(r, 7), P(r, 6), P32(r, 0));
        return;
    }
    case 0x0F43: {
        if (!Need(r, 11)) return;
        const auto picture = DecodeDib(r.Sub(28, r.Size()));
        if (!picture) return;
        // The source rectangle of a DIB counts rows from its bottom.
        const double srcHeight = P(r, 3);
        const double srcTop = picture->GetHeight() - P(r, 5) - srcHeight;
        model.Bitmap(*picture, P(r, 6), srcTop, P(r, 4), srcHeight, P(r, 10), P(r, 9), P(r, 8), P(r, 7), P32(r, 0));
        return;
    }
    default: {
        if (!Need(r, 9)) return;
        const auto picture = DecodeDib(r.Sub(24, r.Size()));
        if (!picture) return;
        const double height = P(r, 5);
        const double srcTop = picture->GetHeight() - P(r, 3) - height;
        model.Bitmap(*picture, P(r, 4), srcTop, P(r, 6), height, P(r, 8), P(r, 7), P(r, 6), height, 0xCC0020);
        return;
    }
    }
}
