// The file filter of the browser and the thumbnail page builder: decides by extension only
// which files are listed; the format itself is found from the contents when a file is loaded.
#pragma once

bool IsImageFileName(const char* path);
