#pragma once

#include <string>
#include <string_view>

namespace tamsor {

// The text between the first `start_marker` and the next `end_marker` after it; "" when either
// is missing. "#引号" inside a marker stands for one double quote.
std::string text_between(std::string_view text, std::string_view start_marker,
                         std::string_view end_marker);

// Host of an absolute URL, lower case; with ":port" only when keep_port is true.
// A URL without a scheme is taken as http.
std::string url_host(std::string_view url, bool keep_port = false);

// The URL's explicit port, else 443 for https and 80 for everything else.
int url_port(std::string_view url);

// Everything from the first "/" after the host (query included), or "/" when there is none.
std::string url_path(std::string_view url);

}  // namespace tamsor
