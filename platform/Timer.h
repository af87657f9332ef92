// A one-shot timer of the window's thread: once started, it calls its owner back after the time
// given, unless it is stopped or started again first.
#pragma once

namespace platform {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
};

} // namespace platform
