// The one-shot timer on Qt's event loop; it calls the function it was made with.
#pragma once

#include "Timer.h"

#include <QTimer>

#include <functional>

namespace platform {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> expired);

    void Start(int milliseconds) override { timer.start(milliseconds); }
    void Stop() override { timer.stop(); }

private:
    QTimer timer;
};

} // namespace platform
