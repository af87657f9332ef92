#include "GdiModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Cairo keeps coordinates as 24.8 fixed point; points far outside the picture are pulled in so
// that hostile values neither wrap around nor make curves that take forever to flatten.
constexpr double kCoordinateLimit = double(1 << 22);
// Saved states and clip steps are copied on every save: both are bounded so that a small file
// cannot make the copies large.
constexpr std::size_t kMaxSavedStates = 64;
constexpr std::size_t kMaxClipShapes = 64;
constexpr std::size_t kMaxClipPoints = 16384;
constexpr double kPi = std::numbers::pi;

double Limit(double v)
{
    if (std::isnan(v)) return 0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

GdiMatrix Translation(double x, double y)
{
    return {1, 0, 0, 1, x, y};
}

GdiMatrix Scaling(double x, double y)
{
    return {x, 0, 0, y, 0, 0};
}

double NonZero(double v)
{
    return v == 0 ? 1 : v;
}

// Raster operation codes keep the operation in their third byte.
PaintMode SourceMode(std::uint32_t rop)
{
    switch ((rop >> 16) & 0xFF) {
    case 0x88: return PaintMode::Multiply;   // source and destination
    case 0xEE: return PaintMode::Lighten;    // source or destination
    case 0x66: return PaintMode::Difference; // source xor destination
    case 0xAA: return PaintMode::Nothing;    // destination unchanged
    default: return PaintMode::Copy;
    }
}

} // namespace

GdiModel::GdiModel(CairoRenderer& target) : renderer(target)
{
    state.font.height = 12;
}

void GdiModel::LockViewportToOutput()
{
    viewportLocked = true;
    state.mapMode = 8;
    state.viewportOrg = {0, 0};
    state.viewportExt = {double(renderer.Width()), double(renderer.Height())};
}

void GdiModel::SetDeviceResolution(double perMmX, double perMmY)
{
    if (perMmX > 0 && std::isfinite(perMmX)) pixelsPerMmX = perMmX;
    if (perMmY > 0 && std::isfinite(perMmY)) pixelsPerMmY = perMmY;
}

void GdiModel::SetMapMode(int mode)
{
    if (!viewportLocked && mode >= 1 && mode <= 8) state.mapMode = mode;
}

void GdiModel::SetWindowOrg(double x, double y)
{
    state.windowOrg = {x, y};
}

void GdiModel::SetWindowExt(double x, double y)
{
    if (x != 0 && y != 0) state.windowExt = {x, y};
}

void GdiModel::SetViewportOrg(double x, double y)
{
    if (!viewportLocked) state.viewportOrg = {x, y};
}

void GdiModel::SetViewportExt(double x, double y)
{
    if (!viewportLocked && x != 0 && y != 0) state.viewportExt = {x, y};
}

void GdiModel::OffsetWindowOrg(double x, double y)
{
    state.windowOrg = {state.windowOrg.x + x, state.windowOrg.y + y};
}

void GdiModel::OffsetViewportOrg(double x, double y)
{
    if (!viewportLocked) state.viewportOrg = {state.viewportOrg.x + x, state.viewportOrg.y + y};
}

void GdiModel::ScaleWindowExt(double xNum, double xDen, double yNum, double yDen)
{
    SetWindowExt(state.windowExt.x * xNum / NonZero(xDen), state.windowExt.y * yNum / NonZero(yDen));
}

void GdiModel::ScaleViewportExt(double xNum, double xDen, double yNum, double yDen)
{
    SetViewportExt(state.viewportExt.x * xNum / NonZero(xDen), state.viewportExt.y * yNum / NonZero(yDen));
}

void GdiModel::SetWorldTransform(const GdiMatrix& transform)
{
    const double values[] = {transform.xx, transform.yx, transform.xy, transform.yy, transform.dx, transform.dy};
    for (double v : values)
        if (!std::isfinite(v)) return;
    if (transform.Determinant() == 0) return;
    state.world = transform;
}

void GdiModel::ModifyWorldTransform(const GdiMatrix& transform, std::uint32_t mode)
{
    switch (mode) {
    case 1: state.world = GdiMatrix(); break;
    // Left-multiplying applies the new transform first.
    case 2: SetWorldTransform(state.world.After(transform)); break;
    case 3: SetWorldTransform(transform.After(state.world)); break;
    case 4: SetWorldTransform(transform); break;
    default: break;
    }
}

void GdiModel::SaveDC()
{
    if (saved.size() < kMaxSavedStates) saved.push_back(state);
}

void GdiModel::RestoreDC(int which)
{
    const std::int64_t depth = std::int64_t(saved.size());
    const std::int64_t target = which < 0 ? depth + which : std::int64_t(which) - 1;
    if (which == 0 || target < 0 || target >= depth) return;
    state = saved[std::size_t(target)];
    saved.resize(std::size_t(target));
}

GdiMatrix GdiModel::Transform() const
{
    double sx = 1;
    double sy = 1;
    switch (state.mapMode) {
    case 2: sx = 0.1; sy = -0.1; break;
    case 3: sx = 0.01; sy = -0.01; break;
    case 4: sx = 0.254; sy = -0.254; break;
    case 5: sx = 0.0254; sy = -0.0254; break;
    case 6: sx = 25.4 / 1440; sy = -25.4 / 1440; break;
    case 7:
    case 8:
        sx = state.viewportExt.x / state.windowExt.x;
        sy = state.viewportExt.y / state.windowExt.y;
        break;
    default: break;
    }
    if (state.mapMode >= 2 && state.mapMode <= 6) {
        sx *= pixelsPerMmX;
        sy *= pixelsPerMmY;
    }
    if (state.mapMode == 7) {
        // Isotropic: the smaller scale serves both axes, each keeping its direction.
        const double scale = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(scale, sx);
        sy = std::copysign(scale, sy);
    }
    const GdiMatrix mapping = Translation(state.viewportOrg.x, state.viewportOrg.y)
                                  .After(Scaling(sx, sy))
                                  .After(Translation(-state.windowOrg.x, -state.windowOrg.y));
    return output.After(mapping).After(state.world);
}

GdiPoint GdiModel::ToOutput(GdiPoint p) const
{
    const GdiPoint q = Transform().Apply(p);
    return {Limit(q.x), Limit(q.y)};
}

GdiPath GdiModel::ToOutput(const GdiPath& logical) const
{
    const GdiMatrix m = Transform();
    GdiPath result;
    result.ops = logical.ops;
    result.points.reserve(logical.points.size());
    for (const GdiPoint& p : logical.points) {
        const GdiPoint q = m.Apply(p);
        result.points.push_back({Limit(q.x), Limit(q.y)});
    }
    return result;
}

ColorRef GdiModel::Resolve(ColorRef colour) const
{
    if ((colour >> 24) == 1) {
        const std::size_t index = colour & 0xFFFF;
        return index < palette.size() ? palette[index] & 0xFFFFFF : 0;
    }
    return colour & 0xFFFFFF;
}

PaintMode GdiModel::PenMode() const
{
    switch (state.rop2) {
    case 11: return PaintMode::Nothing;
    case 6: case 7: return PaintMode::Difference;
    case 9: return PaintMode::Multiply;
    case 15: return PaintMode::Lighten;
    default: return PaintMode::Copy;
    }
}

StrokeStyle GdiModel::Stroke() const
{
    StrokeStyle stroke;
    stroke.style = state.pen.style;
    stroke.colour = Resolve(state.pen.colour);
    if (state.rop2 == 1) stroke.colour = 0;
    if (state.rop2 == 16 || state.rop2 == 6) stroke.colour = 0xFFFFFF;
    const double scale = std::sqrt(std::abs(Transform().Determinant()));
    stroke.width = std::max(1.0, state.pen.width * scale);
    stroke.miterLimit = state.miterLimit;
    stroke.opaqueGaps = state.bkMode == 2;
    stroke.background = Resolve(state.bkColour);
    return stroke;
}

FillStyle GdiModel::Fill() const
{
    FillStyle fill;
    fill.brush = state.brush;
    fill.brush.colour = Resolve(state.brush.colour);
    if (state.rop2 == 1) fill.brush.colour = 0;
    if (state.rop2 == 16 || state.rop2 == 6) fill.brush.colour = 0xFFFFFF;
    fill.opaqueBackground = state.bkMode == 2;
    fill.background = Resolve(state.bkColour);
    fill.evenOdd = state.fillMode != 2;
    return fill;
}

void GdiModel::Paint(const GdiPath& shape, bool fill, bool stroke)
{
    renderer.SetClip(state.clip, state.clipVersion);
    if (fill) renderer.Fill(shape, Fill(), PenMode());
    if (stroke) renderer.Stroke(shape, Stroke(), PenMode());
}

void GdiModel::Draw(const GdiPath& logical, bool fill, bool stroke)
{
    const GdiPath shape = ToOutput(logical);
    if (pathOpen) {
        path.Append(shape);
        figureOpen = !shape.ops.empty() && shape.ops.back() != GdiPath::Op::Close;
        return;
    }
    Paint(shape, fill, stroke);
}

void GdiModel::SetObjectTableSize(std::size_t size)
{
    objects.assign(size, GdiObject());
}

void GdiModel::AddObject(GdiObject object)
{
    for (GdiObject& slot : objects) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(object);
            return;
        }
    }
    // Writers that understate the table size still number their objects this way.
    if (objects.size() < 0xFFFF) objects.push_back(std::move(object));
}

void GdiModel::PutObject(std::uint32_t index, GdiObject object)
{
    if (index < objects.size()) objects[index] = std::move(object);
}

void GdiModel::SelectObject(std::uint32_t index)
{
    if (index & 0x80000000u) {
        SelectStockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (index >= objects.size()) return;
    const GdiObject& object = objects[index];
    if (const auto* pen = std::get_if<GdiPen>(&object)) state.pen = *pen;
    else if (const auto* brush = std::get_if<GdiBrush>(&object)) state.brush = *brush;
    else if (const auto* font = std::get_if<GdiFont>(&object)) state.font = *font;
    else if (const auto* colours = std::get_if<GdiPalette>(&object)) palette = *colours;
}

void GdiModel::SelectStockObject(std::uint32_t stock)
{
    static constexpr ColorRef kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
    if (stock <= 4 || stock == 18) {
        state.brush = GdiBrush{GdiBrush::Kind::Solid, stock == 18 ? 0xFFFFFF : kGreys[stock], 0, nullptr};
    } else if (stock == 5) {
        state.brush = GdiBrush{GdiBrush::Kind::Null, 0, 0, nullptr};
    } else if (stock == 6 || stock == 7 || stock == 19) {
        state.pen = GdiPen{kPenSolid, 0, stock == 6 ? 0xFFFFFFu : 0u};
    } else if (stock == 8) {
        state.pen = GdiPen{kPenNull, 0, 0};
    } else if (stock >= 10 && stock <= 17 && stock != 15) {
        state.font = GdiFont();
        state.font.height = 12;
    }
}

void GdiModel::DeleteObject(std::uint32_t index)
{
    if (index < objects.size()) objects[index] = GdiObject();
}

void GdiModel::MoveTo(GdiPoint p)
{
    state.position = p;
    if (pathOpen) figureOpen = false;
}

void GdiModel::LineTo(GdiPoint p)
{
    GdiPath line;
    if (!pathOpen || !figureOpen) line.MoveTo(state.position);
    line.LineTo(p);
    state.position = p;
    Draw(line, false, true);
}

void GdiModel::Polyline(const std::vector<GdiPoint>& points, bool fromCurrent)
{
    if (points.empty()) return;
    GdiPath line;
    if (fromCurrent) {
        if (!pathOpen || !figureOpen) line.MoveTo(state.position);
        line.LineTo(points[0]);
    } else {
        line.MoveTo(points[0]);
    }
    for (std::size_t i = 1; i < points.size(); ++i) line.LineTo(points[i]);
    if (fromCurrent) state.position = points.back();
    Draw(line, false, true);
}

void GdiModel::Polygon(const std::vector<GdiPoint>& points)
{
    PolyPolygon({points});
}

void GdiModel::PolyPolygon(const std::vector<std::vector<GdiPoint>>& polygons)
{
    GdiPath shape;
    for (const auto& points : polygons) {
        if (points.empty()) continue;
        shape.MoveTo(points[0]);
        for (std::size_t i = 1; i < points.size(); ++i) shape.LineTo(points[i]);
        shape.Close();
    }
    Draw(shape, true, true);
}

void GdiModel::PolyBezier(const std::vector<GdiPoint>& points, bool fromCurrent)
{
    GdiPath curve;
    std::size_t i = 0;
    if (fromCurrent) {
        if (!pathOpen || !figureOpen) curve.MoveTo(state.position);
    } else {
        if (points.empty()) return;
        curve.MoveTo(points[0]);
        i = 1;
    }
    for (; i + 3 <= points.size(); i += 3) curve.CurveTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent && i > 0) state.position = points[i - 1];
    Draw(curve, false, true);
}

void GdiModel::PolyDraw(const std::vector<GdiPoint>& points, const std::vector<std::uint8_t>& types)
{
    GdiPath shape;
    if (!pathOpen || !figureOpen) shape.MoveTo(state.position);
    const std::size_t count = std::min(points.size(), types.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t type = types[i] & 6;
        if (type == 6) {
            shape.MoveTo(points[i]);
        } else if (type == 4 && i + 2 < count) {
            shape.CurveTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            shape.LineTo(points[i]);
        }
        state.position = points[i];
        if (types[i] & 1) shape.Close();
    }
    Draw(shape, false, true);
}

GdiPath GdiModel::RectPath(double left, double top, double right, double bottom) const
{
    GdiPath shape;
    shape.MoveTo({left, top});
    shape.LineTo({right, top});
    shape.LineTo({right, bottom});
    shape.LineTo({left, bottom});
    shape.Close();
    return shape;
}

void GdiModel::Rectangle(double left, double top, double right, double bottom)
{
    Draw(RectPath(left, top, right, bottom), true, true);
}

void GdiModel::AppendArc(GdiPath& shape, double cx, double cy, double rx, double ry, double from, double sweep,
                         bool connect) const
{
    auto at = [&](double t) { return GdiPoint{cx + rx * std::cos(t), cy + ry * std::sin(t)}; };
    if (connect) shape.LineTo(at(from));
    else shape.MoveTo(at(from));
    const int segments = std::max(1, int(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double t0 = from + step * i;
        const double t1 = t0 + step;
        const GdiPoint p0 = at(t0);
        const GdiPoint p1 = at(t1);
        shape.CurveTo({p0.x - k * rx * std::sin(t0), p0.y + k * ry * std::cos(t0)},
                      {p1.x + k * rx * std::sin(t1), p1.y - k * ry * std::cos(t1)}, p1);
    }
}

void GdiModel::RoundRect(double left, double top, double right, double bottom, double cornerWidth,
                         double cornerHeight)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const double rx = std::min(std::abs(cornerWidth) / 2, (right - left) / 2);
    const double ry = std::min(std::abs(cornerHeight) / 2, (bottom - top) / 2);
    GdiPath shape;
    shape.MoveTo({left + rx, top});
    AppendArc(shape, right - rx, top + ry, rx, ry, -kPi / 2, kPi / 2, true);
    AppendArc(shape, right - rx, bottom - ry, rx, ry, 0, kPi / 2, true);
    AppendArc(shape, left + rx, bottom - ry, rx, ry, kPi / 2, kPi / 2, true);
    AppendArc(shape, left + rx, top + ry, rx, ry, kPi, kPi / 2, true);
    shape.Close();
    Draw(shape, true, true);
}

void GdiModel::Ellipse(double left, double top, double right, double bottom)
{
    GdiPath shape;
    AppendArc(shape, (left + right) / 2, (top + bottom) / 2, std::abs(right - left) / 2, std::abs(bottom - top) / 2,
              0, 2 * kPi, false);
    shape.Close();
    Draw(shape, true, true);
}

void GdiModel::ArcShape(ArcKind kind, double left, double top, double right, double bottom, GdiPoint start,
                        GdiPoint end)
{
    const double cx = (left + right) / 2;
    const double cy = (top + bottom) / 2;
    const double rx = std::abs(right - left) / 2;
    const double ry = std::abs(bottom - top) / 2;
    if (rx == 0 || ry == 0) return;
    const double from = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
    const double to = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
    // The direction is the one seen on the output: with the output's y axis pointing down, a
    // rising parameter turns clockwise unless the transform mirrors.
    const bool mirrored = Transform().Determinant() < 0;
    const double turn = (state.arcClockwise != mirrored) ? 1 : -1;
    double sweep = std::fmod(turn > 0 ? to - from : from - to, 2 * kPi);
    if (sweep <= 1e-9) sweep += 2 * kPi;
    sweep *= turn;

    GdiPath shape;
    switch (kind) {
    case ArcKind::Arc:
        AppendArc(shape, cx, cy, rx, ry, from, sweep, false);
        Draw(shape, false, true);
        break;
    case ArcKind::ArcTo:
        if (!pathOpen || !figureOpen) shape.MoveTo(state.position);
        AppendArc(shape, cx, cy, rx, ry, from, sweep, true);
        state.position = shape.points.back();
        Draw(shape, false, true);
        break;
    case ArcKind::Chord:
        AppendArc(shape, cx, cy, rx, ry, from, sweep, false);
        shape.Close();
        Draw(shape, true, true);
        break;
    case ArcKind::Pie:
        shape.MoveTo({cx, cy});
        AppendArc(shape, cx, cy, rx, ry, from, sweep, true);
        shape.Close();
        Draw(shape, true, true);
        break;
    }
}

void GdiModel::AngleArc(GdiPoint centre, double radius, double startDegrees, double sweepDegrees)
{
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees)) return;
    GdiPath shape;
    if (!pathOpen || !figureOpen) shape.MoveTo(state.position);
    const double sweep = std::clamp(sweepDegrees, -3600.0, 3600.0) * kPi / 180;
    // Angles run counter-clockwise from the x axis, which points the other way on a y-down page.
    AppendArc(shape, centre.x, centre.y, radius, radius, -std::fmod(startDegrees, 360.0) * kPi / 180, -sweep, true);
    state.position = shape.points.back();
    Draw(shape, false, true);
}

void GdiModel::SetPixel(GdiPoint p, ColorRef colour)
{
    const GdiPoint at = ToOutput(p);
    GdiPath dot;
    const double x = std::floor(at.x);
    const double y = std::floor(at.y);
    dot.MoveTo({x, y});
    dot.LineTo({x + 1, y});
    dot.LineTo({x + 1, y + 1});
    dot.LineTo({x, y + 1});
    dot.Close();
    FillStyle fill;
    fill.brush.colour = Resolve(colour);
    renderer.SetClip(state.clip, state.clipVersion);
    renderer.Fill(dot, fill);
}

void GdiModel::Text(GdiPoint at, const std::string& utf8, const std::vector<double>& dx, std::uint32_t options,
                    const double* rect)
{
    if (pathOpen) return;
    const GdiMatrix m = Transform();
    const double scaleX = std::hypot(m.xx, m.yx);
    const double scaleY = std::hypot(m.xy, m.yy);
    const bool updateCp = state.textAlign & kAlignUpdateCp;
    const GdiPoint origin = updateCp ? state.position : at;

    const std::vector<ClipShape> keptClip = state.clip;
    const std::size_t keptPoints = state.clipPoints;
    const std::uint64_t keptVersion = state.clipVersion;
    if (rect && (options & 2)) {
        FillStyle fill;
        fill.brush.colour = Resolve(state.bkColour);
        renderer.SetClip(state.clip, state.clipVersion);
        renderer.Fill(ToOutput(RectPath(rect[0], rect[1], rect[2], rect[3])), fill);
    }
    if (rect && (options & 4)) IntersectClipRect(rect[0], rect[1], rect[2], rect[3]);

    TextRun run;
    run.utf8 = utf8;
    run.font = state.font;
    // A negative height is the em, a positive one the cell (ascent plus descent).
    const double height = state.font.height;
    run.size = (height == 0 ? 12 : std::abs(height)) * scaleY;
    run.cellHeight = height > 0;
    run.widthScale = scaleY > 0 ? scaleX / scaleY : 1;
    run.averageWidth = std::abs(state.font.width) * scaleX;
    const double baseline = std::abs(m.yx) > 1e-9 * std::abs(m.xx) ? std::atan2(m.yx, m.xx) : 0;
    run.angle = baseline - state.font.escapement * kPi / 1800;
    const GdiPoint start = ToOutput(origin);
    run.origin = start;
    run.align = state.textAlign;
    run.colour = Resolve(state.textColour);
    run.opaque = state.bkMode == 2 && !(rect && (options & 2));
    run.background = Resolve(state.bkColour);
    for (double d : dx) run.advances.push_back(d * scaleX);
    renderer.SetClip(state.clip, state.clipVersion);
    const double advance = renderer.Text(run);
    state.clip = keptClip;
    state.clipPoints = keptPoints;
    state.clipVersion = keptVersion;
    if (updateCp && scaleX > 0) state.position.x += advance / scaleX;
}

void GdiModel::PatBlt(double left, double top, double width, double height, std::uint32_t rop)
{
    FillStyle fill = Fill();
    PaintMode mode = PaintMode::Copy;
    switch ((rop >> 16) & 0xFF) {
    case 0x00: fill.brush = GdiBrush{GdiBrush::Kind::Solid, 0, 0, nullptr}; break;
    case 0xFF: fill.brush = GdiBrush{GdiBrush::Kind::Solid, 0xFFFFFF, 0, nullptr}; break;
    case 0x55: fill.brush = GdiBrush{GdiBrush::Kind::Solid, 0xFFFFFF, 0, nullptr}; mode = PaintMode::Difference; break;
    case 0x5A: mode = PaintMode::Difference; break;
    case 0xAA: return;
    default: break;
    }
    GdiPath shape = ToOutput(RectPath(left, top, left + width, top + height));
    renderer.SetClip(state.clip, state.clipVersion);
    renderer.Fill(shape, fill, mode);
}

void GdiModel::Bitmap(const Picture& picture, double srcX, double srcY, double srcWidth, double srcHeight,
                      double left, double top, double width, double height, std::uint32_t rop)
{
    const GdiPoint origin = ToOutput({left, top});
    const GdiPoint right = ToOutput({left + width, top});
    const GdiPoint down = ToOutput({left, top + height});
    renderer.SetClip(state.clip, state.clipVersion);
    renderer.Image(picture, srcX, srcY, srcWidth, srcHeight, origin, {right.x - origin.x, right.y - origin.y},
                   {down.x - origin.x, down.y - origin.y}, SourceMode(rop), state.stretchMode == 4);
}

void GdiModel::UseRegion(std::uint32_t region, RegionUse use, std::uint32_t brush)
{
    const GdiRegion* rects = region < objects.size() ? std::get_if<GdiRegion>(&objects[region]) : nullptr;
    if (!rects) return;
    GdiPath logical;
    for (std::size_t i = 0; i + 4 <= rects->ltrb.size(); i += 4)
        logical.Append(RectPath(rects->ltrb[i], rects->ltrb[i + 1], rects->ltrb[i + 2], rects->ltrb[i + 3]));
    const GdiPath shape = ToOutput(logical);
    if (use == RegionUse::Clip) {
        ResetClip();
        if (!shape.Empty()) AddClip(ClipShape{shape, false, false});
        return;
    }
    FillStyle fill = Fill();
    PaintMode mode = PaintMode::Copy;
    if (use == RegionUse::Fill || use == RegionUse::Frame) {
        const GdiBrush* chosen = brush < objects.size() ? std::get_if<GdiBrush>(&objects[brush]) : nullptr;
        if (!chosen) return;
        fill.brush = *chosen;
        fill.brush.colour = Resolve(chosen->colour);
    } else if (use == RegionUse::Invert) {
        fill.brush = GdiBrush{GdiBrush::Kind::Solid, 0xFFFFFF, 0, nullptr};
        mode = PaintMode::Difference;
    }
    renderer.SetClip(state.clip, state.clipVersion);
    if (use != RegionUse::Frame) {
        renderer.Fill(shape, fill, mode);
        return;
    }
    StrokeStyle outline;
    outline.colour = fill.brush.colour;
    renderer.Stroke(shape, outline);
}

void GdiModel::BeginPath()
{
    path.Clear();
    pathOpen = true;
    figureOpen = false;
}

void GdiModel::EndPath()
{
    pathOpen = false;
}

void GdiModel::AbortPath()
{
    path.Clear();
    pathOpen = false;
}

void GdiModel::CloseFigure()
{
    if (pathOpen && figureOpen) {
        path.Close();
        figureOpen = false;
    }
}

void GdiModel::FillPath()
{
    if (pathOpen) return;
    Paint(path, true, false);
    path.Clear();
}

void GdiModel::StrokePath()
{
    if (pathOpen) return;
    Paint(path, false, true);
    path.Clear();
}

void GdiModel::StrokeAndFillPath()
{
    if (pathOpen) return;
    Paint(path, true, true);
    path.Clear();
}

void GdiModel::SelectClipPath(std::uint32_t mode)
{
    if (pathOpen) return;
    ClipShape shape{path, state.fillMode != 2, mode == 4};
    if (mode == 5) ResetClip();
    if (mode == 1 || mode == 4 || mode == 5) AddClip(std::move(shape));
    path.Clear();
}

void GdiModel::AddClip(ClipShape shape)
{
    if (state.clip.size() >= kMaxClipShapes || state.clipPoints + shape.path.points.size() > kMaxClipPoints) return;
    state.clipPoints += shape.path.points.size();
    state.clip.push_back(std::move(shape));
    state.clipVersion = ++clipVersions;
}

void GdiModel::IntersectClipRect(double left, double top, double right, double bottom)
{
    AddClip(ClipShape{ToOutput(RectPath(left, top, right, bottom)), false, false});
}

void GdiModel::ExcludeClipRect(double left, double top, double right, double bottom)
{
    AddClip(ClipShape{ToOutput(RectPath(left, top, right, bottom)), true, true});
}

void GdiModel::ResetClip()
{
    state.clip.clear();
    state.clipPoints = 0;
    state.clipVersion = ++clipVersions;
}

void GdiModel::ClipDeviceRects(const std::vector<double>& ltrb, std::uint32_t mode)
{
    if (mode == 5) ResetClip();
    if (ltrb.empty() || (mode != 1 && mode != 4 && mode != 5)) return;
    ClipShape shape;
    shape.evenOdd = true;
    shape.exclude = mode == 4;
    for (std::size_t i = 0; i + 4 <= ltrb.size(); i += 4) {
        const GdiPoint corners[] = {{ltrb[i], ltrb[i + 1]}, {ltrb[i + 2], ltrb[i + 1]}, {ltrb[i + 2], ltrb[i + 3]},
                                    {ltrb[i], ltrb[i + 3]}};
        for (int c = 0; c < 4; ++c) {
            const GdiPoint p = output.Apply(corners[c]);
            if (c == 0) shape.path.MoveTo({Limit(p.x), Limit(p.y)});
            else shape.path.LineTo({Limit(p.x), Limit(p.y)});
        }
        shape.path.Close();
    }
    AddClip(std::move(shape));
}
