// Cairo's functions, looked up when a metafile is first drawn instead of linked: Cairo and the
// font and X libraries it pulls in add milliseconds to the start of every run, most of which
// never draw a metafile.
#pragma once

#include <cairo.h>

// Every Cairo function the renderer calls, without the "cairo_" prefix.
#define VISTREL_CAIRO_FUNCTIONS(X) \
    X(clip) X(close_path) X(create) X(curve_to) X(destroy) X(fill) X(font_extents) \
    X(image_surface_create) X(image_surface_get_data) X(image_surface_get_stride) X(line_to) \
    X(matrix_init) X(matrix_init_scale) X(matrix_invert) X(matrix_translate) X(move_to) X(new_path) \
    X(paint) X(pattern_create_for_surface) X(pattern_destroy) X(pattern_set_extend) \
    X(pattern_set_filter) X(pattern_set_matrix) X(rectangle) X(reset_clip) X(restore) X(rotate) \
    X(save) X(select_font_face) X(set_antialias) X(set_dash) X(set_fill_rule) X(set_font_matrix) \
    X(set_font_size) X(set_line_cap) X(set_line_join) X(set_line_width) X(set_miter_limit) \
    X(set_operator) X(set_source) X(set_source_rgb) X(show_text) X(status) X(stroke) \
    X(surface_destroy) X(surface_flush) X(surface_mark_dirty) X(surface_status) X(text_extents) \
    X(text_path) X(translate)

struct CairoLibrary {
    // Loads Cairo once; null when it cannot be loaded or lacks one of its functions.
    static const CairoLibrary* Load();
    // What a codec reports when Load fails.
    static const char* Unavailable();

// NOLINTNEXTLINE(bugprone-macro-parentheses): the argument is a member's name
#define VISTREL_CAIRO_MEMBER(name) decltype(&cairo_##name) name;
    VISTREL_CAIRO_FUNCTIONS(VISTREL_CAIRO_MEMBER)
#undef VISTREL_CAIRO_MEMBER
};

// For code holding a surface or context: those exist only once the library has been loaded.
inline const CairoLibrary& Cairo()
{
    return *CairoLibrary::Load();
}
