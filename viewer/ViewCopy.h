// What the view draws for a picture shown at a given size. At its own size an opaque picture is
// drawn as it is, pixel for pixel; shown smaller, or with transparent parts, it is drawn from a
// copy reduced by area averaging and blended over the view's background. Making that copy costs
// a pass over every pixel, so it is kept until the picture or the size changes.
#pragma once

#include "Picture.h"

class ViewCopy {
public:
    // Null when the picture is to be drawn as it is, or no copy could be made.
    Picture* For(const Picture& picture, int width, int height);
    // The picture changed: the copy no longer shows it.
    void Clear();
    // How many copies were made so far.
    int GetMadeCount() const { return m_made; }

private:
    Picture m_copy;
    bool m_valid = false;
    int m_made = 0;
};
