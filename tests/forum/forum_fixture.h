#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_views.h"
#include "simulator.h"

// A fresh simulated forum on free ports and an empty cookie store for every test.
namespace tamsor::testing {

using Lines = std::vector<std::string>;

class ForumFlow : public ::testing::Test {
protected:
    void SetUp() override {
        clear_cookie_store();
        ASSERT_TRUE(sim.start());
        hosts = {sim.account_host(), sim.forum_host()};
    }
    void TearDown() override {
        sim.stop();
        clear_cookie_store();
    }

    void sign_in(const sim::DemoAccount& account) {
        RecordingLoginView view(state, {});
        reload_captcha(hosts, view);
        view.set_form({account.name, account.password, sim.last_captcha_code()});
        submit_login(hosts, state, view);
        ASSERT_EQ(view.log.lines(), (Lines{"captcha:png", "form", "message:0"}));
    }

    struct Attempt {
        Lines calls;
        std::string posted;  // the body the account host received
    };
    Attempt attempt_login(RecordingLoginView& view, LoginForm form) {
        view.set_form(std::move(form));
        view.log.clear();
        sim.clear_log();
        submit_login(hosts, state, view);
        std::string posted;
        for (const sim::LoggedRequest& request : sim.request_log()) {
            if (request.method == "POST" && request.target == "/index.php") {
                posted += request.body;
            }
        }
        return {view.log.lines(), posted};
    }

    // The login body the account host must see: GBK bytes, only the name percent-encoded.
    std::string expected_form(const std::string& encoded_name, const std::string& gbk_password,
                              const std::string& code) const {
        return "lgt=0&username=" + encoded_name + "&password=" + gbk_password + "&idcode=" + code +
               "&forward=http%3A%2F%2F127.0.0.1%3A" + std::to_string(sim.forum_port()) +
               "&logincd=&app=checklogin";
    }

    Lines refresh_profile() {
        RecordingProfileView view(state);
        fetch_profile(hosts, view);
        return view.log.lines();
    }

    sim::Simulator sim;
    ForumHosts hosts;
    SharedState state;
};

}  // namespace tamsor::testing
