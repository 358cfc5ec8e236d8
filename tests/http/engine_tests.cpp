#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;

const std::string kDefaultBlock =
    "Accept: */*\r\nReferer: {url}\r\nAccept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded";

std::string default_block(const std::string& url) {
    std::string block = kDefaultBlock;
    return block.replace(block.find("{url}"), 5, url);
}

// What the server should see after the verb: target, Host and agent lines, the default block.
std::string expected_head(const std::string& target, const RawServer& server) {
    return target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
           "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n" +
           default_block(server.url(target.substr(1)));
}

TEST_F(Engine, GetSendsExactlyTheDefaultBlockAndNoBody) {
    RawServer server(answer(kOkAnswer));
    HttpRequest request;  // GET unless told otherwise
    request.url = server.url("/p?q=1");
    request.post_text = "ignored=1";
    request.post_bytes = "ignored too";
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.body, "ok");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.extra_headers, default_block(request.url));
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    auto [head, body] = head_and_body(requests[0]);
    EXPECT_EQ(head, "GET" + expected_head(" /p?q=1", server));
    EXPECT_EQ(body, "");
}

TEST_F(Engine, CallerHeadersAndAgentAreSentOnce) {
    RawServer server(answer(kOkAnswer));
    HttpRequest request;
    request.url = server.url("/");
    request.extra_headers = "user-agent: X1\r\nAccept: text/html";
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.body, "ok");
    ASSERT_EQ(server.requests().size(), 1u);
    auto [head, body] = head_and_body(server.requests()[0]);
    EXPECT_EQ(head, "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                        "\r\nuser-agent: X1\r\nAccept: text/html\r\nReferer: " + request.url +
                        "\r\nAccept-Language: zh-cn\r\n"
                        "Content-Type: application/x-www-form-urlencoded");
}

TEST_F(Engine, PostSendsTheBodyAsGbkBytesAndHeadSendsNone) {
    RawServer server(answer(kOkAnswer));
    struct Case {
        HttpMethod method;
        std::string post_text, post_bytes, sent;
    };
    const Case cases[] = {
        {HttpMethod::post, "step=2", "", "step=2"},
        {HttpMethod::post, "name=中文", "", "name=\xD6\xD0\xCE\xC4"},
        {HttpMethod::post, "text loses", std::string("b\0y\xFF", 4), std::string("b\0y\xFF", 4)},
        {HttpMethod::post, "", "", ""},
        {HttpMethod::post, "", std::string(2 << 20, 'z'),
         std::string(2 << 20, 'z')},        // no "Expect:" wait
        {HttpMethod::head, "q=1", "", ""},  // HEAD, like GET, sends no body
    };
    for (const auto& c : cases) {
        HttpRequest request;
        request.url = server.url("/post");
        request.method = c.method;
        request.post_text = c.post_text;
        request.post_bytes = c.post_bytes;
        HttpResponse response = http_request(request);
        EXPECT_EQ(response.error, HttpError::none);
        EXPECT_EQ(response.post_bytes, c.sent);
    }
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), std::size(cases));
    for (size_t i = 0; i < requests.size(); ++i) {
        auto [head, body] = head_and_body(requests[i]);
        std::string expected =
            cases[i].method == HttpMethod::head
                ? "HEAD" + expected_head(" /post", server)
                : "POST" + expected_head(" /post", server) +
                      "\r\nContent-Length: " + std::to_string(cases[i].sent.size());
        EXPECT_EQ(head, expected);
        EXPECT_TRUE(body == cases[i].sent) << i;
    }
}

TEST_F(Engine, HeadGetsHeadersOnly) {
    RawServer server(answer(
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nX-Kind: head\r\nConnection: close\r\n\r\n"));
    HttpRequest request;
    request.url = server.url("/h");
    request.method = HttpMethod::head;
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.error, HttpError::none);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.response_headers,
              "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nX-Kind: head\r\nConnection: close");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(server.requests()[0].starts_with("HEAD /h HTTP/1.1\r\n"));
}

TEST_F(Engine, InterimResponsesAreNotPartOfTheHeaderBlock) {
    RawServer server(answer("HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n" + kOkAnswer));
    HttpResponse response = get(server.url("/"));
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.response_headers,
              "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close");
}

TEST_F(Engine, SetCookieLinesInAnyCaseBecomeNewCookies) {
    RawServer server(answer(
        "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nContent-Length: 0\r\n"
        "Connection: close\r\n\r\n"));
    HttpResponse response = get(server.url("/"));
    EXPECT_EQ(response.new_cookies, "a=1; b=2");
    EXPECT_EQ(response.response_headers,
              "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nContent-Length: "
              "0\r\nConnection: close");
    EXPECT_EQ(response.cookies, "");  // no jar supplied: nothing merged
}

TEST_F(Engine, OversizeHeaderBlockKeepsItsCookies) {
    const std::string padding(6000, 'x');
    RawServer server(answer("HTTP/1.1 200 OK\r\nX-Pad: " + padding +
                            "\r\nSet-Cookie: big=1; path=/\r\nContent-Length: 2\r\n"
                            "Connection: close\r\n\r\nok"));
    HttpResponse response = get(server.url("/"));
    EXPECT_EQ(response.body, "ok");
    EXPECT_GT(response.response_headers.size(), 6000u);
    EXPECT_NE(response.response_headers.find("X-Pad: " + padding), std::string::npos);
    EXPECT_EQ(response.new_cookies, "big=1");
}

TEST_F(Engine, BodiesArriveWholeAndErrorPagesToo) {
    std::string picture(3000, '\0');
    for (size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<char>(i * 7);
    }
    LocalHttpServer server;
    server.http.Get("/picture", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(picture, "image/png");
    });
    server.http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not here", "text/plain");
    });
    server.start();
    EXPECT_EQ(fetch_url_bytes(server.url("/picture")), picture);
    EXPECT_EQ(get(server.url("/picture")).body, picture);
    HttpResponse missing = get(server.url("/missing"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "not here");
}

class Redirects : public Engine {
protected:
    void SetUp() override {
        Engine::SetUp();
        server_.http.Get("/from", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/to");
            res.set_content("moved", "text/plain");
        });
        server_.http.Post("/from", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/to");
        });
        server_.http.Get("/to", [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("X-Hop", "final");
            res.set_content("arrived by " + req.method, "text/plain");
        });
        server_.http.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/passwd");
        });
        server_.http.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/loop");
        });
        server_.start();
    }
    LocalHttpServer server_;
};

TEST_F(Redirects, NoRedirectReturnsTheRedirectItself) {
    HttpRequest request;
    request.url = server_.url("/from");
    request.no_redirect = true;
    HttpResponse response = http_request(request);
    EXPECT_EQ(response.status, 302);
    EXPECT_EQ(response.body, "moved");
    EXPECT_NE(response.response_headers.find("\r\nLocation: /to"), std::string::npos);
}

TEST_F(Redirects, FollowedHopsReturnTheFinalResponse) {
    HttpResponse response = get(server_.url("/from"));
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "arrived by GET");
    EXPECT_TRUE(response.response_headers.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(response.response_headers.find("X-Hop: final"), std::string::npos);
    EXPECT_EQ(response.response_headers.find("Location"), std::string::npos);

    HttpRequest post;
    post.url = server_.url("/from");
    // A form post answered with 302 is fetched with GET, as browsers do.
    post.method = HttpMethod::post;
    EXPECT_EQ(http_request(post).body, "arrived by GET");
    EXPECT_EQ(fetch_url_bytes(server_.url("/from")), "arrived by GET");
}

TEST_F(Redirects, BadTargetsAndLoopsGiveEmptyBytes) {
    HttpResponse response = get(server_.url("/to-file"));
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.error, HttpError::refused_scheme);
    EXPECT_EQ(fetch_url_bytes(server_.url("/to-file")), "");

    HttpLimits limits = http_limits();
    limits.max_redirects = 3;
    set_http_limits(limits);
    response = get(server_.url("/loop"));
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.error, HttpError::too_many_redirects);
}

TEST_F(Engine, RefusedSchemesAndDeadHostsGiveEmptyBytes) {
    for (std::string url : {"file:///etc/passwd", "ftp://x/", "gopher://x/", "FILE:///etc/hosts"}) {
        EXPECT_EQ(fetch_url_bytes(url), "") << url;
        HttpResponse response = get(url);
        EXPECT_EQ(response.body, "") << url;
        EXPECT_EQ(response.error, HttpError::refused_scheme) << url;
    }
    std::string dead = "http://127.0.0.1:" + std::to_string(closed_port()) + "/";
    EXPECT_EQ(fetch_url_bytes(dead), "");
    HttpResponse response = get(dead);
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.error, HttpError::connect_failed);
    EXPECT_EQ(response.status, 0);
}

TEST_F(Engine, UrlWithoutSchemeIsHttp) {
    RawServer server(answer(kOkAnswer));
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(get(host + "/bare").body, "ok");
    EXPECT_EQ(get(host + "/go?next=http://x/").body, "ok");
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("GET /bare HTTP/1.1\r\n"));
    EXPECT_TRUE(requests[1].starts_with("GET /go?next=http://x/ HTTP/1.1\r\n"));
}

}  // namespace
}  // namespace tamsor
