#include <thread>

#include "pictures.h"
#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class Fault : public SimTest {
protected:
    HttpResponse get(const std::string& url) {
        HttpRequest request;
        request.url = url;
        return http_request(request);
    }
};

TEST_F(Fault, SlowAnswersAfterAboutTwoSeconds) {
    sim.set_fault(sim::Fault::slow);
    auto start = Clock::now();
    HttpResponse response = get(forum_url("/"));
    EXPECT_GE(Clock::now() - start, milliseconds(1900));
    EXPECT_TRUE(contains(text_of(response), "class=\"tittoo\""));
}

TEST_F(Fault, StallHoldsTheConnectionUntilTheClientGivesUp) {
    HttpLimits limits = http_limits();
    limits.stall_timeout = milliseconds(300);
    set_http_limits(limits);
    sim.set_fault(sim::Fault::stall);
    auto start = Clock::now();
    HttpResponse response = get(forum_url("/"));
    EXPECT_LT(Clock::now() - start, milliseconds(5000));
    EXPECT_EQ(response.error, HttpError::timed_out);
    EXPECT_TRUE(response.body.empty());
}

TEST_F(Fault, ResetGivesAConnectionErrorWithoutAnswer) {
    sim.set_fault(sim::Fault::reset);
    for (const std::string& url :
         {forum_url("/"), account_url("/class/CAP/codeshow.php?sid=5307")}) {
        HttpResponse response = get(url);
        EXPECT_EQ(response.status, 0) << url;
        EXPECT_NE(response.error, HttpError::none) << url;
        EXPECT_TRUE(response.body.empty()) << url;
    }
    EXPECT_EQ(sim.request_log().size(), 2u);  // the requests arrived and were logged
}

TEST_F(Fault, EmptyAndErrorAnswers) {
    sim.set_fault(sim::Fault::empty_200);
    HttpResponse empty = get(forum_url("/"));
    EXPECT_EQ(empty.status, 200);
    EXPECT_TRUE(empty.body.empty());

    sim.set_fault(sim::Fault::error_500);
    HttpResponse error = get(account_url("/index.php"));
    EXPECT_EQ(error.status, 500);
    EXPECT_TRUE(contains(text_of(error), "服务器内部错误"));
}

TEST_F(Fault, HugeBodyIsStoppedByTheClientsCap) {
    sim.set_fault(sim::Fault::huge_body);
    HttpResponse response = get(forum_url("/"));
    EXPECT_EQ(response.error, HttpError::too_large);
    EXPECT_TRUE(response.body.empty());
}

TEST_F(Fault, InvalidGbkBytesLeaveTheMarkersWhole) {
    sign_in_demo();
    std::string clean = page(forum_url("/"));
    sim.set_fault(sim::Fault::invalid_gbk);
    std::string raw = fetch_url_bytes(forum_url("/"));
    ASSERT_NE(raw.find('\xFF'), std::string::npos);
    std::string text = decode_page(raw, "");
    EXPECT_TRUE(contains(text, "\xEF\xBF\xBD"));  // U+FFFD
    EXPECT_EQ(text_between(text, "<li>ＤＢ: ", "刀</li>"), "123");
    EXPECT_EQ(text_between(text, "var punchverify = '", "';"),
              text_between(clean, "var punchverify = '", "';"));
    EXPECT_EQ(text_between(page(forum_url("/thread.php?fid=11")), ">|</span>排名：", "<img src="),
              "1");
}

TEST_F(Fault, LongLinePostIsOneMegabyteLineOfUnquotedPictureTags) {
    sim.set_fault(sim::Fault::long_line_post);
    std::string text = page(forum_url("/r11001/"));
    std::string body =
        text_between(text, "<div class=\"f14 mb10\" id=\"read_tpc\">", "</div>\r\n\r\n\t\t</div>");
    EXPECT_GE(body.size(), 1u << 20);
    EXPECT_EQ(body.find_first_of("\r\n\"'"), std::string::npos);
    EXPECT_GT(split(body, "<img").size(), 10000u);
    EXPECT_GT(split(body, "src").size(), 20000u);
}

TEST_F(Fault, OversizeHeadersEndWithTheCookiesThatStillWork) {
    sim.set_fault(sim::Fault::oversize_headers);
    HttpRequest request;
    request.url = account_url("/class/CAP/codeshow.php?sid=5307");
    HttpResponse response = http_request(request);
    EXPECT_GT(response.response_headers.size(), 10000u);
    auto lines = split(
        std::string(trim_spaces(replace_all(response.response_headers, "\r\n\r\n", ""))), "\r\n");
    ASSERT_GT(lines.size(), 6u);
    for (size_t i = lines.size() - 6; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind("Set-Cookie: ", 0), 0u) << lines[i];
    }
    const auto& demo = sim::Simulator::demo_accounts()[0];
    std::string answer = text_of(post(
        account_url("/index.php"), login_body(demo.name, demo.password, sim.last_captcha_code())));
    EXPECT_TRUE(contains(answer, success_marker()));
}

TEST_F(Fault, RedirectLoopPointsAtItself) {
    sim.set_fault(sim::Fault::redirect_loop);
    HttpRequest request;
    request.url = forum_url("/thread.php?fid=11");
    request.no_redirect = true;
    HttpResponse single = http_request(request);
    EXPECT_EQ(single.status, 302);
    EXPECT_EQ(text_between(single.response_headers + "\r\n", "Location: ", "\r\n"), request.url);

    request.no_redirect = false;
    HttpResponse followed = http_request(request);
    EXPECT_EQ(followed.error, HttpError::too_many_redirects);
    EXPECT_GT(sim.request_log().size(), 3u);
}

TEST_F(Fault, ForeignSchemesInPostPictureAddresses) {
    sim.set_fault(sim::Fault::foreign_schemes);
    std::string text = page(forum_url("/r11001/"));
    EXPECT_EQ(text_between(text, "window.open('", "');"), "file:///etc/passwd");
    std::string body = text_between(text, "id=\"read_tpc\">", "<!--content_read-->");
    EXPECT_TRUE(contains(body, "<img src=\"file:///etc/passwd\""));
    EXPECT_TRUE(contains(body, "<img src=\"ftp://127.0.0.1/x.png\""));
    EXPECT_FALSE(contains(body, "http://"));
}

TEST_F(Fault, CutPicturesAreCompleteAnswersOfHalfTheirBytes) {
    sim.set_fault(sim::Fault::cut_pictures);
    const std::string whole = sim::picture_named("p11001_2.jpg").value().bytes;
    const HttpResponse picture = get(forum_url("/images/p11001_2.jpg"));
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.error, HttpError::none);
    EXPECT_EQ(picture.body, whole.substr(0, whole.size() / 2));
    EXPECT_TRUE(contains(page(forum_url("/")), "class=\"tittoo\""));  // pages stay whole
}

TEST_F(Fault, ClearingTheFaultRestoresNormalAnswers) {
    sim.set_fault(sim::Fault::error_500);
    sim.set_fault(sim::Fault::none);
    EXPECT_EQ(get(forum_url("/")).status, 200);
    EXPECT_EQ(sim::fault_from_name("oversize_headers"), sim::Fault::oversize_headers);
    EXPECT_EQ(sim::fault_from_name("bogus"), std::nullopt);
    for (auto fault : sim::all_faults()) {
        EXPECT_EQ(sim::fault_from_name(sim::fault_name(fault)), fault);
    }
}

}  // namespace
}  // namespace tamsor::sim_test
