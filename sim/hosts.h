#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http_server.h"
#include "state.h"

// The two simulated hosts, each a function from a request to its answer.
namespace tamsor::sim {

ServerResponse handle_account_request(SimState& state, const ServerRequest& request);
ServerResponse handle_forum_request(SimState& state, const ServerRequest& request);

// A page answer: the UTF-8 page encoded to GBK, labelled as GBK HTML. What GBK cannot hold is
// written in GB18030, GBK's superset, as real forums do.
ServerResponse gbk_page(std::string_view utf8_page, int status = 200);

// Every byte but letters, digits, "-" and "." as "%XX" (upper-case hex), the way the client
// encodes a form value.
std::string percent_encode(std::string_view bytes);

// Rewrites a page answer of gbk_page in the charset the hosts speak: in UTF-8, its body, the
// charset its Content-Type header names and the one its meta tags or XML declaration name.
void write_in_charset(ServerResponse& response, Charset charset);

// The value of `key` in a query text ("a=1&b=2"), taken as it stands; nothing when absent.
std::optional<std::string> query_value(std::string_view query, std::string_view key);

}  // namespace tamsor::sim
