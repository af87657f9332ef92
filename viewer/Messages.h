// Message texts that more than one command or start-up step shows; "%s" takes the program's name.
#pragma once

namespace messages {

inline constexpr char kNotInstalled[] = "%s is not properly installed on this computer.\nPlease reinstall %s.";

} // namespace messages
