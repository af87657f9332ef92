// How the Qt services find the widget behind a platform::Window (the owner of a message box,
// the window whose frame the screen metrics measure): a window made with Qt derives from both a
// QWidget and platform::Window.
#pragma once

#include "Window.h"

class QWidget;

namespace platform {

// The widget behind window; null when window is null or made without Qt.
QWidget* AsWidget(const Window* window);

} // namespace platform
