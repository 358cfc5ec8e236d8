#pragma once

#include <string>
#include <string_view>

// The forum operations' fetches answered from memory, for the benchmarks and the fuzz targets.
// memory_network.cpp stands in for the HTTP layer's request functions: an executable that
// links the tamsor_memory_network object library gets them from it and the rest of tamsor_http
// from the library, so the operations run as they are, with no network in the way. It also
// makes sleeping return at once: the profile fetch pauses before its resting text, and neither
// a timed reader nor a fuzzer should spend its time asleep.
namespace tamsor::memory_network {

// From now on a fetch of `url` answers a copy of `bytes`, as a transfer would. The bytes are
// not copied here and must stay alive while they are served.
void serve(const std::string& url, std::string_view bytes);

// Every address answers nothing again, as a failed fetch does, and the count starts over.
void forget_all();

// Fetches answered with a page since forget_all.
int pages_answered();

}  // namespace tamsor::memory_network
