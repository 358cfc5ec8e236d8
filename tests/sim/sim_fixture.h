#pragma once

#include <gtest/gtest.h>

#include <string>

#include "http/form.h"
#include "http/http_request.h"
#include "http/url.h"
#include "simulator.h"
#include "text/charset.h"
#include "text/gbk.h"

namespace tamsor::sim_test {

// A fresh simulator on free ports and an empty cookie store for every test.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override {
        clear_cookie_store();
        saved_limits_ = http_limits();
        ASSERT_TRUE(sim.start());
    }
    void TearDown() override {
        sim.stop();
        set_http_limits(saved_limits_);
        clear_cookie_store();
    }

    std::string account_url(const std::string& path) const {
        return "http://" + sim.account_host() + path;
    }
    std::string forum_url(const std::string& path) const {
        return "http://" + sim.forum_host() + path;
    }

    // A page as the client reads it.
    std::string page(const std::string& url) const {
        const PlainFetch page = fetch_url(url);
        return decode_page(page.body, page.content_type);
    }

    // An answer as the client reads it.
    static std::string text_of(const HttpResponse& answer) {
        return decode_page(answer.body, answer.content_type);
    }

    static HttpResponse post(const std::string& url, const std::string& body) {
        HttpRequest request;
        request.url = url;
        request.method = HttpMethod::post;
        request.post_bytes = body;
        return http_request(request);
    }

    // The login form exactly as the client builds it.
    std::string login_body(const std::string& name, const std::string& password,
                           const std::string& code) const {
        return "lgt=0&username=" + url_encode(name) + "&password=" + utf8_to_gbk(password) +
               "&idcode=" + code + "&forward=http%3A%2F%2F127.0.0.1%3A" +
               std::to_string(sim.forum_port()) + "&logincd=&app=checklogin";
    }

    // Fetches a captcha and posts the form with its code; the answer page as text.
    std::string log_in(const std::string& name, const std::string& password) {
        fetch_url_bytes(account_url("/class/CAP/codeshow.php?sid=5307"));
        return text_of(
            post(account_url("/index.php"), login_body(name, password, sim.last_captcha_code())));
    }

    std::string sign_in_demo() {
        const auto& demo = sim::Simulator::demo_accounts()[0];
        return log_in(demo.name, demo.password);
    }

    std::string success_marker() const { return "url=http://" + sim.forum_host(); }

    sim::Simulator sim;

private:
    HttpLimits saved_limits_;
};

inline constexpr const char* kWrongCaptcha = "验证码输入不正确";
inline constexpr const char* kWrongPassword = "登录失败,请检查用户名和密码是否输入正确";

}  // namespace tamsor::sim_test
