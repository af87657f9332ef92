// libtiff's functions, looked up when a TIFF file is first read or written instead of linked:
// libtiff and the compression libraries it pulls in add milliseconds to the start of every run,
// most of which never touch a TIFF file.
#pragma once

#include <tiffio.h>

struct TiffLibrary {
    // Loads libtiff once; null when it cannot be loaded or lacks one of the functions below.
    static const TiffLibrary* Load();
    // What a codec reports when Load fails.
    static const char* Unavailable();

    decltype(&TIFFOpenOptionsAlloc) OpenOptionsAlloc;
    decltype(&TIFFOpenOptionsFree) OpenOptionsFree;
    decltype(&TIFFOpenOptionsSetMaxSingleMemAlloc) OpenOptionsSetMaxSingleMemAlloc;
    decltype(&TIFFOpenOptionsSetErrorHandlerExtR) OpenOptionsSetErrorHandlerExtR;
    decltype(&TIFFOpenOptionsSetWarningHandlerExtR) OpenOptionsSetWarningHandlerExtR;
    decltype(&TIFFClientOpenExt) ClientOpenExt;
    decltype(&TIFFClose) Close;
    decltype(&TIFFNumberOfDirectories) NumberOfDirectories;
    decltype(&TIFFSetDirectory) SetDirectory;
    decltype(&TIFFGetField) GetField;
    decltype(&TIFFGetFieldDefaulted) GetFieldDefaulted;
    decltype(&TIFFSetField) SetField;
    decltype(&TIFFIsTiled) IsTiled;
    decltype(&TIFFRGBAImageOK) RGBAImageOK;
    decltype(&TIFFRGBAImageBegin) RGBAImageBegin;
    decltype(&TIFFRGBAImageGet) RGBAImageGet;
    decltype(&TIFFRGBAImageEnd) RGBAImageEnd;
    decltype(&TIFFScanlineSize64) ScanlineSize64;
    decltype(&TIFFTileSize64) TileSize64;
    decltype(&TIFFTileRowSize64) TileRowSize64;
    decltype(&TIFFReadScanline) ReadScanline;
    decltype(&TIFFReadTile) ReadTile;
    decltype(&TIFFDefaultStripSize) DefaultStripSize;
    decltype(&TIFFWriteScanline) WriteScanline;
    decltype(&TIFFWriteDirectory) WriteDirectory;
};

// For code holding a handle: a handle exists only once the library has been loaded.
inline const TiffLibrary& Tiff()
{
    return *TiffLibrary::Load();
}
