// The simulated forum misbehaving: every operation ends with what it could get and says when it
// got nothing.
#include <gtest/gtest.h>

#include "catalogue.h"
#include "forum_fixture.h"

namespace tamsor {
namespace {

using sim::Fault;
using testing::Lines;

// The calls each window saw in one pass over every operation.
struct Pass {
    Lines login, profile, punch, directory, threads, post;
    std::string directory_caption;
};

class ForumFault : public testing::ForumTest, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override {
        ForumTest::SetUp();
        saved_limits_ = http_limits();
    }
    // So that stalls and oversized bodies end quickly; too short for pictures on a slow build.
    void shorten_limits() {
        HttpLimits limits = saved_limits_;
        limits.connect_timeout = std::chrono::milliseconds(1000);
        limits.stall_timeout = std::chrono::milliseconds(300);
        limits.max_body_bytes = 4u << 20;
        set_http_limits(limits);
    }
    void TearDown() override {
        set_http_limits(saved_limits_);
        ForumTest::TearDown();
    }

    // Under the fault: signs in, then runs each operation once, on the first board and thread.
    Pass run_every_operation(Fault fault) {
        sim.set_fault(fault);
        Pass pass;
        pass.login = sign_in(0);
        testing::RecordingProfileView profile(state);
        fetch_profile(hosts, profile);
        pass.profile = profile.log.lines();
        testing::RecordingPunchView punch(state);
        daily_punch(hosts, state, punch);
        pass.punch = punch.log.lines();
        testing::RecordingDirectoryView directory;
        load_board_directory(hosts, directory);
        pass.directory = directory.log.lines();
        pass.directory_caption = directory.caption;
        testing::RecordingThreadListView threads;
        threads.address = board_address(hosts, "thread.php?fid=11");
        load_thread_list(hosts, threads);
        pass.threads = threads.log.lines();
        testing::RecordingPostView post(state);
        post.id = "r11001";
        post.address = hosts.forum_root_url() + "r11001/";
        read_post(hosts, state, post);
        pass.post = post.log.lines();
        return pass;
    }

private:
    HttpLimits saved_limits_;
};

std::string fault_name(const ::testing::TestParamInfo<Fault>& info) {
    return sim::fault_name(info.param);
}

// Faults after which no page of either host can be read.
using AnswerlessFault = ForumFault;

TEST_P(AnswerlessFault, EveryOperationSaysItGotNothingAndClaimsNothing) {
    state.popup_image_url = "http://elsewhere/pop.jpg";
    state.db_balance = "123";
    shorten_limits();
    Pass pass;
    ASSERT_NO_THROW(pass = run_every_operation(GetParam()));

    // Sign-in and punch: the forum did not answer; no new captcha, no profile refresh.
    EXPECT_NE(pass.login.at(0), "captcha:png");
    EXPECT_EQ(Lines(pass.login.begin() + 1, pass.login.end()), (Lines{"form", "message:22"}));
    EXPECT_EQ(pass.punch, Lines{"message:22"});
    // The profile stores and shows nothing, so the last reading stays.
    EXPECT_EQ(pass.profile, (Lines{"status:状态：10％", "status:状态：获取失败"}));
    EXPECT_EQ(state.db_balance, "123");
    EXPECT_EQ(pass.directory, Lines{"clear"});
    EXPECT_EQ(pass.directory_caption, "状态：获取失败");
    EXPECT_EQ(pass.threads, (Lines{"clear", "disable", "info:主题：\r\n今天发帖：\r\n排名：",
                                   "status:状态：获取失败", "enable"}));
    // An error page is no post, though it carries the forum's keywords.
    EXPECT_EQ(pass.post, (Lines{"picture:none", "body", "title:获取失败", "board"}));
    EXPECT_EQ(state.popup_image_url, "http://elsewhere/pop.jpg");
}

INSTANTIATE_TEST_SUITE_P(Faults, AnswerlessFault,
                         ::testing::Values(Fault::slow, Fault::stall, Fault::reset,
                                           Fault::empty_200, Fault::error_500, Fault::huge_body,
                                           Fault::redirect_loop),
                         fault_name);

// Faults that leave every page readable, or spoil only the pictures of a post.
using ReadableFault = ForumFault;

TEST_P(ReadableFault, EveryOperationStillFindsItsValues) {
    Pass pass;
    ASSERT_NO_THROW(pass = run_every_operation(GetParam()));

    EXPECT_EQ(pass.login, (Lines{"captcha:png", "form", "message:0"}));
    EXPECT_EQ(state.account_id, "10086");
    EXPECT_EQ(pass.punch, (Lines{"message:5", "profile worker"}));
    EXPECT_EQ(pass.directory.size(), 1 + 2 * sim::boards().size());
    EXPECT_EQ(pass.directory[1], "name:" + sim::boards()[0].name);
    EXPECT_EQ(pass.directory_caption, "状态：完成");
    const sim::Thread first = sim::threads_of(sim::boards()[0])[0];
    EXPECT_EQ(pass.threads.at(3), "title:" + first.cleaned);
    EXPECT_EQ(state.post_title, first.plain);

    const Lines good_pictures{"popup:jpeg", "picture:jpeg"};
    const Lines no_pictures{"popup:none", "picture:none"};
    const Lines pictures(pass.post.begin(), pass.post.begin() + 2);
    switch (GetParam()) {
        case Fault::long_line_post:  // no quote ends an address: no picture, and no hang
            EXPECT_EQ(pass.post.at(1), "picture:none");
            EXPECT_GT(pass.post.at(2).size(), 1000000u);
            break;
        case Fault::foreign_schemes:  // file:// and ftp:// are refused
            EXPECT_EQ(pictures, no_pictures);
            EXPECT_EQ(state.popup_image_url, "file:///etc/passwd");
            EXPECT_EQ(state.viewer_image_url, "ftp://127.0.0.1/x.png");
            break;
        default:
            EXPECT_EQ(pictures, good_pictures);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadableFault,
                         ::testing::Values(Fault::invalid_gbk, Fault::oversize_headers,
                                           Fault::long_line_post, Fault::regex_bomb_post,
                                           Fault::foreign_schemes),
                         fault_name);

}  // namespace
}  // namespace tamsor
