#pragma once

#include <string>
#include <string_view>
#include <vector>

// How http_request turns a caller's request into what goes on the wire and reads the answer's
// header block. Pure text rules, kept apart from the transport so they can be tested alone.
namespace tamsor::request_rules {

inline constexpr std::string_view kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// True when the URL's scheme is https (any letter case).
bool is_secure(std::string_view url);

// The value of a "User-Agent:" line (any letter case) of the caller's headers, else the default.
std::string agent_for(std::string_view extra_headers);

// The caller's header lines completed with the defaults every request carries, and a Cookie line
// when the caller keeps its own non-empty jar.
std::string complete_header_block(std::string_view extra_headers, std::string_view url,
                                  std::string_view cookies);

// The lines of a header block as the transport takes them, one header each.
std::vector<std::string> header_lines(std::string_view block);

// The header lines without the Cookie and Referer lines, for a hop that leaves the request's host:
// the jar is the host's own, and the Referer can hold the punch tokens.
std::vector<std::string> without_credentials(const std::vector<std::string>& lines);

// The raw header block with "set-cookie" in any letter case written "Set-Cookie".
std::string normalise_set_cookie(std::string_view headers);

// The "name=value" items the Set-Cookie lines of a normalised header block set, joined by "; ".
std::string new_cookies_from(std::string_view headers);

// The value of the first header line of that name (any letter case) in a raw header block, with
// spaces trimmed; "" when there is none.
std::string header_value(std::string_view headers, std::string_view name);

// Whether the proxy carries a hop to `hop_url`: for an https request it serves every scheme, for
// a plain http request only plain http hops.
bool proxy_serves(std::string_view request_url, std::string_view hop_url);

}  // namespace tamsor::request_rules
