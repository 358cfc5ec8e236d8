#include "http/network.h"

#include <thread>

namespace tamsor {
namespace {

void sleep_this_thread(std::chrono::milliseconds length) {
    std::this_thread::sleep_for(length);
}

constexpr Network kRealNetwork{&http_request, &fetch_url, &sleep_this_thread};

}  // namespace

const Network& real_network() {
    return kRealNetwork;
}

}  // namespace tamsor
