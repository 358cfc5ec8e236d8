#include "http/transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>
#include <utility>

#include "http/address.h"
#include "http/connection_pool.h"
#include "http/curl_runtime.h"
#include "http/origin.h"
#include "http/request_rules.h"
#include "text/strings.h"

namespace tamsor {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPumpInterval = std::chrono::milliseconds(15);

// What one hop of a transfer has received so far.
struct HopState {
    size_t max_body = 0;
    ByteArray body;
    std::string headers;
    bool headers_complete = false;
    bool over_cap = false;
    bool connected = false;
    HttpError ended_by = HttpError::none;  // the bound of ours that ended the hop, if one did
    bool cancel_requested = false;         // by cancel_waiting_transfers, from the wait pump
    Clock::time_point last_activity = Clock::now();
    // The window of the minimum rate, from the first byte of the answer on.
    bool answering = false;
    Clock::time_point window_start;
    size_t window_bytes = 0;
    curl_off_t downloaded = 0;
    curl_off_t uploaded = 0;

    void touch() { last_activity = Clock::now(); }

    void received(size_t bytes) {
        touch();
        if (!answering) {
            answering = true;
            window_start = last_activity;
        }
        window_bytes += bytes;
    }
};

size_t on_body(char* data, size_t, size_t size, void* user) {
    auto& state = *static_cast<HopState*>(user);
    state.received(size);
    // A chunked body has no length to refuse up front, so the cap is kept here.
    if (size > state.max_body - state.body.size()) {
        state.over_cap = true;
        return 0;
    }
    try {
        state.body.append(data, size);
    } catch (...) {
        return 0;
    }
    return size;
}

// Keeps the header block of the last response only: every hop of a redirect chain and every
// interim "100 Continue" starts with a status line of its own.
size_t on_header(char* data, size_t, size_t size, void* user) {
    auto& state = *static_cast<HopState*>(user);
    state.received(size);
    std::string_view line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    try {
        if (line.starts_with("HTTP/")) {
            state.headers.assign(line);
            state.headers_complete = false;
        } else if (line.empty()) {
            state.headers_complete = true;
        } else if (!state.headers_complete) {
            state.headers += "\r\n";
            state.headers += line;
        }
    } catch (...) {
        return 0;
    }
    return size;
}

// The stall clock starts once the connection stands; until then the connect time-out rules.
int on_connected(void* user, char*, char*, int, int) {
    auto& state = *static_cast<HopState*>(user);
    state.connected = true;
    state.touch();
    return CURL_PREREQFUNC_OK;
}

int on_progress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto& state = *static_cast<HopState*>(user);
    if (downloaded != state.downloaded || uploaded != state.uploaded) {
        state.downloaded = downloaded;
        state.uploaded = uploaded;
        state.touch();
    }
    return 0;
}

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

bool is_http_url(std::string_view url) {
    std::string lower = to_lower_ascii(url.substr(0, 8));
    return lower.starts_with("http://") || lower.starts_with("https://");
}

// A URL without a scheme is taken as http; one with another scheme keeps it (and is refused).
// "host/?next=http://x" has no scheme of its own: only a scheme name before the first "://"
// counts.
std::string with_scheme(const std::string& url) {
    size_t end = url.find("://");
    bool has_scheme =
        end != std::string::npos && end > 0 && std::isalpha(static_cast<unsigned char>(url[0])) &&
        std::all_of(url.begin(), url.begin() + static_cast<long>(end), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
        });
    return has_scheme ? url : "http://" + url;
}

HeaderList make_header_list(const std::vector<std::string>& lines) {
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        list = curl_slist_append(list, line.c_str());
    }
    // Our block is sent as written: no "Expect: 100-continue" of the transport's own.
    list = curl_slist_append(list, "Expect:");
    return HeaderList(list);
}

// An https server has to show a certificate that chains to a trusted authority and names the
// host the address names. Both checks are libcurl's defaults; they are set all the same, so that
// nothing can have switched them off.
bool set_certificate_checks(CURL* easy) {
    if (curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) != CURLE_OK) {
        return false;
    }
    const std::string authorities = curl_runtime::trusted_authorities();
    if (authorities.empty()) {
        return true;
    }
    curl_blob blob{const_cast<char*>(authorities.data()), authorities.size(), CURL_BLOB_COPY};
    return curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK;
}

// False when libcurl refuses a set-up the request's safety rests on.
bool set_common_options(CURL* easy, const TransferPlan& plan, const HttpLimits& limits) {
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A transfer given up while its host name is still being resolved (deadline, cancel,
    // abandon) leaves the resolver thread to finish by itself; otherwise libcurl waits for it,
    // as long as the name server takes, with the window held and no pump running.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    if (!curl_runtime::set_text_option(easy, CURLOPT_PROTOCOLS_STR, "http,https") ||
        !curl_runtime::set_text_option(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") ||
        !set_certificate_checks(easy)) {
        return false;
    }
    // Redirects are followed hop by hop below, because the proxy may serve some hops only and
    // the request's own headers may not go with every hop.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connect_timeout.count()));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits.max_body_bytes));
    curl_easy_setopt(easy, CURLOPT_USERAGENT, plan.agent.c_str());
    // An empty no-proxy list: a proxy of the request carries every host it serves, whatever
    // NO_PROXY in the environment names. (That no proxy comes from the environment at all is the
    // work of CURLOPT_PROXY, set for every hop.)
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &on_body);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &on_header);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &on_connected);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &on_progress);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    return !plan.use_cookie_store || curl_runtime::attach_cookie_store(easy);
}

// False when libcurl refuses the proxy setting.
bool set_hop_options(CURL* easy, const std::string& url, HttpMethod method, std::string_view body,
                     const std::string& proxy, HopState* state) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    // An empty proxy is a direct connection, also when the environment names a proxy.
    if (!curl_runtime::set_text_option(easy, CURLOPT_PROXY, proxy.c_str())) {
        return false;
    }
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    if (method == HttpMethod::head) {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (method == HttpMethod::post) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
    }
    for (CURLoption option :
         {CURLOPT_WRITEDATA, CURLOPT_HEADERDATA, CURLOPT_PREREQDATA, CURLOPT_XFERINFODATA}) {
        curl_easy_setopt(easy, option, state);
    }
    return true;
}

// The hop whose wait pump runs on this thread just now. A request made inside the pump (by a
// window opened meanwhile) waits with a pump of its own, so what the pump delivers belongs to the
// innermost waiting hop.
thread_local HopState* pumping = nullptr;

void call_pump(const std::function<void()>& pump, HopState& state) {
    if (!pump) {
        return;
    }
    HopState* outer = std::exchange(pumping, &state);
    try {
        pump();
    } catch (...) {
        // A failing pump must not end the transfer or escape into the caller.
    }
    pumping = outer;
}

// The bound of ours the hop has run into, or none: the request's total time, the stall time-out,
// and once the answer has begun the minimum rate, whose window starts again each time it is met.
HttpError bound_reached(HopState& state, const HttpLimits& limits, Clock::time_point deadline) {
    const auto now = Clock::now();
    if (now >= deadline) {
        return HttpError::deadline_passed;
    }
    if (state.connected && now - state.last_activity >= limits.stall_timeout) {
        return HttpError::timed_out;
    }
    if (state.answering && now - state.window_start >= limits.min_rate_window) {
        if (state.window_bytes < limits.min_rate_bytes) {
            return HttpError::too_slow;
        }
        state.window_start = now;
        state.window_bytes = 0;
    }
    return HttpError::none;
}

thread_local const std::atomic<bool>* abandon_flag = nullptr;

// Whether the hop is given up: by the user, from the wait pump (the window thread), or because
// nobody wants the answers of the thread's transfers any more (a worker whose window is gone).
bool given_up(const HopState& state) {
    return state.cancel_requested || (abandon_flag != nullptr && abandon_flag->load());
}

// Runs one hop to its end or to one of our bounds, calling the wait pump while it waits on the
// network.
CURLcode perform_hop(CURLM* multi, CURL* easy, HopState& state, const HttpLimits& limits,
                     Clock::time_point deadline, const std::function<void()>& pump) {
    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_FAILED_INIT;
    auto last_pump = Clock::now();
    while (true) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            break;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                }
            }
            break;
        }
        if (given_up(state)) {
            state.ended_by = HttpError::cancelled;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        state.ended_by = bound_reached(state, limits, deadline);
        if (state.ended_by != HttpError::none) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(kPumpInterval.count()), nullptr);
        if (Clock::now() - last_pump >= kPumpInterval) {
            call_pump(pump, state);
            last_pump = Clock::now();
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

HttpError error_for(CURLcode code, const HopState& state) {
    if (state.over_cap || code == CURLE_FILESIZE_EXCEEDED) {
        return HttpError::too_large;
    }
    if (state.ended_by != HttpError::none) {
        return state.ended_by;
    }
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
            return HttpError::refused_scheme;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
            return HttpError::connect_failed;
        default:
            return HttpError::transfer_failed;
    }
}

// A 303 turns every request but HEAD into a GET; 301 and 302 turn a POST into a GET, as
// browsers do. 307 and 308 keep the method and the body.
HttpMethod method_after_redirect(HttpMethod method, long status) {
    if ((status == 303 && method != HttpMethod::head) ||
        ((status == 301 || status == 302) && method == HttpMethod::post)) {
        return HttpMethod::get;
    }
    return method;
}

// The proxy serves some hops only; an empty one is a direct connection.
std::string hop_proxy(const TransferPlan& plan, const std::string& url) {
    return request_rules::proxy_serves(plan.url, url) ? plan.proxy : std::string();
}

TransferResult transfer(const TransferPlan& plan) {
    TransferResult result;
    const std::string first_url = wire_address(with_scheme(plan.url));
    if (!is_http_url(first_url)) {
        result.error = HttpError::refused_scheme;
        return result;
    }
    if (!curl_runtime::ensure_initialised()) {
        result.error = HttpError::setup_refused;
        return result;
    }
    const HttpLimits limits = http_limits();
    const auto deadline = Clock::now() + limits.total_timeout;
    const std::function<void()> pump = curl_runtime::wait_pump();
    // A request with a cookie jar of its own shares no connection with the others.
    MultiLease multi(plan.use_cookie_store, place_of(first_url, hop_proxy(plan, first_url)));
    EasyHandle easy(curl_easy_init());
    if (!easy || multi.get() == nullptr) {
        result.error = HttpError::transfer_failed;
        return result;
    }
    if (!set_common_options(easy.get(), plan, limits)) {
        result.error = HttpError::setup_refused;
        return result;
    }

    std::string url = first_url;
    HttpMethod method = plan.method;
    for (long redirects = 0;; ++redirects) {
        // The request's own headers go to its own host only; elsewhere without Cookie and Referer.
        result.from_request_origin = redirects == 0 || credentials_may_follow(first_url, url);
        HeaderList headers = make_header_list(
            result.from_request_origin ? plan.header_lines
                                       : request_rules::without_credentials(plan.header_lines));
        if (!plan.header_lines.empty()) {
            curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
        }
        HopState state;
        state.max_body = limits.max_body_bytes;
        std::string_view body = method == HttpMethod::post ? plan.body : std::string_view();
        const std::string proxy = hop_proxy(plan, url);
        if (!set_hop_options(easy.get(), url, method, body, proxy, &state)) {
            result.error = HttpError::setup_refused;
            return result;
        }
        multi.reached(place_of(url, proxy));
        CURLcode code = perform_hop(multi.get(), easy.get(), state, limits, deadline, pump);
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &result.status);
        result.headers = std::move(state.headers);
        if (code != CURLE_OK) {
            result.error = error_for(code, state);
            return result;
        }
        const char* location = nullptr;
        curl_easy_getinfo(easy.get(), CURLINFO_REDIRECT_URL, &location);
        if (!plan.follow_redirects || location == nullptr || result.status / 100 != 3) {
            result.body = std::move(state.body);
            return result;
        }
        if (redirects >= limits.max_redirects) {
            result.error = HttpError::too_many_redirects;
            return result;
        }
        if (!is_http_url(location)) {
            result.error = HttpError::refused_scheme;
            return result;
        }
        // The target is the server's own bytes, not the program's text: the transport sends them
        // back as they came, escaping those a request line cannot carry.
        url = location;
        method = method_after_redirect(method, result.status);
    }
}

}  // namespace

void set_thread_abandon_flag(const std::atomic<bool>* flag) {
    abandon_flag = flag;
}

void cancel_waiting_transfers() {
    if (pumping != nullptr) {
        pumping->cancel_requested = true;
    }
}

TransferResult run_transfer(const TransferPlan& plan) {
    try {
        return transfer(plan);
    } catch (...) {
        TransferResult failed;
        failed.error = HttpError::transfer_failed;
        return failed;
    }
}

}  // namespace tamsor
