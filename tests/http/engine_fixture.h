#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "http/http_request.h"
#include "test_servers.h"

namespace tamsor::http_test {

inline const std::string kOkAnswer =
    "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";

// A responder that sends the same canned answer to every request.
inline RawServer::Responder answer(std::string response) {
    return [response](int socket, const std::string&) { send_all(socket, response); };
}

// The head of a recorded request (request line and header lines) and the bytes after it.
inline std::pair<std::string, std::string> head_and_body(const std::string& request) {
    size_t end = request.find("\r\n\r\n");
    return {request.substr(0, end), request.substr(end + 4)};
}

// A plain GET through the request engine.
inline HttpResponse get(const std::string& url) {
    HttpRequest request;
    request.url = url;
    return http_request(request);
}

// Every engine test starts with an empty cookie store and leaves the limits and the pump as it
// found them.
class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        clear_cookie_store();
        saved_limits_ = http_limits();
    }
    void TearDown() override {
        set_http_limits(saved_limits_);
        set_wait_pump(nullptr);
        clear_cookie_store();
    }

private:
    HttpLimits saved_limits_;
};

}  // namespace tamsor::http_test
