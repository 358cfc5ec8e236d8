// The simulated forum misbehaving: every operation ends quietly with what it could get.
#include <gtest/gtest.h>

#include <chrono>

#include "catalogue.h"
#include "forum_fixture.h"

namespace tamsor {
namespace {

using sim::Fault;
using testing::Lines;

// What one pass over every operation showed.
struct Pass {
    Lines captcha;
    Lines login;
    Lines profile;
    Lines punch;
    Lines directory;
    std::string directory_caption;
    Lines threads;
    bool fetch_enabled = false;
    Lines post;
};

bool valid_utf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80       ? 1
                              : lead >> 5 == 6  ? 2
                              : lead >> 4 == 14 ? 3
                              : lead >> 3 == 30 ? 4
                                                : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

class ForumFaults : public testing::ForumFlow, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override {
        ForumFlow::SetUp();
        saved_limits_ = http_limits();
        HttpLimits short_limits = saved_limits_;
        short_limits.connect_timeout = std::chrono::milliseconds(1000);
        short_limits.stall_timeout = std::chrono::milliseconds(300);
        short_limits.max_body_bytes = 4u << 20;
        set_http_limits(short_limits);
    }
    void TearDown() override {
        sim.set_fault(Fault::none);
        set_http_limits(saved_limits_);
        ForumFlow::TearDown();
    }

    // Signs in with the shown code, then runs each operation once, on the first board and its
    // first thread.
    Pass run_every_operation() {
        Pass pass;
        const sim::DemoAccount& account = sim::Simulator::demo_accounts()[0];
        testing::RecordingLoginView login(state, {});
        reload_captcha(hosts, login);
        pass.captcha = login.log.lines();
        login.set_form({account.name, account.password, sim.last_captcha_code()});
        login.log.clear();
        submit_login(hosts, state, login);
        pass.login = login.log.lines();

        testing::RecordingProfileView profile(state);
        fetch_profile(hosts, profile);
        pass.profile = profile.log.lines();

        testing::RecordingPunchView punch(state);
        daily_punch(hosts, state, punch);
        pass.punch = punch.log.lines();

        testing::RecordingDirectoryView directory;
        load_board_directory(hosts, directory);
        pass.directory = directory.log.lines();
        pass.directory_caption = directory.caption();

        testing::RecordingThreadListView threads;
        threads.address = board_address(hosts, "thread.php?fid=11");
        load_thread_list(hosts, threads);
        pass.threads = threads.log.lines();
        pass.fetch_enabled = threads.fetch_enabled;

        testing::RecordingPostView post(state);
        post.id = "r11001";
        post.address = hosts.forum_root_url() + "r11001/";
        read_post(hosts, state, post);
        pass.post = post.log.lines();
        return pass;
    }

    Pass run_under(Fault fault) {
        sim.set_fault(fault);
        Pass pass;
        EXPECT_NO_THROW(pass = run_every_operation());
        for (const Lines* lines : {&pass.captcha, &pass.login, &pass.profile, &pass.punch,
                                   &pass.directory, &pass.threads, &pass.post}) {
            for (const std::string& line : *lines) {
                EXPECT_TRUE(valid_utf8(line)) << line;
            }
        }
        return pass;
    }

private:
    HttpLimits saved_limits_;
};

std::string fault_name(const ::testing::TestParamInfo<Fault>& info) {
    constexpr const char* names[] = {
        "none",          "slow",           "stall",       "reset",          "empty_200",
        "error_500",     "huge_body",      "invalid_gbk", "long_line_post", "oversize_headers",
        "redirect_loop", "foreign_schemes"};
    return names[static_cast<size_t>(info.param)];
}

// Faults after which no page of either host can be read.
using AnswerlessFault = ForumFaults;

TEST_P(AnswerlessFault, EveryOperationEndsEmptyAndQuiet) {
    state.message_code = 77;
    state.popup_image_url = "http://elsewhere/pop.jpg";
    const Pass pass = run_under(GetParam());

    ASSERT_EQ(pass.captcha.size(), 1u);
    EXPECT_NE(pass.captcha[0], "captcha:png");
    EXPECT_EQ(pass.login, Lines{"form"});
    EXPECT_EQ(pass.punch, Lines{});
    EXPECT_EQ(state.message_code, 77);

    EXPECT_EQ(pass.profile.back(), "status:状态：暂无操作");
    for (const std::string* value : {&state.verify_hash, &state.punch_verify, &state.db_balance,
                                     &state.account_id, &state.account_level}) {
        EXPECT_EQ(*value, "");
    }

    EXPECT_EQ(pass.directory, Lines{"clear"});
    EXPECT_EQ(pass.directory_caption, "状态：暂无获取");
    EXPECT_EQ(pass.threads,
              (Lines{"clear", "disable", "info:主题：\r\n今天发帖：\r\n排名：", "enable"}));
    EXPECT_TRUE(pass.fetch_enabled);

    // An error page still carries the forum's keywords, which name no board.
    const std::string title = GetParam() == Fault::error_500 ? "Tamsor论坛" : "";
    EXPECT_EQ(pass.post, (Lines{"picture:0 bytes", "body:", "title:" + title, "board:"}));
    EXPECT_EQ(state.popup_image_url, "http://elsewhere/pop.jpg");
    EXPECT_EQ(state.viewer_image_url, "");
}

INSTANTIATE_TEST_SUITE_P(Faults, AnswerlessFault,
                         ::testing::Values(Fault::slow, Fault::stall, Fault::reset,
                                           Fault::empty_200, Fault::error_500, Fault::huge_body,
                                           Fault::redirect_loop),
                         fault_name);

// Faults that leave the pages readable: the operations find what they find without a fault.
using ReadableFault = ForumFaults;

TEST_P(ReadableFault, EveryOperationStillFindsItsValues) {
    const Pass pass = run_under(GetParam());

    EXPECT_EQ(pass.captcha, Lines{"captcha:png"});
    EXPECT_EQ(pass.login, (Lines{"form", "message:0"}));
    EXPECT_EQ(state.account_id, "10086");
    EXPECT_EQ(state.db_balance, "123");
    EXPECT_EQ(pass.punch, (Lines{"message:5", "profile worker"}));

    Lines names;
    for (const sim::Board& board : sim::boards()) {
        names.push_back("name:" + board.name);
    }
    EXPECT_EQ(Lines(pass.directory.begin() + 1, pass.directory.begin() + 1 + names.size()), names);
    EXPECT_EQ(pass.directory_caption, "状态：完成");

    const sim::Thread first = sim::threads_of(sim::boards()[0])[0];
    ASSERT_GE(pass.threads.size(), 4u);
    EXPECT_EQ(pass.threads[3], "title:" + first.cleaned);
    EXPECT_EQ(pass.post.front(), "popup:jpeg");
    EXPECT_EQ(pass.post[1], "picture:jpeg");
    EXPECT_EQ(state.post_title, first.plain);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadableFault,
                         ::testing::Values(Fault::invalid_gbk, Fault::oversize_headers),
                         fault_name);

TEST_F(ForumFaults, OneMegabyteLineOfUnquotedPicturesIsReadInTime) {
    const auto started = std::chrono::steady_clock::now();
    const Pass pass = run_under(Fault::long_line_post);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));

    ASSERT_EQ(pass.post.size(), 5u);
    EXPECT_EQ(pass.post[1], "picture:0 bytes");
    EXPECT_GT(pass.post[2].size(), 1000000u);
    EXPECT_EQ(state.viewer_image_url, "");
    EXPECT_EQ(state.post_title, sim::threads_of(sim::boards()[0])[0].plain);
}

TEST_F(ForumFaults, PictureAddressesOfOtherSchemesAreNotFetched) {
    const Pass pass = run_under(Fault::foreign_schemes);
    EXPECT_EQ(state.popup_image_url, "file:///etc/passwd");
    EXPECT_EQ(state.viewer_image_url, "ftp://127.0.0.1/x.png");
    ASSERT_GE(pass.post.size(), 2u);
    EXPECT_EQ(pass.post[0], "popup:0 bytes");
    EXPECT_EQ(pass.post[1], "picture:0 bytes");
}

}  // namespace
}  // namespace tamsor
