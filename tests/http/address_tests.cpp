// Addresses on the wire: UTF-8 inside the program, GBK escapes to the forum.
#include "http/address.h"

#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "text/strings.h"

namespace tamsor {
namespace {

using namespace tamsor::http_test;

struct AddressCase {
    std::string address, wire;
};

TEST(WireAddress, NonAsciiGoesOutAsEscapedGbkAndAsciiStays) {
    const AddressCase cases[] = {
        {"http://h/p?q=1&r=%2F", "http://h/p?q=1&r=%2F"},
        {"http://h/图片/中文图.png", "http://h/%CD%BC%C6%AC/%D6%D0%CE%C4%CD%BC.png"},
        {"http://h/a b.png", "http://h/a%20b.png"},
        {"http://h/已%20有.png", "http://h/%D2%D1%20%D3%D0.png"},  // escapes stay as they are
        {"http://h?x=中#锚", "http://h?x=%D6%D0#%C3%AA"},
        {"h/图", "h/%CD%BC"},  // no scheme
        // GBK has no emoji: their own UTF-8 bytes, never a "?" that would start a query.
        {"http://h/😀.png", "http://h/%F0%9F%98%80.png"},
        {"http://h/a\tb\x7F", "http://h/a%09b%7F"},
        {"http://h/\xFF", "http://h/%FF"},                         // not UTF-8 at all
        {"http://例子.测试:81/图", "http://例子.测试:81/%CD%BC"},  // the host is the transport's
        {"https://h", "https://h"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wire_address(c.address), c.wire) << c.address;
        EXPECT_EQ(wire_address(c.wire), c.wire) << "escaping twice changes nothing: " << c.wire;
    }
}

// The server records the request line, so what went on the wire is what is checked.
TEST_F(Engine, BothEntryPointsRequestTheGbkEscapedAddress) {
    RawServer server(answer(kOkAnswer));
    const std::string address = server.url("/图片/中文图.png?名=a b");
    const std::string target = "/%CD%BC%C6%AC/%D6%D0%CE%C4%CD%BC.png?%C3%FB=a%20b";
    EXPECT_EQ(fetch_url_bytes(address), "ok");
    HttpResponse response = get(address);
    EXPECT_EQ(response.body, "ok");
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_TRUE(request.starts_with("GET " + target + " HTTP/1.1\r\n")) << request;
    }
    EXPECT_NE(requests[1].find("\r\nReferer: " + server.url(target) + "\r\n"), std::string::npos)
        << requests[1];
}

// A Location header holds the server's own bytes (raw GBK, as a GBK forum writes them): they go
// back as they came, escaped, not taken for UTF-8 and encoded again.
TEST_F(Engine, ARedirectTargetIsRequestedWithTheServersOwnBytes) {
    RawServer server([](int socket, const std::string& request) {
        send_all(socket, request.starts_with("GET /from ")
                             ? "HTTP/1.1 302 Found\r\nLocation: /\xCD\xBC a.png?%D6%D0\r\n"
                               "Content-Length: 0\r\nConnection: close\r\n\r\n"
                             : kOkAnswer);
    });
    EXPECT_EQ(fetch_url_bytes(server.url("/from")), "ok");
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    // Escapes are the same in either letter case; the transport writes its own in lower case.
    EXPECT_TRUE(to_lower_ascii(requests[1]).starts_with("get /%cd%bc%20a.png?%d6%d0 http/1.1\r\n"))
        << requests[1];
}

}  // namespace
}  // namespace tamsor
