#include "EmfReader.h"

#include <cmath>
#include <vector>

namespace {

constexpr std::size_t kPointsOffset = 28;

std::vector<GdiPoint> Points(RecordView r, std::size_t offset, std::size_t count, bool small)
{
    std::vector<GdiPoint> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (small) points.push_back({double(r.I16(offset + 4 * i)), double(r.I16(offset + 4 * i + 2))});
        else points.push_back({double(r.I32(offset + 8 * i)), double(r.I32(offset + 8 * i + 4))});
    }
    return points;
}

GdiPoint Point(RecordView r, std::size_t offset)
{
    return {double(r.I32(offset)), double(r.I32(offset + 4))};
}

GdiMatrix Xform(RecordView r, std::size_t offset)
{
    return {r.F32(offset), r.F32(offset + 4), r.F32(offset + 8), r.F32(offset + 12), r.F32(offset + 16),
            r.F32(offset + 20)};
}

// The bitmap of a record whose header and pixels are given by offset and size pairs.
std::shared_ptr<const Picture> DibAt(RecordView r, std::size_t headerAt, std::size_t bitsAt)
{
    const std::uint32_t headerOffset = r.U32(headerAt);
    const std::uint32_t headerSize = r.U32(headerAt + 4);
    const std::uint32_t bitsOffset = r.U32(bitsAt);
    const std::uint32_t bitsSize = r.U32(bitsAt + 4);
    if (!r.Has(headerOffset, headerSize) || !r.Has(bitsOffset, bitsSize)) return nullptr;
    return DecodeDib(r.Sub(headerOffset, headerSize), r.Sub(bitsOffset, bitsSize));
}

} // namespace

bool EmfReader::Play(const std::int32_t* escape)
{
    std::size_t position = 0;
    std::size_t records = 0;
    while (metafile.Has(position, 8)) {
        const std::uint32_t type = metafile.U32(position);
        const std::uint32_t size = metafile.U32(position + 4);
        if (size < 8 || size % 4 != 0 || size > metafile.Size() - position) return false;
        if (type == 14) return true;
        Record(type, metafile.Sub(position, size));
        position += size;
        if (++records % 256 == 0 && escape && *escape) return true;
    }
    return false;
}

void EmfReader::Record(std::uint32_t type, RecordView r)
{
    // Records shorter than their fixed fields are skipped.
    auto need = [&](std::size_t bytes) { return r.Size() >= bytes; };
    switch (type) {
    case 2: case 3: case 4: case 5: case 6: case 56:
    case 85: case 86: case 87: case 88: case 89: case 92:
        Poly(type, r);
        return;
    case 7: case 8: case 90: case 91: PolyPoly(type, r); return;
    case 9: if (need(16)) model.SetWindowExt(r.I32(8), r.I32(12)); return;
    case 10: if (need(16)) model.SetWindowOrg(r.I32(8), r.I32(12)); return;
    case 11: if (need(16)) model.SetViewportExt(r.I32(8), r.I32(12)); return;
    case 12: if (need(16)) model.SetViewportOrg(r.I32(8), r.I32(12)); return;
    case 15: if (need(20)) model.SetPixel(Point(r, 8), r.U32(16)); return;
    case 17: if (need(12)) model.SetMapMode(r.I32(8)); return;
    case 18: if (need(12)) model.SetBkMode(r.I32(8)); return;
    case 19: if (need(12)) model.SetPolyFillMode(r.I32(8)); return;
    case 20: if (need(12)) model.SetRop2(r.I32(8)); return;
    case 21: if (need(12)) model.SetStretchBltMode(r.I32(8)); return;
    case 22: if (need(12)) model.SetTextAlign(r.U32(8)); return;
    case 24: if (need(12)) model.SetTextColour(r.U32(8)); return;
    case 25: if (need(12)) model.SetBkColour(r.U32(8)); return;
    case 27: if (need(16)) model.MoveTo(Point(r, 8)); return;
    case 29: if (need(24)) model.ExcludeClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 30: if (need(24)) model.IntersectClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 31: if (need(24)) model.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 32: if (need(24)) model.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 33: model.SaveDC(); return;
    case 34: if (need(12)) model.RestoreDC(r.I32(8)); return;
    case 35: if (need(32)) model.SetWorldTransform(Xform(r, 8)); return;
    case 36: if (need(36)) model.ModifyWorldTransform(Xform(r, 8), r.U32(32)); return;
    case 37: case 48: if (need(12)) model.SelectObject(r.U32(8)); return;
    case 40: if (need(12)) model.DeleteObject(r.U32(8)); return;
    case 38: case 39: case 49: case 82: case 93: case 94: case 95: CreateObject(type, r); return;
    case 41:
        if (need(28)) model.AngleArc(Point(r, 8), r.U32(16), r.F32(20), r.F32(24));
        return;
    case 42: if (need(24)) model.Ellipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 43: if (need(24)) model.Rectangle(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); return;
    case 44:
        if (need(32)) model.RoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28));
        return;
    case 45: case 46: case 47: case 55: {
        if (!need(40)) return;
        const ArcKind kind = type == 45 ? ArcKind::Arc : type == 46 ? ArcKind::Chord : type == 47 ? ArcKind::Pie
                                                                                                : ArcKind::ArcTo;
        model.ArcShape(kind, r.I32(8), r.I32(12), r.I32(16), r.I32(20), Point(r, 24), Point(r, 32));
        return;
    }
    case 54: if (need(16)) model.LineTo(Point(r, 8)); return;
    case 57: if (need(12)) model.SetArcDirection(r.I32(8)); return;
    case 58: {
        if (!need(12)) return;
        // Written as an integer by some programs and as a float by others.
        const std::uint32_t raw = r.U32(8);
        model.SetMiterLimit(raw > 0xFFFF ? double(r.F32(8)) : double(raw));
        return;
    }
    case 59: model.BeginPath(); return;
    case 60: model.EndPath(); return;
    case 61: model.CloseFigure(); return;
    case 62: model.FillPath(); return;
    case 63: model.StrokeAndFillPath(); return;
    case 64: model.StrokePath(); return;
    case 67: if (need(12)) model.SelectClipPath(r.U32(8)); return;
    case 68: model.AbortPath(); return;
    case 75: ClipRegion(r); return;
    case 76: case 77: case 80: case 81: Bitmap(type, r); return;
    case 83: case 84: Text(type, r); return;
    default: return;
    }
}

void EmfReader::Poly(std::uint32_t type, RecordView r)
{
    if (r.Size() < kPointsOffset) return;
    const bool small = type >= 85;
    const std::uint32_t count = r.U32(24);
    const std::size_t pointSize = small ? 4 : 8;
    if (!r.HasItems(kPointsOffset, count, pointSize)) return;
    const std::vector<GdiPoint> points = Points(r, kPointsOffset, count, small);
    switch (small ? type - 83 : type) {
    case 2: model.PolyBezier(points, false); return;
    case 3: model.Polygon(points); return;
    case 4: model.Polyline(points, false); return;
    case 5: model.PolyBezier(points, true); return;
    case 6: model.Polyline(points, true); return;
    default: {
        const std::size_t typesAt = kPointsOffset + count * pointSize;
        if (!r.HasItems(typesAt, count, 1)) return;
        model.PolyDraw(points, std::vector<std::uint8_t>(r.Data() + typesAt, r.Data() + typesAt + count));
        return;
    }
    }
}

void EmfReader::PolyPoly(std::uint32_t type, RecordView r)
{
    if (r.Size() < 32) return;
    const bool small = type >= 90;
    const std::size_t pointSize = small ? 4 : 8;
    const std::uint32_t figures = r.U32(24);
    const std::uint32_t total = r.U32(28);
    if (!r.HasItems(32, figures, 4)) return;
    const std::size_t pointsAt = 32 + std::size_t(figures) * 4;
    if (!r.HasItems(pointsAt, total, pointSize)) return;
    std::vector<std::vector<GdiPoint>> shapes;
    std::uint64_t used = 0;
    for (std::uint32_t i = 0; i < figures; ++i) {
        const std::uint32_t count = r.U32(32 + 4 * i);
        if (used + count > total) return;
        shapes.push_back(Points(r, pointsAt + used * pointSize, count, small));
        used += count;
    }
    if (type == 8 || type == 91) {
        model.PolyPolygon(shapes);
    } else {
        for (const auto& line : shapes) model.Polyline(line, false);
    }
}

void EmfReader::CreateObject(std::uint32_t type, RecordView r)
{
    if (r.Size() < 12) return;
    const std::uint32_t index = r.U32(8);
    switch (type) {
    case 38: {
        if (r.Size() < 28) return;
        model.PutObject(index, GdiPen{r.U32(12), std::abs(double(r.I32(16))), r.U32(24)});
        return;
    }
    case 95: {
        if (r.Size() < 52) return;
        const std::uint32_t style = r.U32(28);
        GdiPen pen{style, (style & 0x10000) ? double(r.U32(32)) : 0.0, r.U32(40)};
        // A pen whose brush paints nothing draws nothing.
        if (r.U32(36) == 1) pen.style = (style & ~kPenStyleMask) | kPenNull;
        model.PutObject(index, pen);
        return;
    }
    case 39: {
        if (r.Size() < 24) return;
        GdiBrush brush;
        const std::uint32_t style = r.U32(12);
        brush.colour = r.U32(16);
        brush.hatch = r.U32(20);
        brush.kind = style == 1 ? GdiBrush::Kind::Null : style == 2 ? GdiBrush::Kind::Hatched : GdiBrush::Kind::Solid;
        model.PutObject(index, brush);
        return;
    }
    case 93:
    case 94: {
        if (r.Size() < 32) return;
        GdiBrush brush;
        brush.colour = 0x808080;
        brush.pattern = DibAt(r, 16, 24);
        if (brush.pattern) brush.kind = GdiBrush::Kind::Pattern;
        model.PutObject(index, brush);
        return;
    }
    case 49: model.PutObject(index, PaletteEntries(r.Sub(16, r.Size()), r.U16(14))); return;
    default: {
        if (r.Size() < 104) return;
        GdiFont font;
        font.height = r.I32(12);
        font.width = r.I32(16);
        font.escapement = r.I32(20);
        font.weight = r.I32(28);
        font.italic = r.U8(32);
        font.underline = r.U8(33);
        font.strikeOut = r.U8(34);
        font.charset = r.U8(35);
        font.pitchAndFamily = r.U8(39);
        for (std::size_t i = 0; i < 32; ++i) {
            const std::uint16_t c = r.U16(40 + 2 * i);
            if (c == 0) break;
            font.face += c < 0x80 ? char(c) : '?';
        }
        model.PutObject(index, font);
        return;
    }
    }
}

void EmfReader::Text(std::uint32_t type, RecordView r)
{
    if (r.Size() < 76) return;
    const GdiPoint at = Point(r, 36);
    const std::uint32_t count = r.U32(44);
    const std::uint32_t stringAt = r.U32(48);
    const std::uint32_t options = r.U32(52);
    const double rect[4] = {double(r.I32(56)), double(r.I32(60)), double(r.I32(64)), double(r.I32(68))};
    const std::uint32_t dxAt = r.U32(72);
    const bool wide = type == 84;
    // Glyph numbers of a font we do not have say nothing about the characters.
    if (options & 0x10) return;
    if (!r.HasItems(stringAt, count, wide ? 2 : 1)) return;
    const RecordView chars = r.Sub(stringAt, std::size_t(count) * (wide ? 2 : 1));
    const std::string text = wide ? Utf16ToUtf8(chars, count, model.Charset()) : AnsiToUtf8(chars, count, model.Charset());
    // With ETO_PDY (0x2000) each character has a horizontal and a vertical advance.
    const std::size_t step = (options & 0x2000) ? 8 : 4;
    std::vector<double> dx;
    if (dxAt != 0 && r.HasItems(dxAt, count, step)) {
        for (std::uint32_t i = 0; i < count; ++i) dx.push_back(r.I32(dxAt + step * i));
    }
    model.Text(at, text, dx, options, (options & 6) ? rect : nullptr);
}

void EmfReader::Bitmap(std::uint32_t type, RecordView r)
{
    if (type == 76 || type == 77) {
        if (r.Size() < (type == 76 ? 100u : 108u)) return;
        const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
        const std::uint32_t rop = r.U32(40);
        if (r.U32(88) == 0) {
            model.PatBlt(x, y, cx, cy, rop);
            return;
        }
        const auto picture = DibAt(r, 84, 92);
        if (!picture) return;
        const double srcWidth = type == 77 ? r.I32(100) : cx;
        const double srcHeight = type == 77 ? r.I32(104) : cy;
        model.Bitmap(*picture, r.I32(44), r.I32(48), srcWidth, srcHeight, x, y, cx, cy, rop);
        return;
    }
    if (r.Size() < (type == 81 ? 80u : 76u)) return;
    const auto picture = DibAt(r, 48, 56);
    if (!picture) return;
    const double srcWidth = r.I32(40);
    const double srcHeight = r.I32(44);
    // The source rectangle of a DIB counts rows from its bottom.
    const double srcTop = picture->GetHeight() - r.I32(36) - srcHeight;
    const double width = type == 81 ? r.I32(72) : srcWidth;
    const double height = type == 81 ? r.I32(76) : srcHeight;
    const std::uint32_t rop = type == 81 ? r.U32(68) : 0xCC0020;
    model.Bitmap(*picture, r.I32(32), srcTop, srcWidth, srcHeight, r.I32(24), r.I32(28), width, height, rop);
}

void EmfReader::ClipRegion(RecordView r)
{
    if (r.Size() < 16) return;
    const std::uint32_t dataSize = r.U32(8);
    const std::uint32_t mode = r.U32(12);
    if (dataSize == 0) {
        if (mode == 5) model.ResetClip();
        return;
    }
    if (r.Size() < 48) return;
    const std::uint32_t count = r.U32(24);
    if (!r.HasItems(48, count, 16)) return;
    std::vector<double> ltrb;
    ltrb.reserve(std::size_t(count) * 4);
    for (std::size_t i = 0; i < std::size_t(count) * 4; ++i) ltrb.push_back(r.I32(48 + 4 * i));
    model.ClipDeviceRects(ltrb, mode);
}
