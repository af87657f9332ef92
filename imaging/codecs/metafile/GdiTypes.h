// Plain values shared by the metafile readers, the GDI model and the renderer.
#pragma once

#include "Picture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct GdiPoint {
    double x = 0;
    double y = 0;
};

// x' = xx x + xy y + dx, y' = yx x + yy y + dy.
struct GdiMatrix {
    double xx = 1, yx = 0, xy = 0, yy = 1, dx = 0, dy = 0;

    GdiPoint Apply(GdiPoint p) const { return {xx * p.x + xy * p.y + dx, yx * p.x + yy * p.y + dy}; }
    GdiPoint ApplyLinear(GdiPoint p) const { return {xx * p.x + xy * p.y, yx * p.x + yy * p.y}; }
    // This transform applied after `first`.
    GdiMatrix After(const GdiMatrix& first) const
    {
        return {xx * first.xx + xy * first.yx, yx * first.xx + yy * first.yx,
                xx * first.xy + xy * first.yy, yx * first.xy + yy * first.yy,
                xx * first.dx + xy * first.dy + dx, yx * first.dx + yy * first.dy + dy};
    }
    double Determinant() const { return xx * yy - xy * yx; }
};

// Figures of straight and cubic segments; a curve takes three points.
struct GdiPath {
    enum class Op : std::uint8_t { Move, Line, Curve, Close };
    std::vector<Op> ops;
    std::vector<GdiPoint> points;

    void MoveTo(GdiPoint p) { ops.push_back(Op::Move); points.push_back(p); }
    void LineTo(GdiPoint p) { ops.push_back(Op::Line); points.push_back(p); }
    void CurveTo(GdiPoint a, GdiPoint b, GdiPoint c)
    {
        ops.push_back(Op::Curve);
        points.insert(points.end(), {a, b, c});
    }
    void Close() { ops.push_back(Op::Close); }
    bool Empty() const { return ops.empty(); }
    void Append(const GdiPath& other)
    {
        ops.insert(ops.end(), other.ops.begin(), other.ops.end());
        points.insert(points.end(), other.points.begin(), other.points.end());
    }
    void Clear()
    {
        ops.clear();
        points.clear();
    }
};

// Pen style bits as the metafiles store them.
enum : std::uint32_t {
    kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenDashDot = 3, kPenDashDotDot = 4, kPenNull = 5,
    kPenInsideFrame = 6, kPenStyleMask = 0xF, kPenEndCapMask = 0xF00, kPenEndSquare = 0x100,
    kPenEndFlat = 0x200, kPenJoinMask = 0xF000, kPenJoinBevel = 0x1000, kPenJoinMiter = 0x2000,
};

struct GdiPen {
    std::uint32_t style = kPenSolid;
    double width = 0; // logical units; 0 draws one device pixel wide
    ColorRef colour = 0;
};

struct GdiBrush {
    enum class Kind : std::uint8_t { Solid, Null, Hatched, Pattern };
    Kind kind = Kind::Solid;
    ColorRef colour = 0xFFFFFF;
    std::uint32_t hatch = 0;
    std::shared_ptr<const Picture> pattern;
};

struct GdiFont {
    double height = 0;
    double width = 0; // average character width; 0 for the face's own
    double escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charset = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string face;
};

// What the renderer needs to stroke: the pen with its width already in output pixels.
struct StrokeStyle {
    std::uint32_t style = kPenSolid;
    double width = 1;
    ColorRef colour = 0;
    double miterLimit = 10;
    bool opaqueGaps = false;
    ColorRef background = 0xFFFFFF;
};

struct FillStyle {
    GdiBrush brush;
    bool opaqueBackground = true;
    ColorRef background = 0xFFFFFF;
    bool evenOdd = true;
};

// One step of a clip: the area inside (or, when `exclude`, outside) the path, in output pixels.
struct ClipShape {
    GdiPath path;
    bool evenOdd = false;
    bool exclude = false;
};

// How a drawing operation combines with what is there; approximations of the raster codes.
enum class PaintMode : std::uint8_t { Copy, Multiply, Lighten, Difference, Nothing };

struct TextRun {
    std::string utf8;
    // Offsets of each character from the reference point along the baseline, in output pixels;
    // empty to let the font space the characters.
    std::vector<double> advances;
    GdiPoint origin;
    double size = 16;        // em height in output pixels, or the cell height when `cellHeight`
    bool cellHeight = false;
    double widthScale = 1;   // horizontal stretch of the glyphs
    double averageWidth = 0; // wanted average character width in output pixels; 0 for natural
    double angle = 0;      // radians, clockwise on the output
    GdiFont font;
    std::uint32_t align = 0;
    ColorRef colour = 0;
    bool opaque = false;
    ColorRef background = 0xFFFFFF;
};

// Text alignment bits.
enum : std::uint32_t {
    kAlignUpdateCp = 1, kAlignRight = 2, kAlignCenter = 6, kAlignHorizontalMask = 6, kAlignBottom = 8,
    kAlignBaseline = 24, kAlignVerticalMask = 24,
};
