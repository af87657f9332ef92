// The main window's menu bar, seen as command identifiers that can be enabled or greyed.
#pragma once

namespace platform {

class MenuBar {
public:
    virtual ~MenuBar() = default;

    virtual void EnableItem(int command, bool enabled) = 0;
};

} // namespace platform
