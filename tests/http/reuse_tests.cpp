// Connections kept between requests: reused when sound, never when a transfer ended early.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "engine_fixture.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;
using std::chrono::milliseconds;

// Answers /port with the client's port, which names the connection the request came on.
class PortServer : public LocalHttpServer {
public:
    PortServer() {
        http.Get("/port", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(std::to_string(request.remote_port), "text/plain");
        });
        http.Get("/stall", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(milliseconds(900));
            response.set_content("late", "text/plain");
        });
        http.Get("/big", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(5000, 'x'), "text/plain");
        });
        http.Get("/chunked", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/plain",
                                                  [](size_t, httplib::DataSink& sink) {
                                                      std::string piece(3000, 'y');
                                                      sink.write(piece.data(), piece.size());
                                                      sink.write(piece.data(), piece.size());
                                                      sink.done();
                                                      return true;
                                                  });
        });
        start(true);
    }

    ByteArray port() { return get(url("/port")).body; }
};

TEST_F(Engine, RequestsReuseTheConnectionTheLastOneLeft) {
    PortServer server;
    ByteArray first = server.port();
    ASSERT_FALSE(first.empty());
    // (The server answers five requests on a connection, then closes it.)
    EXPECT_EQ(fetch_url_bytes(server.url("/port")), first);

    // A request with a jar of its own shares no connection with the others.
    HttpRequest own_jar;
    own_jar.url = server.url("/port");
    own_jar.cookies = "";
    ByteArray apart = http_request(own_jar).body;
    EXPECT_FALSE(apart.empty());
    EXPECT_NE(apart, first);
    EXPECT_EQ(server.port(), first);

    // A worker thread takes the connection over, and hands it back.
    ByteArray on_worker;
    std::thread([&] { on_worker = server.port(); }).join();
    EXPECT_EQ(on_worker, first);
    EXPECT_EQ(server.port(), first);
}

TEST_F(Engine, RequestFromTheWaitPumpRunsBesideTheOneWaiting) {
    PortServer server;
    ByteArray nested;
    set_wait_pump([&] {
        if (nested.empty()) {
            nested = server.port();
        }
    });
    EXPECT_EQ(get(server.url("/stall")).body, "late");
    EXPECT_FALSE(nested.empty());
    set_wait_pump(nullptr);
    EXPECT_FALSE(server.port().empty());
}

TEST_F(Engine, TransfersThatEndEarlyLeaveNoConnectionBehind) {
    HttpLimits limits = http_limits();
    limits.stall_timeout = milliseconds(300);
    limits.max_body_bytes = 1000;
    set_http_limits(limits);
    PortServer server;
    ByteArray before = server.port();
    ASSERT_FALSE(before.empty());
    // Were the cut-off connection kept, the next request would read the rest of this answer.
    for (std::string path : {"/stall", "/big", "/chunked"}) {
        HttpResponse cut = get(server.url(path));
        EXPECT_NE(cut.error, HttpError::none) << path;
        ByteArray after = server.port();
        EXPECT_FALSE(after.empty()) << path;
        EXPECT_NE(after, before) << path;
        EXPECT_EQ(after.find_first_not_of("0123456789"), std::string::npos)
            << path << ": " << after;
        before = after;
    }
}

TEST_F(Engine, ConnectionsTheServerClosedAreNotFailures) {
    // Announces nothing about the connection, then closes it: the client may keep it and must
    // notice it is gone, for a GET and for a POST alike.
    RawServer server(answer("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(get(server.url("/a")).body, "ok") << round;
        HttpRequest post;
        post.url = server.url("/b");
        post.method = HttpMethod::post;
        post.post_text = "x=1";
        EXPECT_EQ(http_request(post).body, "ok") << round;
    }
    EXPECT_EQ(server.requests().size(), 6u);
}

}  // namespace
}  // namespace tamsor
