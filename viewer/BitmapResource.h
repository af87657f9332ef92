// The program's bitmaps ship as uncompressed BMP files built into the executable. This reads
// such a file's headers in place and describes its pixels for Picture::CreateFromBitmap,
// without copying them.
#pragma once

#include "Picture.h"

#include <cstddef>
#include <cstdint>

namespace resources {

// False for anything that is not a complete, uncompressed BMP of 1, 4, 8, 16, 24 or 32 bits;
// the description then points into data, which must outlive it.
bool DescribeBitmapFile(const std::uint8_t* data, std::size_t size, BitmapDescription& bitmap);

} // namespace resources
