#pragma once

#include <curl/curl.h>

#include <functional>

// The process-wide side of the HTTP layer: libcurl's one-time set-up, the cookie store every
// request shares, and the settings tests may change.
namespace tamsor::curl_runtime {

// Sets libcurl up on first use; every other function here calls it.
void ensure_initialised();

// Makes the handle send and store cookies through the process-wide store.
void attach_cookie_store(CURL* easy);

// The pump set by set_wait_pump, or an empty function.
std::function<void()> wait_pump();

}  // namespace tamsor::curl_runtime
