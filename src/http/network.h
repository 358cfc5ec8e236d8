#pragma once

#include <chrono>
#include <string>

#include "http/http_request.h"

namespace tamsor {

// What an operation needs of the world outside the program: its two kinds of fetch and a pause.
// The program hands in the real ones; the benchmarks and the fuzz targets hand in fetches
// answered from memory and a pause that returns at once, so the operations run as they are with
// no network in the way. Plain function pointers: a copy costs nothing and a worker thread can
// keep its own.
struct Network {
    HttpResponse (*request)(const HttpRequest& request);  // as http_request
    PlainFetch (*fetch)(const std::string& url);          // as fetch_url
    void (*pause)(std::chrono::milliseconds length);
};

// http_request, fetch_url, and a sleep of the calling thread.
const Network& real_network();

}  // namespace tamsor
