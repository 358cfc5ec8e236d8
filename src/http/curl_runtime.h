#pragma once

#include <curl/curl.h>

#include <functional>
#include <string>

// The process-wide side of the HTTP layer: libcurl's one-time set-up, the cookie store every
// request shares, and the settings tests may change.
namespace tamsor::curl_runtime {

// Sets libcurl up on first use; false while libcurl refuses (the next call tries again).
bool ensure_initialised();

// Makes the handle send and store cookies through the process-wide store; false when the store
// cannot be had, and the handle then must not be used: it would keep a session of its own.
bool attach_cookie_store(CURL* easy);

// Sets a text option through the guarded calls; false when libcurl refuses it.
bool set_text_option(CURL* easy, CURLoption option, const char* value);

// The pump set by set_wait_pump, or an empty function.
std::function<void()> wait_pump();

// Certificate authorities (PEM text) that an https server's certificate must chain to, in place
// of the system's: tests sign their servers' certificates with an authority of their own. Empty,
// as the product leaves it, means the system's trust store.
void set_trusted_authorities(std::string pem);
std::string trusted_authorities();

// The libcurl calls the layer's safety rests on. Each one refused would leave requests free to use
// other protocols or a proxy from the environment, or keep each request's cookies apart, so a
// refusal fails the request instead of being passed over. The product uses libcurl's own; a test
// hands in calls that refuse.
struct GuardedCalls {
    std::function<CURLcode(long flags)> global_init;
    std::function<CURLSH*()> share_init;
    std::function<CURLcode(CURL* easy, CURLoption option, const char* value)> set_text_option;
};
GuardedCalls libcurl_calls();
void set_guarded_calls(GuardedCalls calls);

}  // namespace tamsor::curl_runtime
