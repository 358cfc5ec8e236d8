#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "http/http_request.h"

// One bounded HTTP exchange over libcurl, redirects included; the single transport under both
// http_request and fetch_url_bytes.
namespace tamsor {

struct TransferPlan {
    std::string url;
    HttpMethod method = HttpMethod::get;
    std::string_view body;                  // sent with POST only
    std::vector<std::string> header_lines;  // sent as given; empty leaves the transport's own
    std::string agent;
    std::string proxy;  // "host:port", empty for a direct connection
    bool use_cookie_store = true;
    bool follow_redirects = true;
};

struct TransferResult {
    ByteArray body;       // empty on any failure
    std::string headers;  // raw header block of the final response, "\r\n" separated
    long status = 0;
    HttpError error = HttpError::none;
    // The final answer came from the request's own host (see credentials_may_follow).
    bool from_request_origin = true;
};

// Never throws.
TransferResult run_transfer(const TransferPlan& plan);

}  // namespace tamsor
