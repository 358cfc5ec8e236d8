// https: answers count only from a server whose certificate a trusted authority signed for the
// name the address gives, and the session goes with the requests as over plain http.
#include <gtest/gtest.h>

#include "engine_fixture.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;

// "/set" sets a secure cookie; "/echo" answers with the Cookie header it got, as a page.
void serve_session(LocalHttpServer& server) {
    server.http.Get("/set", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "session=1; path=/; Secure");
        res.set_content("set", "text/plain");
    });
    auto echo = [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("cookie " + req.get_header_value("Cookie"), "text/html; charset=utf-8");
    };
    server.http.Get("/echo", echo);
    server.http.Post("/echo", echo);
    server.start();
}

TEST_F(Engine, HttpsCarriesTheSessionOfBothFetches) {
    TrustTestAuthority trust;
    LocalHttpServer server("server");
    serve_session(server);
    ASSERT_TRUE(server.url("/").starts_with("https://"));

    EXPECT_EQ(fetch_url_bytes(server.url("/set")), "set");
    HttpRequest request;
    request.url = server.url("/echo");
    request.method = HttpMethod::post;
    request.post_text = "step=2";
    const HttpResponse answer = http_request(request);
    EXPECT_EQ(answer.error, HttpError::none);
    EXPECT_EQ(answer.body, "cookie session=1");
    const PlainFetch page = fetch_url(server.url("/echo"));
    EXPECT_EQ(page.body, "cookie session=1");
    EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
}

// The system's authorities never signed the test certificates, and the stranger's certificate
// names another host: neither answer may be taken, through either fetch.
TEST_F(Engine, HttpsRefusesUntrustedCertificatesAndOtherNames) {
    LocalHttpServer server("server");
    serve_session(server);
    EXPECT_EQ(get(server.url("/echo")).body, "");
    EXPECT_NE(get(server.url("/echo")).error, HttpError::none);
    EXPECT_EQ(fetch_url_bytes(server.url("/echo")), "");

    TrustTestAuthority trust;
    EXPECT_EQ(get(server.url("/echo")).body, "cookie ") << "the test authority is what was missing";
    LocalHttpServer stranger("stranger");
    serve_session(stranger);
    EXPECT_EQ(get(stranger.url("/echo")).body, "");
    EXPECT_EQ(fetch_url(stranger.url("/echo")).body, "");
}

}  // namespace
}  // namespace tamsor
