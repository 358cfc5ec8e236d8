#pragma once

#include <gtest/gtest.h>

#include "recording_views.h"
#include "simulator.h"

namespace tamsor::testing {

// A fresh simulated forum on free ports and an empty cookie store for every test.
class ForumTest : public ::testing::Test {
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

    // Signs in with the code the newest captcha shows; the login window's calls.
    Lines sign_in(size_t demo_account) {
        RecordingLoginView view(state);
        reload_captcha(hosts, view);
        const sim::DemoAccount& account = sim::Simulator::demo_accounts()[demo_account];
        view.form = {account.name, account.password, sim.last_captcha_code()};
        submit_login(hosts, state, view);
        return view.log.lines();
    }

    sim::Simulator sim;
    ForumHosts hosts;
    SharedState state;
};

}  // namespace tamsor::testing
