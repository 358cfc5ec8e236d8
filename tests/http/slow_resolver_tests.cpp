// A host name that is slow to resolve. libcurl resolves on a thread of its own through the C
// library's getaddrinfo, where no seam of the HTTP layer reaches, so this test program puts a
// getaddrinfo of its own in front of the C library's: names under slow-resolver.invalid take
// three seconds, every other name goes straight through.
#include <dlfcn.h>
#include <netdb.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string_view>
#include <thread>

#include "engine_fixture.h"

namespace {

constexpr std::string_view kSlowDomain = ".slow-resolver.invalid";
constexpr auto kSlowResolution = std::chrono::seconds(3);

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) noexcept {
    using Resolver = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto next = reinterpret_cast<Resolver>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (node != nullptr && std::string_view(node).ends_with(kSlowDomain)) {
        std::this_thread::sleep_for(kSlowResolution);
    }
    return next(node, service, hints, result);
}

namespace tamsor {
namespace {

using namespace tamsor::http_test;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// The deadline, an Esc on the window thread and a worker's abandoned load all end a request that
// still waits for its host's address at once: the transfer leaves the resolver to finish by
// itself rather than waiting for it with the window held.
TEST_F(Engine, ASlowNameResolutionHoldsNoBoundBack) {
    HttpLimits limits = http_limits();
    limits.total_timeout = milliseconds(300);
    set_http_limits(limits);
    const std::atomic<bool> abandoned{true};
    struct Case {
        const char* what;
        std::function<void()> arrange;
        HttpError expected;
    };
    const Case cases[] = {
        {"deadline", [] {}, HttpError::deadline_passed},
        {"cancel", [] { set_wait_pump([] { cancel_waiting_transfers(); }); }, HttpError::cancelled},
        {"abandon", [&] { set_thread_abandon_flag(&abandoned); }, HttpError::cancelled},
    };
    for (const Case& c : cases) {
        c.arrange();
        const auto start = Clock::now();
        const PlainFetch fetch =
            fetch_url("http://" + std::string(c.what) + std::string(kSlowDomain));
        const auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        set_wait_pump(nullptr);
        set_thread_abandon_flag(nullptr);
        EXPECT_EQ(fetch.error, c.expected) << c.what;
        EXPECT_LT(elapsed, milliseconds(1500))
            << c.what << " ended after " << elapsed.count() << " ms";
    }
}

}  // namespace
}  // namespace tamsor
