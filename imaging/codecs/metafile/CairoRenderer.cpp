#include "CairoRenderer.h"

#include "CairoLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>

namespace {

// A metafile may draw far more than it costs to store (a full-size fill takes a dozen bytes):
// the area drawn is counted, and drawing stops when one picture has cost this much.
constexpr double kPixelBudget = double(std::int64_t(1) << 31);
constexpr double kOperationCost = 64;

void SetColour(cairo_t* cr, ColorRef colour)
{
    Cairo().set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                           ((colour >> 16) & 0xFF) / 255.0);
}

cairo_operator_t Operator(PaintMode mode)
{
    switch (mode) {
    case PaintMode::Multiply: return CAIRO_OPERATOR_MULTIPLY;
    case PaintMode::Lighten: return CAIRO_OPERATOR_LIGHTEN;
    case PaintMode::Difference: return CAIRO_OPERATOR_DIFFERENCE;
    default: return CAIRO_OPERATOR_OVER;
    }
}

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
};

Box Bounds(const GdiPath& path)
{
    Box box;
    if (path.points.empty()) return box;
    box = {path.points[0].x, path.points[0].y, path.points[0].x, path.points[0].y};
    for (const GdiPoint& p : path.points) {
        box.left = std::min(box.left, p.x);
        box.right = std::max(box.right, p.x);
        box.top = std::min(box.top, p.y);
        box.bottom = std::max(box.bottom, p.y);
    }
    return box;
}

// The family fontconfig should look for: the metric-compatible free fonts for the common faces.
const char* Family(const GdiFont& font)
{
    static constexpr struct {
        const char* face;
        const char* family;
    } kFaces[] = {
        {"Arial", "Liberation Sans"}, {"Helvetica", "Liberation Sans"}, {"Swiss", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"}, {"Tahoma", "Liberation Sans"}, {"Verdana", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"}, {"Roman", "Liberation Serif"},
        {"MS Serif", "Liberation Serif"}, {"Courier New", "Liberation Mono"}, {"Courier", "Liberation Mono"},
        {"Modern", "Liberation Mono"},
        // Symbol text reaches us as Unicode Greek and operators, which the serif face holds.
        {"Symbol", "Liberation Serif"},
    };
    for (const auto& known : kFaces)
        if (strcasecmp(font.face.c_str(), known.face) == 0) return known.family;
    if (!font.face.empty()) return font.face.c_str();
    switch (font.pitchAndFamily & 0xF0) {
    case 0x10: return "Liberation Serif";
    case 0x30: return "Liberation Mono";
    default: return "Liberation Sans";
    }
}

// Average character width of the faces we draw with, in ems: what a font's width is measured by.
double AverageWidth(const char* family)
{
    if (std::strcmp(family, "Liberation Mono") == 0) return 0.6;
    if (std::strcmp(family, "Liberation Serif") == 0) return 0.4;
    return 0.44;
}

// Lengths of one dash cycle: fixed pixel patterns for thin pens, multiples of the width for wide ones.
std::vector<double> DashPattern(std::uint32_t style, double width)
{
    const bool thin = width <= 1.5;
    const double unit = thin ? 1 : width;
    switch (style & kPenStyleMask) {
    case kPenDash: return thin ? std::vector<double>{18, 6} : std::vector<double>{3 * unit, unit};
    case kPenDot: return thin ? std::vector<double>{3, 3} : std::vector<double>{unit, unit};
    case kPenDashDot: return thin ? std::vector<double>{9, 6, 3, 6} : std::vector<double>{3 * unit, unit, unit, unit};
    case kPenDashDotDot:
        return thin ? std::vector<double>{9, 3, 3, 3, 3, 3} : std::vector<double>{3 * unit, unit, unit, unit, unit, unit};
    default: return {};
    }
}

cairo_surface_t* HatchSurface(const FillStyle& fill)
{
    cairo_surface_t* tile = Cairo().image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* cr = Cairo().create(tile);
    if (fill.opaqueBackground) {
        SetColour(cr, fill.background);
        Cairo().paint(cr);
    }
    SetColour(cr, fill.brush.colour);
    Cairo().set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    Cairo().set_line_width(cr, 1);
    const std::uint32_t hatch = fill.brush.hatch;
    if (hatch == 0 || hatch == 4) {
        Cairo().move_to(cr, 0, 3.5);
        Cairo().line_to(cr, 8, 3.5);
    }
    if (hatch == 1 || hatch == 4) {
        Cairo().move_to(cr, 3.5, 0);
        Cairo().line_to(cr, 3.5, 8);
    }
    Cairo().stroke(cr);
    for (int i = 0; i < 8; ++i) {
        if (hatch == 2 || hatch == 5) Cairo().rectangle(cr, i, i, 1, 1);
        if (hatch == 3 || hatch == 5) Cairo().rectangle(cr, 7 - i, i, 1, 1);
    }
    Cairo().fill(cr);
    Cairo().destroy(cr);
    return tile;
}

// The picture's pixels as a Cairo image, top row first; null when it cannot be made.
cairo_surface_t* SurfaceOf(const Picture& picture)
{
    const int w = picture.GetWidth();
    const int h = picture.GetHeight();
    cairo_surface_t* image = Cairo().image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (Cairo().surface_status(image) != CAIRO_STATUS_SUCCESS) {
        Cairo().surface_destroy(image);
        return nullptr;
    }
    Cairo().surface_flush(image);
    std::uint8_t* data = Cairo().image_surface_get_data(image);
    const int stride = Cairo().image_surface_get_stride(image);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < w; ++x) {
            const RgbQuad c = picture.GetPixelColor(x, h - 1 - y);
            row[x] = std::uint32_t(c.red) << 16 | std::uint32_t(c.green) << 8 | c.blue;
        }
    }
    Cairo().surface_mark_dirty(image);
    return image;
}

} // namespace

// Fontconfig, which Cairo asks for fonts, keeps its configuration and font patterns for the life
// of the process in a form the leak checker cannot follow. Read only in builds with the checker.
extern "C" const char* __lsan_default_suppressions() // NOLINT(bugprone-reserved-identifier): the checker's hook
{
    return "leak:libfontconfig.so\n";
}

CairoRenderer::CairoRenderer(int pixelsWide, int pixelsHigh)
    : width(pixelsWide), height(pixelsHigh), budget(kPixelBudget)
{
    if (!CairoLibrary::Load()) return;
    surface = Cairo().image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (Cairo().surface_status(surface) != CAIRO_STATUS_SUCCESS) return;
    cr = Cairo().create(surface);
    if (Cairo().status(cr) != CAIRO_STATUS_SUCCESS) {
        Cairo().destroy(cr);
        cr = nullptr;
        return;
    }
    // The screen's window colour behind the drawing.
    Cairo().set_source_rgb(cr, 1, 1, 1);
    Cairo().paint(cr);
}

CairoRenderer::~CairoRenderer()
{
    if (cr) Cairo().destroy(cr);
    if (surface) Cairo().surface_destroy(surface);
}

void CairoRenderer::SetClip(const std::vector<ClipShape>& shapes, std::uint64_t version)
{
    if (version == clipVersion) return;
    clip = shapes;
    clipVersion = version;
    clipApplied = false;
}

bool CairoRenderer::Afford(double pixels)
{
    if (!cr || budget <= 0) return false;
    budget -= kOperationCost + pixels;
    return budget > 0;
}

void CairoRenderer::AddPath(const GdiPath& path)
{
    std::size_t point = 0;
    for (const GdiPath::Op op : path.ops) {
        switch (op) {
        case GdiPath::Op::Move:
            Cairo().move_to(cr, path.points[point].x, path.points[point].y);
            ++point;
            break;
        case GdiPath::Op::Line:
            Cairo().line_to(cr, path.points[point].x, path.points[point].y);
            ++point;
            break;
        case GdiPath::Op::Curve:
            Cairo().curve_to(cr, path.points[point].x, path.points[point].y, path.points[point + 1].x,
                           path.points[point + 1].y, path.points[point + 2].x, path.points[point + 2].y);
            point += 3;
            break;
        case GdiPath::Op::Close:
            Cairo().close_path(cr);
            break;
        }
    }
}

void CairoRenderer::BeginOperation(PaintMode mode)
{
    // The clip stays applied between operations: Cairo keeps what it derived from it.
    if (!clipApplied) {
        Cairo().reset_clip(cr);
        ApplyClip();
        clipApplied = true;
    }
    Cairo().save(cr);
    Cairo().set_operator(cr, Operator(mode));
}

void CairoRenderer::ApplyClip()
{
    for (const ClipShape& shape : clip) {
        Cairo().new_path(cr);
        if (shape.exclude) {
            Cairo().rectangle(cr, -1, -1, width + 2.0, height + 2.0);
            Cairo().set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        } else {
            Cairo().set_fill_rule(cr, shape.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        }
        AddPath(shape.path);
        Cairo().clip(cr);
    }
    Cairo().new_path(cr);
    Cairo().set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void CairoRenderer::EndOperation()
{
    Cairo().restore(cr);
}

namespace {

double VisibleArea(const Box& box, int width, int height)
{
    const double w = std::min<double>(box.right, width) - std::max<double>(box.left, 0);
    const double h = std::min<double>(box.bottom, height) - std::max<double>(box.top, 0);
    return w > 0 && h > 0 ? w * h : 0;
}

} // namespace

void CairoRenderer::Fill(const GdiPath& path, const FillStyle& fill, PaintMode mode)
{
    if (mode == PaintMode::Nothing || fill.brush.kind == GdiBrush::Kind::Null || path.Empty()) return;
    const Picture* pattern = fill.brush.kind == GdiBrush::Kind::Pattern ? fill.brush.pattern.get() : nullptr;
    const double patternPixels = pattern ? double(pattern->GetWidth()) * pattern->GetHeight() : 0;
    if (!Afford(VisibleArea(Bounds(path), width, height) + double(path.points.size()) + patternPixels)) return;
    BeginOperation(mode);
    Cairo().set_fill_rule(cr, fill.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_surface_t* tile = nullptr;
    if (fill.brush.kind == GdiBrush::Kind::Hatched) tile = HatchSurface(fill);
    else if (pattern) tile = SurfaceOf(*pattern);
    if (tile) {
        cairo_pattern_t* repeated = Cairo().pattern_create_for_surface(tile);
        Cairo().pattern_set_extend(repeated, CAIRO_EXTEND_REPEAT);
        Cairo().pattern_set_filter(repeated, CAIRO_FILTER_NEAREST);
        Cairo().set_source(cr, repeated);
        Cairo().pattern_destroy(repeated);
        Cairo().surface_destroy(tile);
    } else {
        SetColour(cr, fill.brush.colour);
    }
    AddPath(path);
    Cairo().fill(cr);
    EndOperation();
}

void CairoRenderer::Stroke(const GdiPath& path, const StrokeStyle& stroke, PaintMode mode)
{
    if (mode == PaintMode::Nothing || (stroke.style & kPenStyleMask) == kPenNull || path.Empty()) return;
    const Box box = Bounds(path);
    const double lineWidth = std::clamp(stroke.width, 1.0, 1e5);
    const Box wide{box.left - lineWidth, box.top - lineWidth, box.right + lineWidth, box.bottom + lineWidth};
    if (!Afford(VisibleArea(wide, width, height) + double(path.points.size()))) return;
    BeginOperation(mode);
    Cairo().set_line_width(cr, lineWidth);
    const std::uint32_t cap = stroke.style & kPenEndCapMask;
    const std::uint32_t join = stroke.style & kPenJoinMask;
    Cairo().set_line_cap(cr, cap == kPenEndSquare ? CAIRO_LINE_CAP_SQUARE : cap == kPenEndFlat ? CAIRO_LINE_CAP_BUTT
                                                                                             : CAIRO_LINE_CAP_ROUND);
    Cairo().set_line_join(cr, join == kPenJoinBevel   ? CAIRO_LINE_JOIN_BEVEL
                              : join == kPenJoinMiter ? CAIRO_LINE_JOIN_MITER
                                                      : CAIRO_LINE_JOIN_ROUND);
    Cairo().set_miter_limit(cr, std::clamp(stroke.miterLimit, 1.0, 100.0));
    // Dashing a line much longer than the picture costs time for dashes nobody sees: such lines
    // are drawn solid.
    const std::vector<double> dashes = DashPattern(stroke.style, lineWidth);
    const double extent = (box.right - box.left) + (box.bottom - box.top);
    const bool dashed = !dashes.empty() && extent < 64.0 * (width + height);
    // A one-pixel line through pixel centres covers one row of pixels, not two half-grey ones.
    GdiPath snapped;
    const GdiPath* drawn = &path;
    if (lineWidth <= 1.5) {
        snapped = path;
        for (GdiPoint& p : snapped.points) p = {std::floor(p.x) + 0.5, std::floor(p.y) + 0.5};
        drawn = &snapped;
    }
    if (dashed && stroke.opaqueGaps) {
        SetColour(cr, stroke.background);
        AddPath(*drawn);
        Cairo().stroke(cr);
    }
    if (dashed) Cairo().set_dash(cr, dashes.data(), int(dashes.size()), 0);
    SetColour(cr, stroke.colour);
    AddPath(*drawn);
    Cairo().stroke(cr);
    EndOperation();
}

namespace {

// Start of the next UTF-8 character after position i.
std::size_t NextCharacter(const std::string& text, std::size_t i)
{
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    return i;
}

} // namespace

double CairoRenderer::Text(const TextRun& run)
{
    if (run.utf8.empty() || !(run.size > 0.1)) return 0;
    // The em is held to what the picture can show, both ways. FreeType refuses more than 65535 pixels
    // an em, and Cairo then draws nothing more and loses the glyph table it made for the font.
    constexpr double kLargestEm = 4096;
    double size = std::min({run.size, 2.0 * std::max(width, height), kLargestEm});
    if (!Afford(size * size * double(run.utf8.size()))) return 0;
    BeginOperation(PaintMode::Copy);
    const char* family = Family(run.font);
    Cairo().select_font_face(cr, family, run.font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           run.font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    if (run.cellHeight) {
        // The size asked for is ascent plus descent; the face tells what em that is.
        Cairo().set_font_size(cr, size);
        cairo_font_extents_t cell;
        Cairo().font_extents(cr, &cell);
        if (cell.ascent + cell.descent > 0) size = std::min(size * size / (cell.ascent + cell.descent), kLargestEm);
    }
    const double stretch = run.averageWidth > 0 ? run.averageWidth / (AverageWidth(family) * size) : run.widthScale;
    cairo_matrix_t fontMatrix;
    const double across = std::min(size * std::clamp(stretch, 0.05, 20.0), kLargestEm);
    Cairo().matrix_init_scale(&fontMatrix, across, size);
    Cairo().set_font_matrix(cr, &fontMatrix);
    // Large glyphs are filled as outlines: as images they would stay in Cairo's glyph cache for the
    // life of the process, up to 16 MB each.
    const bool outlined = std::max(across, size) > 256;
    if (outlined) Cairo().set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    const auto show = [&](const char* utf8) {
        if (outlined) Cairo().text_path(cr, utf8);
        else Cairo().show_text(cr, utf8);
    };
    Cairo().translate(cr, run.origin.x, run.origin.y);
    Cairo().rotate(cr, run.angle);

    double total = 0;
    if (run.advances.empty()) {
        cairo_text_extents_t extents;
        Cairo().text_extents(cr, run.utf8.c_str(), &extents);
        total = extents.x_advance;
    } else {
        for (double advance : run.advances) total += advance;
    }
    cairo_font_extents_t font;
    Cairo().font_extents(cr, &font);
    double x = 0;
    if ((run.align & kAlignHorizontalMask) == kAlignCenter) x = -total / 2;
    else if ((run.align & kAlignHorizontalMask) == kAlignRight) x = -total;
    double y = 0;
    if ((run.align & kAlignVerticalMask) == 0) y = font.ascent;
    else if ((run.align & kAlignVerticalMask) == kAlignBottom) y = -font.descent;

    if (run.opaque) {
        SetColour(cr, run.background);
        Cairo().rectangle(cr, x, y - font.ascent, total, font.ascent + font.descent);
        Cairo().fill(cr);
    }
    SetColour(cr, run.colour);
    if (run.advances.empty()) {
        Cairo().move_to(cr, x, y);
        show(run.utf8.c_str());
    } else {
        double pen = x;
        std::size_t index = 0;
        for (std::size_t i = 0; i < run.utf8.size(); ++index) {
            const std::size_t next = NextCharacter(run.utf8, i);
            const std::string character = run.utf8.substr(i, next - i);
            Cairo().move_to(cr, pen, y);
            show(character.c_str());
            if (index < run.advances.size()) pen += run.advances[index];
            i = next;
        }
    }
    const double thickness = std::max(1.0, size / 14);
    if (run.font.underline) Cairo().rectangle(cr, x, y + thickness, total, thickness);
    if (run.font.strikeOut) Cairo().rectangle(cr, x, y - font.ascent / 3, total, thickness);
    Cairo().fill(cr);
    EndOperation();
    return total;
}

void CairoRenderer::Image(const Picture& picture, double srcX, double srcY, double srcWidth, double srcHeight,
                          GdiPoint origin, GdiPoint across, GdiPoint down, PaintMode mode, bool smooth)
{
    if (mode == PaintMode::Nothing || !picture.IsValid() || srcWidth == 0 || srcHeight == 0) return;
    GdiPath outline;
    outline.MoveTo(origin);
    outline.LineTo({origin.x + across.x, origin.y + across.y});
    outline.LineTo({origin.x + across.x + down.x, origin.y + across.y + down.y});
    outline.LineTo({origin.x + down.x, origin.y + down.y});
    outline.Close();
    if (!Afford(VisibleArea(Bounds(outline), width, height) + double(picture.GetWidth()) * picture.GetHeight())) return;
    // Source pixel (u, v) lands at origin + (u - srcX) / srcWidth * across + (v - srcY) / srcHeight * down.
    cairo_matrix_t toOutput;
    Cairo().matrix_init(&toOutput, across.x / srcWidth, across.y / srcWidth, down.x / srcHeight, down.y / srcHeight,
                      origin.x, origin.y);
    Cairo().matrix_translate(&toOutput, -srcX, -srcY);
    cairo_matrix_t toSource = toOutput;
    if (Cairo().matrix_invert(&toSource) != CAIRO_STATUS_SUCCESS) return;
    cairo_surface_t* image = SurfaceOf(picture);
    if (!image) return;
    BeginOperation(mode);
    cairo_pattern_t* pattern = Cairo().pattern_create_for_surface(image);
    Cairo().pattern_set_matrix(pattern, &toSource);
    Cairo().pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    Cairo().pattern_set_filter(pattern, smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    Cairo().set_source(cr, pattern);
    AddPath(outline);
    Cairo().fill(cr);
    Cairo().pattern_destroy(pattern);
    Cairo().surface_destroy(image);
    EndOperation();
}

bool CairoRenderer::CopyTo(Picture& picture) const
{
    if (!cr) return false;
    if (!picture.Create(width, height, 24, ImageFormat::Wmf)) return false;
    Cairo().surface_flush(surface);
    const std::uint8_t* data = Cairo().image_surface_get_data(surface);
    const int stride = Cairo().image_surface_get_stride(surface);
    std::uint8_t* bits = picture.GetBits();
    const std::uint32_t rowStride = picture.GetEffWidth();
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        std::uint8_t* out = bits + std::size_t(height - 1 - y) * rowStride;
        for (int x = 0; x < width; ++x) {
            out[3 * std::size_t(x)] = std::uint8_t(in[x]);
            out[3 * x + 1] = std::uint8_t(in[x] >> 8);
            out[3 * x + 2] = std::uint8_t(in[x] >> 16);
        }
    }
    return true;
}
