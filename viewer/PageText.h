// Turns file and directory names into safe pieces of an HTML page.
#pragma once

#include <string>
#include <string_view>

namespace pagetext {

// Text for an element's content or a quoted attribute value. Markup characters and '[' (so that
// an inserted name can never form a page placeholder) become character references, and so does
// every non-ASCII character, which keeps names readable whatever charset the page declares:
// valid UTF-8 by its code point, any other byte as a Latin-1 character.
std::string EscapeHtml(std::string_view text);

// A relative link target: every byte except unreserved URL characters and '/' percent-encoded.
std::string EncodeUrlPath(std::string_view path);

} // namespace pagetext
