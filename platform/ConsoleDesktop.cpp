#include "ConsoleDesktop.h"

namespace platform {

MessageAnswer ConsoleDesktop::ShowMessage(const Window*, const char*, const char* text, MessageIcon,
                                          MessageButtons buttons)
{
    std::fprintf(m_out, "%s\n", text ? text : "");
    std::fflush(m_out);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

} // namespace platform
