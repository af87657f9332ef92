// The graphics state a metafile is played against: device context state (mapping, world
// transform, selected objects, colours, modes, clip, current position, saved states), the object
// table and the path. The record readers drive it in logical units; it hands the renderer
// shapes in output pixels.
#pragma once

#include "CairoRenderer.h"
#include "GdiTypes.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// Rectangles (left, top, right, bottom in logical units) that do not overlap.
struct GdiRegion {
    std::vector<double> ltrb;
};
using GdiPalette = std::vector<ColorRef>;
using GdiObject = std::variant<std::monostate, GdiPen, GdiBrush, GdiFont, GdiPalette, GdiRegion>;

enum class ArcKind : std::uint8_t { Arc, ArcTo, Chord, Pie };

class GdiModel {
public:
    explicit GdiModel(CairoRenderer& target);

    // Mapping. A locked viewport is the whole output whatever the records say (placeable WMF:
    // the window maps onto the picture).
    void LockViewportToOutput();
    void SetOutputTransform(const GdiMatrix& deviceToOutput) { output = deviceToOutput; }
    void SetDeviceResolution(double pixelsPerMmX, double pixelsPerMmY);
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double x, double y);
    void OffsetWindowOrg(double x, double y);
    void OffsetViewportOrg(double x, double y);
    void ScaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void ScaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void SetWorldTransform(const GdiMatrix& transform);
    // 1 identity, 2 left-multiply, 3 right-multiply, 4 set.
    void ModifyWorldTransform(const GdiMatrix& transform, std::uint32_t mode);

    void SaveDC();
    void RestoreDC(int which);

    void SetTextColour(ColorRef colour) { state.textColour = colour; }
    void SetBkColour(ColorRef colour) { state.bkColour = colour; }
    void SetBkMode(int mode) { state.bkMode = mode; }
    void SetTextAlign(std::uint32_t align) { state.textAlign = align; }
    void SetPolyFillMode(int mode) { state.fillMode = mode; }
    void SetRop2(int rop) { state.rop2 = rop; }
    void SetMiterLimit(double limit) { state.miterLimit = limit; }
    void SetArcDirection(int direction) { state.arcClockwise = direction == 2; }
    void SetStretchBltMode(int mode) { state.stretchMode = mode; }
    // The selected font's character set: how the records' 8-bit text is to be read.
    std::uint8_t Charset() const { return state.font.charset; }

    // Objects. WMF records take the lowest free slot; EMF records name theirs.
    void SetObjectTableSize(std::size_t size);
    void AddObject(GdiObject object);
    void PutObject(std::uint32_t index, GdiObject object);
    void SelectObject(std::uint32_t index);
    void SelectStockObject(std::uint32_t stock);
    void DeleteObject(std::uint32_t index);

    // Drawing, in logical units.
    void MoveTo(GdiPoint p);
    void LineTo(GdiPoint p);
    void Polyline(const std::vector<GdiPoint>& points, bool fromCurrent);
    void Polygon(const std::vector<GdiPoint>& points);
    void PolyPolygon(const std::vector<std::vector<GdiPoint>>& polygons);
    void PolyBezier(const std::vector<GdiPoint>& points, bool fromCurrent);
    // Point types: 1 close figure (flag), 2 line, 4 curve, 6 move.
    void PolyDraw(const std::vector<GdiPoint>& points, const std::vector<std::uint8_t>& types);
    void Rectangle(double left, double top, double right, double bottom);
    void RoundRect(double left, double top, double right, double bottom, double cornerWidth, double cornerHeight);
    void Ellipse(double left, double top, double right, double bottom);
    void ArcShape(ArcKind kind, double left, double top, double right, double bottom, GdiPoint start, GdiPoint end);
    void AngleArc(GdiPoint centre, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(GdiPoint p, ColorRef colour);
    // ETO_OPAQUE (2) fills `rect` with the background colour, ETO_CLIPPED (4) clips to it.
    void Text(GdiPoint at, const std::string& utf8, const std::vector<double>& dx, std::uint32_t options,
              const double* rect);
    void PatBlt(double left, double top, double width, double height, std::uint32_t rop);
    // Source rectangle in pixels counted from the picture's top row.
    void Bitmap(const Picture& picture, double srcX, double srcY, double srcWidth, double srcHeight, double left,
                double top, double width, double height, std::uint32_t rop);

    // Paths.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    // Modes: 1 and, 2 or, 3 xor, 4 diff, 5 copy.
    void SelectClipPath(std::uint32_t mode);

    // Regions of the object table: filled with a brush of the table, painted with the selected
    // brush, inverted, outlined with a brush, or made the clip.
    enum class RegionUse : std::uint8_t { Fill, Paint, Invert, Frame, Clip };
    void UseRegion(std::uint32_t region, RegionUse use, std::uint32_t brush = 0);

    // Clip.
    void IntersectClipRect(double left, double top, double right, double bottom);
    void ExcludeClipRect(double left, double top, double right, double bottom);
    void ResetClip();
    // Rectangles in reference device units (region data of EMF records).
    void ClipDeviceRects(const std::vector<double>& ltrb, std::uint32_t mode);

private:
    struct State {
        int mapMode = 1;
        GdiPoint windowOrg, viewportOrg;
        GdiPoint windowExt{1, 1}, viewportExt{1, 1};
        GdiMatrix world;
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        ColorRef textColour = 0;
        ColorRef bkColour = 0xFFFFFF;
        int bkMode = 2;
        std::uint32_t textAlign = 0;
        int fillMode = 1;
        int rop2 = 13;
        double miterLimit = 10;
        bool arcClockwise = false;
        int stretchMode = 1;
        GdiPoint position;
        std::vector<ClipShape> clip;
        std::size_t clipPoints = 0;
        // Each clip content gets its own number, so that the renderer sees when it changes.
        std::uint64_t clipVersion = 0;
    };

    GdiMatrix Transform() const;
    GdiPoint ToOutput(GdiPoint p) const;
    GdiPath ToOutput(const GdiPath& logical) const;
    ColorRef Resolve(ColorRef colour) const;
    StrokeStyle Stroke() const;
    FillStyle Fill() const;
    PaintMode PenMode() const;
    // Draws a shape given in logical units, or adds it to the open path.
    void Draw(const GdiPath& logical, bool fill, bool stroke);
    void Paint(const GdiPath& shape, bool fill, bool stroke);
    void AddClip(ClipShape shape);
    GdiPath RectPath(double left, double top, double right, double bottom) const;
    void AppendArc(GdiPath& path, double cx, double cy, double rx, double ry, double from, double sweep,
                   bool connect) const;

    CairoRenderer& renderer;
    GdiMatrix output;
    bool viewportLocked = false;
    double pixelsPerMmX = 96 / 25.4;
    double pixelsPerMmY = 96 / 25.4;
    State state;
    std::vector<State> saved;
    std::vector<GdiObject> objects;
    GdiPalette palette;
    GdiPath path;
    bool pathOpen = false;
    bool figureOpen = false;
    std::uint64_t clipVersions = 0;
};
