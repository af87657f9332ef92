#include "QtWindow.h"

#include <QWidget>

namespace platform {

QWidget* AsWidget(const Window* window)
{
    if (const auto* holder = dynamic_cast<const QtWindow*>(window)) return holder->GetWidget();
    // The interfaces hand the owner over as const; Qt wants a non-const parent, and a box shown
    // over the window changes nothing in it.
    return const_cast<QWidget*>(dynamic_cast<const QWidget*>(window));
}

} // namespace platform
