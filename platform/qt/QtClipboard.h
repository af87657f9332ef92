// The system clipboard on Qt: a packed DIB goes out as an image that other programs can paste.
#pragma once

#include "Clipboard.h"

namespace platform {

class QtClipboard : public Clipboard {
public:
    // Offers the image as "image/png", as "image/bmp" (the block behind a 14-byte file header)
    // and as Qt's own image, which the window system converts to whatever format a reader asks
    // for. A block that is no well-formed DIB of 1, 4, 8 or 24 bits leaves the clipboard as it
    // was and returns false. On X11 the offer lasts as long as this process runs.
    bool SetImage(const std::vector<std::uint8_t>& packedDib) override;
};

} // namespace platform
