// Reads the frames of an animated image one after another, each composed over the frames before
// it as the file says, in one pass over the file per showing.
#pragma once

#include <memory>
#include <string>

class Picture;

class FrameReader {
public:
    virtual ~FrameReader() = default;

    // The next frame at the size of the whole animation, 24 bits with an alpha plane where
    // something is transparent, its delay in hundredths of a second as the frame delay; false
    // after the last frame, or where the file is damaged.
    virtual bool Next(Picture& frame) = 0;
    // Back to before the first frame.
    virtual bool Rewind() = 0;
    // The frames the file holds, counted when it was opened.
    virtual int GetFrameCount() const = 0;
    // How often the file asks for the whole animation to be repeated after it has been shown
    // once: 0 for ever, -1 when it does not say.
    virtual int GetLoopCount() const = 0;

    // The reader of an animation; null when the file is not one of more than one frame in a
    // format that animates (GIF).
    static std::unique_ptr<FrameReader> Open(const std::string& path);
};
