// The bounds that keep a dead or hostile server from holding the caller, and the wait pump.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "engine_fixture.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

TEST_F(Engine, StalledAnswersEndAfterTheStallTimeout) {
    HttpLimits limits = http_limits();
    limits.stall_timeout = milliseconds(300);
    set_http_limits(limits);
    // Silent from the start, and silent half-way through the body.
    for (std::string sent :
         {std::string(), std::string("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nhalf")}) {
        RawServer server([sent](int socket, const std::string&) {
            send_all(socket, sent);
            wait_for_close(socket, 5000);
        });
        auto start = Clock::now();
        HttpResponse response = get(server.url("/slow"));
        auto elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        std::cout << "stall time-out of 300 ms ended the transfer after " << elapsed.count()
                  << " ms\n";
        EXPECT_EQ(response.body, "");
        EXPECT_EQ(response.error, HttpError::timed_out);
        EXPECT_GE(elapsed, milliseconds(300));
        EXPECT_LT(elapsed, milliseconds(1500));
    }
}

TEST_F(Engine, BodiesOverTheCapGiveEmptyBytes) {
    HttpLimits limits = http_limits();
    limits.max_body_bytes = 1000;
    set_http_limits(limits);
    LocalHttpServer server;
    server.http.Get("/sized", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(std::string(std::stoul(req.get_param_value("n")), 'x'), "text/plain");
    });
    // Chunked: no length up front, so only the bytes counted on arrival can tell.
    server.http.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
            std::string piece(1500, 'y');
            sink.write(piece.data(), piece.size());
            sink.write(piece.data(), piece.size());
            sink.done();
            return true;
        });
    });
    server.start();

    EXPECT_EQ(get(server.url("/sized?n=1000")).body.size(), 1000u);
    for (std::string path : {"/sized?n=1001", "/chunked"}) {
        HttpResponse response = get(server.url(path));
        EXPECT_EQ(response.body, "") << path;
        EXPECT_EQ(response.error, HttpError::too_large) << path;
        EXPECT_EQ(fetch_url_bytes(server.url(path)), "") << path;
    }
}

TEST_F(Engine, WaitPumpRunsOnTheCallingThreadWhileTheServerThinks) {
    RawServer server([](int socket, const std::string&) {
        std::this_thread::sleep_for(milliseconds(300));
        send_all(socket, kOkAnswer);
    });
    int calls = 0;
    bool other_thread = false;
    const auto caller = std::this_thread::get_id();
    set_wait_pump([&] {
        ++calls;
        other_thread |= std::this_thread::get_id() != caller;
    });
    EXPECT_EQ(get(server.url("/think")).body, "ok");
    EXPECT_GE(calls, 8);  // about 20 in 300 ms
    EXPECT_LE(calls, 40);
    calls = 0;
    EXPECT_EQ(fetch_url_bytes(server.url("/think")), "ok");
    EXPECT_GE(calls, 8);
    EXPECT_FALSE(other_thread);
}

}  // namespace
}  // namespace tamsor
