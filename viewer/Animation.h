// Plays an animated picture in place of the still one: each frame stays for the delay the file
// gives it (a browser's 100 ms where the file asks for 10 ms or less), the whole animation is
// shown as often as its loop count says (the first showing and as many repetitions; for ever
// for 0) and then stays on its last frame. Each showing is one pass over the file.
#pragma once

#include "FrameReader.h"

#include <memory>

class Picture;

namespace platform {
class Timer;
}

class Animation {
public:
    static constexpr int kShortestDelayMs = 10;
    static constexpr int kDelayForShortestMs = 100;

    // Without a timer nothing plays.
    void SetTimer(platform::Timer* timer);
    // Shows the first frame in shown and times the next; false (nothing changed) when the
    // reader gives no frame.
    bool Start(std::unique_ptr<FrameReader> reader, Picture& shown);
    void Stop();
    // The timer ran out: the next frame goes into shown. False when nothing changed.
    bool Advance(Picture& shown);
    // While paused the frame shown stays; going on waits the whole delay of that frame.
    void SetPaused(bool paused);

    // Whether the shown picture is one of an animation's frames.
    bool HasFrames() const { return m_reader != nullptr; }
    // The frame shown, from 1, and the number of frames; 0 without animation.
    int GetFrame() const { return m_reader ? m_frame : 0; }
    int GetFrameCount() const { return m_reader ? m_reader->GetFrameCount() : 0; }

private:
    void TimeNext();

    platform::Timer* m_timer = nullptr;
    std::unique_ptr<FrameReader> m_reader;
    int m_frame = 0;
    int m_showing = 1;
    int m_delayMs = 0;
    bool m_paused = false;
    bool m_ended = false;
};
