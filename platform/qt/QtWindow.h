// How the Qt services find the widget behind a platform::Window (the owner of a message box,
// the window whose frame the screen metrics measure).
//
// A window made with Qt is reached in one of two ways:
// - its class derives from both a QWidget (e.g. QMainWindow) and platform::Window: nothing more
//   is needed;
// - its class derives from platform::Window and holds its widget: it also derives from QtWindow
//   and returns that widget from GetWidget.
#pragma once

#include "Window.h"

class QWidget;

namespace platform {

class QtWindow {
public:
    virtual ~QtWindow() = default;

    virtual QWidget* GetWidget() const = 0;
};

// The widget behind window; null when window is null or made without Qt.
QWidget* AsWidget(const Window* window);

} // namespace platform
