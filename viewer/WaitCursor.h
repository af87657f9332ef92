// The wait cursor for the lifetime of the object, then the arrow again, also on early returns.
#pragma once

#include "Desktop.h"

class WaitCursor {
public:
    explicit WaitCursor(platform::Desktop& desktop) : m_desktop(desktop)
    {
        m_desktop.SetCursor(platform::CursorShape::Wait);
    }
    ~WaitCursor() { m_desktop.SetCursor(platform::CursorShape::Arrow); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    platform::Desktop& m_desktop;
};
