// Making arbitrary names safe inside an HTML page.
#pragma once

#include <string>

namespace html {

// For element text and quoted attribute values: & < > " and ' become character references.
std::string Escape(const std::string& text);
// For a relative link: every byte outside letters, digits, "-._~" and "/" is percent-encoded,
// so that names with spaces, "%", "#" or "?" still lead to their file.
std::string EncodeLink(const std::string& path);

} // namespace html
