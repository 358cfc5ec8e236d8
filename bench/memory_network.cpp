#include "memory_network.h"

#include <time.h>

#include <map>

#include "http/http_request.h"

namespace tamsor {
namespace {

std::map<std::string, const std::string*>& served() {
    static std::map<std::string, const std::string*> pages;
    return pages;
}

ByteArray answer(const std::string& url) {
    const auto found = served().find(url);
    return found == served().end() ? ByteArray() : ByteArray(*found->second);
}

}  // namespace

void bench::serve(const std::string& url, const std::string& bytes) {
    served()[url] = &bytes;
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

// The profile fetch ends with a fixed 200 ms pause before its resting text; the readers are
// timed without it.
extern "C" int nanosleep(const struct timespec*, struct timespec*) {
    return 0;
}
