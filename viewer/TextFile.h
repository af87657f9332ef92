// Writes a whole text file of any length in one go.
#pragma once

#include <string>
#include <string_view>

// Replaces path with exactly the bytes of text (no line-end conversion, no formatting). The text
// goes to a temporary file beside path first and is renamed over it only when complete, so a
// failure (a full disk, say) never leaves a cut or emptied file behind; a link stays a link and
// the file keeps its permissions. On failure errno says why.
bool ReplaceTextFile(const std::string& path, std::string_view text);

// The whole regular file as text up to its first NUL, at most limit bytes; false when it cannot
// be read in full or is larger.
bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit);
