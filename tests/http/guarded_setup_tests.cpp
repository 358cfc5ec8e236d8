// A refused libcurl set-up call fails the request instead of being passed over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine_fixture.h"
#include "http/curl_runtime.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;

enum class Refused { global_init, share_init, protocols, redirect_protocols, proxy };

curl_runtime::GuardedCalls refusing(Refused refused) {
    curl_runtime::GuardedCalls calls = curl_runtime::libcurl_calls();
    if (refused == Refused::global_init) {
        calls.global_init = [](long) { return CURLE_FAILED_INIT; };
    } else if (refused == Refused::share_init) {
        calls.share_init = []() -> CURLSH* { return nullptr; };
    } else {
        const CURLoption option = refused == Refused::protocols ? CURLOPT_PROTOCOLS_STR
                                  : refused == Refused::redirect_protocols
                                      ? CURLOPT_REDIR_PROTOCOLS_STR
                                      : CURLOPT_PROXY;
        calls.set_text_option = [option, real = calls.set_text_option](CURL* easy, CURLoption asked,
                                                                       const char* value) {
            return asked == option ? CURLE_UNKNOWN_OPTION : real(easy, asked, value);
        };
    }
    return calls;
}

// With the call refused, both ways of asking fail for that reason, before any connection.
bool fails_for_the_refusal(Refused refused) {
    curl_runtime::set_guarded_calls(refusing(refused));
    RawServer server(answer(kOkAnswer));
    const bool failed = get(server.url("/")).error == HttpError::setup_refused &&
                        fetch_url_bytes(server.url("/")).empty() && server.requests().empty();
    curl_runtime::set_guarded_calls(curl_runtime::libcurl_calls());
    return failed;
}

// libcurl is set up once a process, so each refusal is tried in a fresh process of its own.
TEST(GuardedSetup, ARefusedSafetyCallFailsTheRequest) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (Refused refused : {Refused::global_init, Refused::share_init, Refused::protocols,
                            Refused::redirect_protocols, Refused::proxy}) {
        EXPECT_EXIT(std::_Exit(fails_for_the_refusal(refused) ? 0 : 1),
                    ::testing::ExitedWithCode(0), "")
            << static_cast<int>(refused);
    }
}

}  // namespace
}  // namespace tamsor
