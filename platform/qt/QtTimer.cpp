#include "QtTimer.h"

namespace platform {

QtTimer::QtTimer(std::function<void()> expired)
{
    timer.setSingleShot(true);
    // Precise: frame delays of a few hundredths of a second must not be rounded to the coarse
    // timer's 5 % steps.
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &timer, std::move(expired));
}

} // namespace platform
