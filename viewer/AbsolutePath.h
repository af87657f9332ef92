// Paths the user gives (command line, dialogs) made independent of the working directory,
// which the directory keys and the page builder move.
#pragma once

#include <string>

// path joined to the working directory when relative, without "." steps; ".." steps stay,
// because through a link they lead elsewhere than the text suggests. A trailing separator
// stays. An empty path stays empty.
std::string AbsolutePath(const std::string& path);
