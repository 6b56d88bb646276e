#pragma once
// Text made safe for HTML and for a URL's path.
#include <string>
#include <string_view>

namespace board {

// &, <, >, " and ' as entities.
std::string HtmlEscape(std::string_view text);
// Every byte but letters, digits and -._~ as %XX.
std::string UrlEscape(std::string_view text);

}  // namespace board
