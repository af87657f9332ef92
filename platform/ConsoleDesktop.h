// The desktop of a run without any display: message boxes go to standard error with their
// text, and nobody is there to answer a question.
#pragma once

#include "Desktop.h"

#include <cstdio>

namespace platform {

class ConsoleDesktop : public Desktop {
public:
    explicit ConsoleDesktop(std::FILE* out = stderr) : m_out(out) {}

    ScreenMetrics GetScreenMetrics() const override { return {}; }
    void SetCursor(CursorShape) override {}
    // A question is answered No: nothing long or irreversible starts without a person.
    MessageAnswer ShowMessage(const Window* owner, const char* caption, const char* text, MessageIcon icon,
                              MessageButtons buttons) override;

private:
    std::FILE* m_out;
};

} // namespace platform
