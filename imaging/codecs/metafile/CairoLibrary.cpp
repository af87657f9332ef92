#include "CairoLibrary.h"

#include "LibrarySymbols.h"

const CairoLibrary* CairoLibrary::Load()
{
    // By the SONAME of the library whose header the build used, so that the two match.
    static const CairoLibrary* const loaded =
        OpenFunctionTable<CairoLibrary>(VISTREL_CAIRO_LIBRARY, [](void* library, CairoLibrary& functions) {
            bool complete = true;
#define VISTREL_CAIRO_FIND(name) complete = complete && FindSymbol(library, "cairo_" #name, functions.name);
            VISTREL_CAIRO_FUNCTIONS(VISTREL_CAIRO_FIND)
#undef VISTREL_CAIRO_FIND
            return complete;
        });
    return loaded;
}

const char* CairoLibrary::Unavailable()
{
    return "Metafile support is unavailable: " VISTREL_CAIRO_LIBRARY " cannot be loaded";
}
