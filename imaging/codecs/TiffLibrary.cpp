#include "TiffLibrary.h"

#include "LibrarySymbols.h"

const TiffLibrary* TiffLibrary::Load()
{
    // By the SONAME of the library whose headers the build used, so that the two match.
    static const TiffLibrary* const loaded =
        OpenFunctionTable<TiffLibrary>(VISTREL_TIFF_LIBRARY, [](void* library, TiffLibrary& functions) {
#define VISTREL_FIND(name) FindSymbol(library, "TIFF" #name, functions.name)
            return VISTREL_FIND(OpenOptionsAlloc) && VISTREL_FIND(OpenOptionsFree) &&
                   VISTREL_FIND(OpenOptionsSetMaxSingleMemAlloc) && VISTREL_FIND(OpenOptionsSetErrorHandlerExtR) &&
                   VISTREL_FIND(OpenOptionsSetWarningHandlerExtR) && VISTREL_FIND(ClientOpenExt) && VISTREL_FIND(Close) &&
                   VISTREL_FIND(NumberOfDirectories) && VISTREL_FIND(SetDirectory) && VISTREL_FIND(GetField) &&
                   VISTREL_FIND(GetFieldDefaulted) && VISTREL_FIND(SetField) && VISTREL_FIND(IsTiled) &&
                   VISTREL_FIND(RGBAImageOK) && VISTREL_FIND(RGBAImageBegin) && VISTREL_FIND(RGBAImageGet) &&
                   VISTREL_FIND(RGBAImageEnd) && VISTREL_FIND(ScanlineSize64) && VISTREL_FIND(TileSize64) &&
                   VISTREL_FIND(TileRowSize64) && VISTREL_FIND(ReadScanline) && VISTREL_FIND(ReadTile) &&
                   VISTREL_FIND(DefaultStripSize) && VISTREL_FIND(WriteScanline) && VISTREL_FIND(WriteDirectory);
#undef VISTREL_FIND
        });
    return loaded;
}

const char* TiffLibrary::Unavailable()
{
    return "TIFF support is unavailable: " VISTREL_TIFF_LIBRARY " cannot be loaded";
}
