#include "CairoLibrary.h"

#include "LibrarySymbols.h"

namespace {

const CairoLibrary* Open()
{
    // By the SONAME of the library whose header the build used, so that the two match.
    void* library = dlopen(VISTREL_CAIRO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static CairoLibrary functions;
    bool complete = true;
#define VISTREL_CAIRO_FIND(name) complete = complete && FindSymbol(library, "cairo_" #name, functions.name);
    VISTREL_CAIRO_FUNCTIONS(VISTREL_CAIRO_FIND)
#undef VISTREL_CAIRO_FIND
    if (!complete) {
        dlclose(library);
        return nullptr;
    }
    return &functions;
}

} // namespace

const CairoLibrary* CairoLibrary::Load()
{
    static const CairoLibrary* const loaded = Open();
    return loaded;
}

const char* CairoLibrary::Unavailable()
{
    return "Metafile support is unavailable: " VISTREL_CAIRO_LIBRARY " cannot be loaded";
}
