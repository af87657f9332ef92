// The system clipboard as the viewer uses it: it hands over one image at a time.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // packedDib: a 40-byte bitmap information header, its palette and bottom-up rows. Offered
    // to other programs as an image; false when the clipboard could not take it.
    virtual bool SetImage(const std::vector<std::uint8_t>& packedDib) = 0;
};

} // namespace platform
