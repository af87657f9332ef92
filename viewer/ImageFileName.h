// The file filter of the browser and the thumbnail page builder: decides by extension only
// (the extensions of every format with a codec) which files are listed; the format itself is
// found from the contents when a file is loaded.
#pragma once

#include <string>

bool IsImageFileName(const char* path);
// The name of a listed file: what follows the last '/' of its path. Listed paths are composed
// with '/', so a backslash belongs to the name.
std::string ListedFileName(const std::string& path);
