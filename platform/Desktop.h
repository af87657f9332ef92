// The session the viewer runs in: screen metrics, the mouse cursor and message boxes.
#pragma once

#include "Window.h"

namespace platform {

enum class CursorShape { Arrow, Wait };

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class Desktop {
public:
    virtual ~Desktop() = default;

    virtual ScreenMetrics GetScreenMetrics() const = 0;
    virtual void SetCursor(CursorShape shape) = 0;
    // Shows a modal message box over owner (null: no owner) and waits for the answer.
    virtual MessageAnswer ShowMessage(const Window* owner, const char* caption, const char* text,
                                      MessageIcon icon, MessageButtons buttons) = 0;
    // Lets the windows repaint in the middle of a long step, taking no user input meanwhile.
    virtual void ProcessPendingEvents() {}
};

} // namespace platform
