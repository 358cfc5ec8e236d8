#include "http/request_rules.h"

#include <gtest/gtest.h>

namespace tamsor::request_rules {
namespace {

constexpr std::string_view kUrl = "http://h/p";

TEST(RequestRules, AgentComesFromAnyCaseUserAgentLine) {
    EXPECT_EQ(agent_for(""), kDefaultAgent);
    EXPECT_EQ(agent_for("user-agent: X1"), "X1");
    EXPECT_EQ(agent_for("Accept: a\r\nUSER-AGENT:  Y 2  \r\nX: z"), "Y 2");
}

TEST(RequestRules, HeaderBlockGetsTheDefaultsItLacks) {
    const std::string defaults =
        "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
        "Content-Type: application/x-www-form-urlencoded";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"", "", defaults},
        {"", "a=1; b=2", defaults + "\r\nCookie: a=1; b=2"},
        {"Accept: text/html", "",
         "Accept: text/html\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded"},
        {"X-A: 1", "", "X-A: 1\r\n" + defaults},
        {"Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a", "",
         "Referer: r\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: a"},
        // The search matches letter case exactly, so a lower-case line gets its default too.
        {"accept: x", "", "accept: x\r\n" + defaults},
    };
    for (const auto& [extra, cookies, block] : cases) {
        EXPECT_EQ(complete_header_block(extra, kUrl, cookies), block) << extra;
    }
}

TEST(RequestRules, HeaderLinesSkipBlanksAndKeepEmptyValues) {
    EXPECT_EQ(header_lines("A: 1\r\n\r\nB:\r\nC: 3"),
              (std::vector<std::string>{"A: 1", "B;", "C: 3"}));
    EXPECT_TRUE(header_lines("").empty());
}

TEST(RequestRules, SetCookieInAnyCaseIsNormalisedAndCollected) {
    const std::string raw =
        "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSET-COOKIE: b=2\r\n"
        "X-Note: set-cookie: z=9\r\nSet-Cookie:  c = 3 ;HttpOnly\r\nSet-Cookie: ;";
    std::string headers = normalise_set_cookie(raw);
    EXPECT_EQ(headers,
              "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
              "X-Note: Set-Cookie: z=9\r\nSet-Cookie:  c = 3 ;HttpOnly\r\nSet-Cookie: ;");
    EXPECT_EQ(new_cookies_from(headers), "a=1; b=2; c = 3");
    EXPECT_EQ(new_cookies_from("HTTP/1.1 200 OK\r\nX: y"), "");
}

}  // namespace
}  // namespace tamsor::request_rules
