#pragma once

#include <string>
#include <string_view>

namespace tamsor {

// Whether a hop to `to_url` may carry what a request made for `from_url` holds of its own (its
// cookie jar, its Referer): only when both name the same host and port, and the hop does not step
// down from https to plain http. Both addresses are read by the transport's own parser, the one
// that decides where a hop connects, so "http://a:80@b/" counts as host b. An address it cannot
// read counts as foreign.
bool credentials_may_follow(std::string_view from_url, std::string_view to_url);

// "scheme://host:port" of an address as that parser reads it, lower case, the scheme's port
// filled in; empty when it cannot be read.
std::string origin_text(std::string_view url);

}  // namespace tamsor
