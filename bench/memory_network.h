#pragma once

#include <string>

// The forum operations' fetches answered from memory. memory_network.cpp stands in for the HTTP
// layer's two request functions (the linker takes them from it and the rest of tamsor_http from
// the library), so the benchmarks run the operations themselves over the big pages, with no
// network in the way.
namespace tamsor::bench {

// From now on a fetch of `url` answers a copy of `bytes`, as a transfer would; any other
// address answers nothing, as a failed fetch does.
void serve(const std::string& url, const std::string& bytes);

}  // namespace tamsor::bench
