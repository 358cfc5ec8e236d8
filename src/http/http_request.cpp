#include "http/http_request.h"

#include "http/address.h"
#include "http/cookies.h"
#include "http/request_rules.h"
#include "http/transfer.h"
#include "text/gbk.h"

namespace tamsor {

HttpResponse http_request(const HttpRequest& request) {
    HttpResponse response;
    try {
        const std::string jar = request.cookies.value_or("");
        response.extra_headers = request_rules::complete_header_block(
            request.extra_headers, wire_address(request.url), jar);
        response.post_bytes = request.post_bytes;
        // Only a POST carries a body: one on a GET or HEAD has no meaning, and a server that does
        // not read it would take it for the start of the next request on the connection.
        if (request.method == HttpMethod::post && response.post_bytes.empty()) {
            response.post_bytes = utf8_to_gbk(request.post_text);
        }

        TransferPlan plan;
        plan.url = request.url;
        plan.method = request.method;
        plan.body = response.post_bytes;
        plan.header_lines = request_rules::header_lines(response.extra_headers);
        plan.agent = request_rules::agent_for(request.extra_headers);
        plan.proxy = request.proxy;
        // A caller that keeps its own jar gets a request the shared store takes no part in.
        plan.use_cookie_store = !request.cookies.has_value();
        plan.follow_redirects = !request.no_redirect;
        TransferResult result = run_transfer(plan);

        response.body = std::move(result.body);
        response.status = result.status;
        response.error = result.error;
        response.response_headers = request_rules::normalise_set_cookie(result.headers);
        response.new_cookies = request_rules::new_cookies_from(response.response_headers);
        response.content_type = request_rules::header_value(result.headers, "Content-Type");
        if (request.cookies.has_value()) {
            response.cookies = jar;
            // Cookies another host set are not its to put into this host's jar.
            if (result.from_request_origin) {
                merge_cookies(response.cookies, response.new_cookies);
            }
        }
    } catch (...) {
        response.body.clear();
        response.error = HttpError::transfer_failed;
    }
    return response;
}

PlainFetch fetch_url(const std::string& url) {
    TransferPlan plan;
    plan.url = url;
    plan.agent = request_rules::kDefaultAgent;
    TransferResult result = run_transfer(plan);
    return {std::move(result.body), result.status, result.error,
            request_rules::header_value(result.headers, "Content-Type")};
}

ByteArray fetch_url_bytes(const std::string& url) {
    return fetch_url(url).body;
}

}  // namespace tamsor
