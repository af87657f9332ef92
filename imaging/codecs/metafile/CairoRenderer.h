// Draws the GDI model's shapes, text and bitmaps with Cairo into a white off-screen image.
#pragma once

#include "GdiTypes.h"

#include <cstdint>
#include <vector>

// Cairo's own type names, declared here so that its header stays out of ours.
typedef struct _cairo cairo_t;                 // NOLINT(bugprone-reserved-identifier)
typedef struct _cairo_surface cairo_surface_t; // NOLINT(bugprone-reserved-identifier)

class CairoRenderer {
public:
    CairoRenderer(int pixelsWide, int pixelsHigh);
    ~CairoRenderer();
    CairoRenderer(const CairoRenderer&) = delete;
    CairoRenderer& operator=(const CairoRenderer&) = delete;

    bool IsValid() const { return cr != nullptr; }
    int Width() const { return width; }
    int Height() const { return height; }
    // True once the drawing work allowed for one metafile is spent; later drawing is skipped.
    bool OverBudget() const { return budget <= 0; }

    // The clip of the following operations; `version` names its content, so an unchanged clip
    // is neither copied nor applied again.
    void SetClip(const std::vector<ClipShape>& shapes, std::uint64_t version);
    void Fill(const GdiPath& path, const FillStyle& fill, PaintMode mode = PaintMode::Copy);
    void Stroke(const GdiPath& path, const StrokeStyle& stroke, PaintMode mode = PaintMode::Copy);
    // Draws the text and returns its advance along the baseline in output pixels.
    double Text(const TextRun& run);
    // Maps the source rectangle (pixels counted from the top row) of the picture onto the
    // parallelogram with corner `origin` and sides `across` and `down`; `smooth` interpolates
    // between source pixels, else each output pixel takes the nearest one.
    void Image(const Picture& picture, double srcX, double srcY, double srcWidth, double srcHeight,
               GdiPoint origin, GdiPoint across, GdiPoint down, PaintMode mode, bool smooth);

    // Copies the image into a 24-bit picture of the same size.
    bool CopyTo(Picture& picture) const;

private:
    void BeginOperation(PaintMode mode);
    void ApplyClip();
    void EndOperation();
    void AddPath(const GdiPath& path);
    // Counts the cost of an operation; false when it exceeds what is left, and then nothing is drawn.
    bool Afford(double pixels);

    int width = 0;
    int height = 0;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    std::vector<ClipShape> clip;
    std::uint64_t clipVersion = 0;
    bool clipApplied = true;
    double budget = 0;
};
