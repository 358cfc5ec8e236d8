#include "http/url.h"

#include <gtest/gtest.h>

namespace tamsor {
namespace {

struct BetweenCase {
    std::string text, start, end, expected;
};

TEST(TextBetween, CutsBetweenFirstStartAndNextEnd) {
    const BetweenCase cases[] = {
        {"a=<b>x</b>", "<b>", "</b>", "x"},
        {"<b></b>", "<b>", "</b>", ""},
        {"abc", "<b>", "c", ""},
        {"<b>x", "<b>", "</b>", ""},
        // The end marker is searched after the start marker, not from the beginning.
        {"</b><b>y</b>", "<b>", "</b>", "y"},
        {"<b>1</b><b>2</b>", "<b>", "</b>", "1"},
        {R"(id="42")", "id=#引号", "#引号", "42"},
        {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", " a=1"},
        {"名字：张三。", "名字：", "。", "张三"},
        {"AbC", "a", "c", ""},  // letter case matters
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text_between(c.text, c.start, c.end), c.expected)
            << c.text << " | " << c.start << " | " << c.end;
    }
}

TEST(UrlParts, HostPortAndPath) {
    struct Case {
        std::string url, host, host_with_port;
        int port;
        std::string path;
    };
    const Case cases[] = {
        {"HTTP://Srv.Host1:8080/x", "srv.host1", "srv.host1:8080", 8080, "/x"},
        {"host1/a", "host1", "host1", 80, "/a"},
        {"https://srv.host1/x", "srv.host1", "srv.host1", 443, "/x"},
        {"http://srv.host1:81/", "srv.host1", "srv.host1:81", 81, "/"},
        {"srv.host1/x", "srv.host1", "srv.host1", 80, "/x"},
        {"http://srv.host1", "srv.host1", "srv.host1", 80, "/"},
        {"http://Srv.Host1/a/B.php?x=1&y=2", "srv.host1", "srv.host1", 80, "/a/B.php?x=1&y=2"},
        {"HTTPS://H:8443", "h", "h:8443", 8443, "/"},
        // A scheme inside the query does not make the host.
        {"host1/go?to=http://other/", "host1", "host1", 80, "/go?to=http://other/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(url_host(c.url), c.host) << c.url;
        EXPECT_EQ(url_host(c.url, true), c.host_with_port) << c.url;
        EXPECT_EQ(url_port(c.url), c.port) << c.url;
        EXPECT_EQ(url_path(c.url), c.path) << c.url;
    }
}

}  // namespace
}  // namespace tamsor
