#include "QtWindow.h"

#include <QWidget>

namespace platform {

QWidget* AsWidget(const Window* window)
{
    // The interfaces hand the owner over as const; Qt wants a non-const parent, and a box shown
    // over the window changes nothing in it.
    return const_cast<QWidget*>(dynamic_cast<const QWidget*>(window));
}

} // namespace platform
