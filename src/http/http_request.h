#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace tamsor {

// Raw bytes: a page body, a picture, a request body.
using ByteArray = std::string;

enum class HttpMethod { get, post, head };

struct HttpRequest {
    std::string url;  // "http://..." or "https://..."; without a scheme it is taken as http
    HttpMethod method = HttpMethod::get;
    std::string post_text;  // UTF-8; sent as GBK when post_bytes is empty and the method is POST
    // The caller's own cookie jar. When supplied, the process-wide cookie store is neither
    // used nor changed, and the response carries the merged jar.
    std::optional<std::string> cookies;
    std::string extra_headers;  // caller's header lines separated by "\r\n"
    bool no_redirect = false;   // return a redirect response itself instead of following it
    ByteArray post_bytes;       // request body as bytes; wins over post_text; POST only
    std::string proxy;          // "host:port"; for plain http requests only the http scheme uses it
};

// Why a request gave no answer; the interface still reports failure as an empty body, this
// only lets logs and tests tell the cases apart.
enum class HttpError {
    none,
    refused_scheme,   // not http or https (also for a redirect target)
    connect_failed,   // host unknown, refused or connect time-out
    timed_out,        // no byte for the stall time-out
    too_slow,         // under the minimum rate once the answer had begun
    deadline_passed,  // the whole request outlasted its total time
    setup_refused,    // libcurl refused a set-up call the request's safety rests on
    too_large,        // body over the cap
    too_many_redirects,
    cancelled,        // given up: from the wait pump, or abandoned by a worker's owner
    transfer_failed,  // anything else the transport reported
};

struct HttpResponse {
    ByteArray body;                // exactly as received; empty on failure
    std::string cookies;           // merged jar, when the request supplied one
    std::string new_cookies;       // "name=value" items the final response set, joined by "; "
    std::string extra_headers;     // the complete header block that was sent
    std::string response_headers;  // raw header block of the final response, "\r\n" separated
    std::string content_type;      // its Content-Type value, "" when it names none
    ByteArray post_bytes;          // the body that was sent
    long status = 0;               // HTTP status of the final response, 0 when none came
    HttpError error = HttpError::none;
};

// One complete HTTP exchange. Synchronous; never throws.
HttpResponse http_request(const HttpRequest& request);

// A plain GET of an absolute URL, sharing the process-wide cookie store with http_request.
// The body bytes, or empty bytes on any failure.
ByteArray fetch_url_bytes(const std::string& url);

// The same plain GET, telling also how it ended: callers that must tell an error page or a
// missing answer from a page read these, and a page's Content-Type names its charset.
struct PlainFetch {
    ByteArray body;   // as fetch_url_bytes gives it
    long status = 0;  // HTTP status of the final response, 0 when none came
    HttpError error = HttpError::none;
    std::string content_type;  // its Content-Type value, "" when it names none
};
PlainFetch fetch_url(const std::string& url);

// Bounds on every transfer. The defaults are the product's; tests may shorten them.
struct HttpLimits {
    std::chrono::milliseconds connect_timeout{30000};
    std::chrono::milliseconds stall_timeout{30000};  // no byte received for this long ends it
    // The whole request: connect, every redirect and the body together.
    std::chrono::milliseconds total_timeout{60000};
    // Once the answer has begun, fewer than min_rate_bytes in a min_rate_window end it; 0 bytes
    // switch the rule off. A server that trickles a byte now and then never stalls, but it never
    // gets far either.
    size_t min_rate_bytes = 1024;
    std::chrono::milliseconds min_rate_window{20000};
    size_t max_body_bytes = 64u << 20;
    long max_redirects = 10;
};
HttpLimits http_limits();
void set_http_limits(const HttpLimits& limits);

// Called over and over (about every 15 ms) while a transfer waits on the network, on the thread
// that runs the transfer. The window layer uses it to keep windows painting during a request
// made on the window thread. Empty by default.
void set_wait_pump(std::function<void()> pump);

// Two ways to give a transfer up (it ends with HttpError::cancelled and empty bytes), both read
// where the transfer waits, about every 15 ms. They stay two because they come from different
// places: the abandon flag from another thread, for all a worker's transfers; the cancel from
// within the wait pump, for the one transfer the pump is running for.

// While set on a thread, the transfers that thread runs give up as soon as the flag turns true:
// for a worker whose answers nobody wants any more. nullptr stops watching. The flag has to
// outlive the setting.
void set_thread_abandon_flag(const std::atomic<bool>* flag);

// Called from the wait pump: gives up the transfer the pump is running for, once the pump returns
// to it. That is the innermost transfer waiting on the calling thread: one started inside the pump
// (from a window opened meanwhile) waits with a pump of its own, and the ones beneath it go on.
// Outside a pump, and for other threads' transfers, it does nothing. The window layer cancels a
// request of the window thread this way.
void cancel_waiting_transfers();

// Forgets every cookie of the process-wide store (for tests that need a fresh session).
void clear_cookie_store();

}  // namespace tamsor
