// The process-wide cookie store and the proxy rule, seen from a server's side.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "http/origin.h"
#include "text/strings.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;

// "/set?n=NAME&v=VALUE" sets a cookie; "/echo" answers with the Cookie header it got; both
// take GET and POST, so fetch_url_bytes and form posts can meet on them.
class CookieStore : public Engine {
protected:
    void SetUp() override {
        Engine::SetUp();
        auto set = [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("Set-Cookie",
                           req.get_param_value("n") + "=" + req.get_param_value("v") + "; path=/");
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        };
        auto echo = [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("Cookie"), "text/plain");
        };
        server_.http.Get("/set", set);
        server_.http.Post("/set", set);
        server_.http.Get("/echo", echo);
        server_.http.Post("/echo", echo);
        server_.start();
    }

    HttpResponse post(const std::string& path) {
        HttpRequest request;
        request.url = server_.url(path);
        request.method = HttpMethod::post;
        request.post_text = "step=2";
        return http_request(request);
    }

    LocalHttpServer server_;
};

TEST_F(CookieStore, FetchAndRequestShareOneSession) {
    fetch_url_bytes(server_.url("/set?n=captcha&v=1"));
    EXPECT_EQ(post("/echo").body, "captcha=1");

    post("/set?n=login&v=2");
    std::string sent = fetch_url_bytes(server_.url("/echo"));
    EXPECT_NE(sent.find("captcha=1"), std::string::npos) << sent;
    EXPECT_NE(sent.find("login=2"), std::string::npos) << sent;

    clear_cookie_store();
    EXPECT_EQ(fetch_url_bytes(server_.url("/echo")), "");
}

TEST_F(CookieStore, ThreadsShareOneSession) {
    std::thread([&] { fetch_url_bytes(server_.url("/set?n=worker&v=A")); }).join();
    EXPECT_EQ(get(server_.url("/echo")).body, "worker=A");

    // Many threads setting and sending at once: the store's locks keep every cookie.
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            std::string name = "t" + std::to_string(i);
            post("/set?n=" + name + "&v=" + name);
            for (int round = 0; round < 10; ++round) {
                fetch_url_bytes(server_.url("/echo"));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::string sent = get(server_.url("/echo")).body;
    for (int i = 0; i < kThreads; ++i) {
        std::string name = "t" + std::to_string(i);
        EXPECT_NE(sent.find(name + "=" + name), std::string::npos) << sent;
    }
}

TEST_F(CookieStore, SuppliedJarNeitherUsesNorChangesTheStore) {
    fetch_url_bytes(server_.url("/set?n=a&v=1"));

    HttpRequest request;
    request.url = server_.url("/set?n=b&v=2");
    request.cookies = "j=9; b=1";
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.body, "j=9; b=1");  // the jar alone, not the store's a=1
    EXPECT_EQ(response.new_cookies, "b=2");
    EXPECT_EQ(response.cookies, "b=2; j=9");

    request.cookies = "";  // supplied but empty: no Cookie header at all
    EXPECT_EQ(http_request(request).body, "");

    EXPECT_EQ(fetch_url_bytes(server_.url("/echo")), "a=1");
}

TEST(CredentialsMayFollow, SameHostAndPortWithoutStepDownOnly) {
    struct Case {
        const char* from;
        const char* to;
        bool follows;
    };
    const Case cases[] = {
        {"http://h/a", "http://h/b?c", true},
        {"http://H:80/", "http://h/x", true},  // letter case and the default port
        {"http://h:8443/", "https://h:8443/", true},
        {"http://h/", "http://h:81/", false},
        {"http://h/", "http://g/", false},
        {"https://h:8443/", "http://h:8443/", false},  // from https to plain http
        {"http://h/", "http://h:80@g/", false},        // user "h", password "80", host g
        {"http://h/", "http://h:80\\@g/", false},
        {"http://h/", "not an address", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(credentials_may_follow(c.from, c.to), c.follows) << c.from << " -> " << c.to;
    }
}

// The caller's jar and the Referer (which can hold the punch tokens) go with a redirect only to the
// request's own host and port, and what another host sets stays out of the jar.
TEST_F(Engine, ARedirectElsewhereTakesNoCredentialsAlong) {
    const std::string kNext =
        "HTTP/1.1 200 OK\r\nSet-Cookie: fresh=1\r\nContent-Length: 2\r\nConnection: "
        "close\r\n\r\nok";
    RawServer other(answer(kNext));
    std::string location;
    RawServer home([&](int socket, const std::string& request) {
        send_all(socket, request.starts_with("GET /start ")
                             ? "HTTP/1.1 302 Found\r\nLocation: " + location +
                                   "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
                             : kNext);
    });
    const std::string home_port = std::to_string(home.port());
    const std::string other_port = std::to_string(other.port());
    struct Case {
        std::string location;
        const RawServer& target;
        bool credentials;
    };
    const Case cases[] = {
        {"/next", home, true},
        {"http://127.0.0.1:" + other_port + "/next", other, false},
        {"http://localhost:" + home_port + "/next", home, false},
        {"http://127.0.0.1:" + home_port + "@127.0.0.1:" + other_port + "/next", other, false},
    };
    for (const auto& c : cases) {
        location = c.location;
        HttpRequest request;
        request.url = home.url("/start");
        request.cookies = "session=s1";
        HttpResponse response = http_request(request);
        EXPECT_EQ(response.body, "ok") << c.location;
        EXPECT_EQ(response.cookies, c.credentials ? "fresh=1; session=s1" : "session=s1")
            << c.location;
        const std::string sent = c.target.requests().back();
        ASSERT_TRUE(sent.starts_with("GET /next ")) << sent;
        EXPECT_EQ(contains(sent, "\r\nCookie: session=s1\r\n"), c.credentials) << c.location;
        EXPECT_EQ(contains(sent, "\r\nReferer: "), c.credentials) << c.location;
    }
}

// A raw server stands in for the proxy, so the absolute-URI requests and CONNECTs it gets can
// be read as they arrive.
TEST_F(Engine, ProxyCarriesPlainHttpHopsOnly) {
    const std::string dead_https = "https://127.0.0.1:" + std::to_string(closed_port()) + "/secure";
    RawServer proxy([&](int socket, const std::string& request) {
        std::string target =
            request.find("/next") == std::string::npos ? "http://forum.invalid/next" : dead_https;
        send_all(socket, "HTTP/1.1 302 Found\r\nLocation: " + target +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    HttpRequest request;
    request.url = "http://forum.invalid/page?x=1";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    HttpResponse response = http_request(request);

    auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);  // the https hop went direct, not through the proxy
    EXPECT_TRUE(requests[0].starts_with("GET http://forum.invalid/page?x=1 HTTP/1.1\r\n"));
    EXPECT_TRUE(requests[1].starts_with("GET http://forum.invalid/next HTTP/1.1\r\n"));
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.error, HttpError::connect_failed);
}

TEST_F(Engine, ProxyCarriesEveryHopOfAnHttpsRequest) {
    RawServer proxy(answer("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"));
    HttpRequest request;
    request.url = "https://secure.invalid/login";
    request.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    EXPECT_EQ(http_request(request).body, "");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_TRUE(proxy.requests()[0].starts_with("CONNECT secure.invalid:443 HTTP/1.1\r\n"));
}

}  // namespace
}  // namespace tamsor
