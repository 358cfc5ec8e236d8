#include <zlib.h>

#include "http/cookies.h"
#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

uint32_t big_endian(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

using Captcha = SimTest;

TEST_F(Captcha, IsAReadableSizedPngThatStartsASession) {
    HttpRequest request;
    request.url = account_url("/class/CAP/codeshow.php?sid=5307");
    HttpResponse response = http_request(request);
    ASSERT_EQ(response.status, 200);
    EXPECT_TRUE(contains(response.response_headers, "Content-Type: image/png"));
    EXPECT_TRUE(contains(response.new_cookies, "CAPSESSID="));

    const std::string& png = response.body;
    ASSERT_GT(png.size(), 33u);
    ASSERT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    uint32_t width = big_endian(png, 16), height = big_endian(png, 20);
    EXPECT_GE(width, 120u);
    EXPECT_GE(height, 45u);
    // The pixel data inflates to exactly one filter byte and three bytes per pixel per row.
    size_t idat = png.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    uint32_t packed = big_endian(png, idat - 4);
    std::string pixels(height * (width * 3 + 1) + 16, '\0');
    uLongf size = pixels.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                         reinterpret_cast<const Bytef*>(png.data() + idat + 4), packed),
              Z_OK);
    EXPECT_EQ(size, height * (width * 3 + 1));

    std::string code = sim.last_captcha_code();
    EXPECT_TRUE(code.size() == 4 || code.size() == 5) << code;
    EXPECT_EQ(code.find_first_not_of("ABCDEFGHJKLMNPQRSTUVWXYZ23456789"), std::string::npos);

    // A second picture in the same session keeps the session cookie.
    EXPECT_EQ(http_request(request).new_cookies, "");
}

TEST_F(Captcha, OtherSidIsNotServed) {
    HttpRequest request;
    request.url = account_url("/class/CAP/codeshow.php?sid=1");
    EXPECT_EQ(http_request(request).status, 404);
}

using Login = SimTest;

TEST_F(Login, AnswersEachOutcomeWithItsOwnMarkerOnly) {
    const auto& demo = sim::Simulator::demo_accounts()[0];
    const auto& chinese = sim::Simulator::demo_accounts()[1];
    struct Case {
        std::string name, password;
        bool right_code;
        std::string expected;
    };
    const Case cases[] = {
        {demo.name, demo.password, true, success_marker()},
        {chinese.name, chinese.password, true, success_marker()},
        {demo.name, demo.password, false, kWrongCaptcha},
        {demo.name, "demo1234", true, kWrongPassword},
        {chinese.name, "p&ss=中文", true, kWrongPassword},
        {"nobody", demo.password, true, kWrongPassword},
        {"", "", true, kWrongPassword},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " / " + c.password);
        clear_cookie_store();
        fetch_url_bytes(account_url("/class/CAP/codeshow.php?sid=5307"));
        std::string code = c.right_code ? to_lower_ascii(sim.last_captcha_code()) : "ZZZZ9";
        std::string answer =
            text_of(post(account_url("/index.php"), login_body(c.name, c.password, code)));
        for (const std::string& marker :
             {std::string(kWrongCaptcha), std::string(kWrongPassword), success_marker()}) {
            EXPECT_EQ(contains(answer, marker), marker == c.expected) << marker;
        }
    }
}

TEST_F(Login, EachCodeIsGoodForOneAttempt) {
    const auto& demo = sim::Simulator::demo_accounts()[0];
    fetch_url_bytes(account_url("/class/CAP/codeshow.php?sid=5307"));
    std::string code = sim.last_captcha_code();
    EXPECT_TRUE(
        contains(text_of(post(account_url("/index.php"), login_body(demo.name, "wrong", code))),
                 kWrongPassword));
    EXPECT_TRUE(contains(
        text_of(post(account_url("/index.php"), login_body(demo.name, demo.password, code))),
        kWrongCaptcha));
}

TEST_F(Login, WithoutACaptchaSessionTheCodeIsWrong) {
    const auto& demo = sim::Simulator::demo_accounts()[0];
    fetch_url_bytes(account_url("/class/CAP/codeshow.php?sid=5307"));
    std::string code = sim.last_captcha_code();
    clear_cookie_store();
    EXPECT_TRUE(contains(
        text_of(post(account_url("/index.php"), login_body(demo.name, demo.password, code))),
        kWrongCaptcha));
}

TEST_F(Login, MalformedFormsGetNoMarkerAndKeepTheCode) {
    const auto& chinese = sim::Simulator::demo_accounts()[1];
    fetch_url_bytes(account_url("/class/CAP/codeshow.php?sid=5307"));
    std::string code = sim.last_captcha_code();
    std::string good = login_body(chinese.name, chinese.password, code);
    std::string encoded_name = url_encode(chinese.name);
    const std::string malformed[] = {
        replace_all(good, encoded_name, to_lower_ascii(encoded_name)),      // lower-case hex
        replace_all(good, encoded_name, utf8_to_gbk(chinese.name)),         // name not encoded
        replace_all(good, "%3A" + std::to_string(sim.forum_port()), ":1"),  // another forum
        replace_all(good, "&app=checklogin", "&app=login"),
        replace_all(good, "&idcode=", "&code="),
        good.substr(1),
        "",
    };
    for (const auto& body : malformed) {
        SCOPED_TRACE(body);
        std::string answer = text_of(post(account_url("/index.php"), body));
        EXPECT_FALSE(answer.empty());
        EXPECT_FALSE(contains(answer, kWrongCaptcha));
        EXPECT_FALSE(contains(answer, kWrongPassword));
        EXPECT_FALSE(contains(answer, "url="));
    }
    EXPECT_TRUE(contains(text_of(post(account_url("/index.php"), good)), success_marker()));
}

TEST_F(Login, CookieOfTheAnswerSignsInOnTheForumHost) {
    EXPECT_EQ(
        text_between(page(forum_url("/")), "<li>QuendaID：<span class=\"red\">", "</span></li>"),
        "");
    HttpRequest request;
    request.url = account_url("/class/CAP/codeshow.php?sid=5307");
    http_request(request);
    const auto& demo = sim::Simulator::demo_accounts()[0];
    request.url = account_url("/index.php");
    request.method = HttpMethod::post;
    request.post_bytes = login_body(demo.name, demo.password, sim.last_captcha_code());
    HttpResponse answer = http_request(request);
    EXPECT_TRUE(contains(answer.new_cookies, "tamsor_auth="));

    sim.clear_log();
    EXPECT_EQ(
        text_between(page(forum_url("/")), "<li>QuendaID：<span class=\"red\">", "</span></li>"),
        "10086");
    auto log = sim.request_log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].host, "forum");
    EXPECT_TRUE(contains(log[0].cookies, "tamsor_auth="));
}

}  // namespace
}  // namespace tamsor::sim_test
