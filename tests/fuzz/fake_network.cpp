#include "fake_network.h"

#include <ctime>

#include "http/http_request.h"
#include "text/gbk.h"

namespace tamsor {
namespace {

std::string_view current_page;
int served = 0;

ByteArray answer(const std::string& url) {
    if (url != fuzz::page_url) {
        return {};
    }
    ++served;
    return ByteArray(current_page);
}

}  // namespace

std::string fuzz::serve_page(std::string_view bytes) {
    current_page = bytes;
    served = 0;
    return page_text(bytes);
}

int fuzz::pages_served() {
    return served;
}

HttpResponse http_request(const HttpRequest& request) {
    HttpResponse response;
    response.body = answer(request.url);
    response.status = response.body.empty() ? 0 : 200;
    return response;
}

ByteArray fetch_url_bytes(const std::string& url) {
    return answer(url);
}

}  // namespace tamsor

// The profile fetch pauses before its resting text; a fuzzer would spend its time asleep.
extern "C" int nanosleep(const struct timespec*, struct timespec*) {
    return 0;
}
