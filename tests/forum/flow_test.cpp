// Whole flows against the simulated forum, as a user runs them window after window.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "catalogue.h"
#include "forum_fixture.h"

namespace tamsor {
namespace {

using testing::ForumFlow;
using testing::Lines;

TEST_F(ForumFlow, WrongCaptchaWrongPasswordThenSignedIn) {
    testing::RecordingLoginView view(state, {});
    reload_captcha(hosts, view);
    ASSERT_EQ(view.log.lines(), Lines{"captcha:png"});

    // No captcha of the simulator holds a zero.
    Attempt wrong_code = attempt_login(view, {"demo", "demo123", "0000"});
    EXPECT_EQ(wrong_code.calls, (Lines{"form", "message:2", "captcha:png"}));
    EXPECT_EQ(wrong_code.posted, expected_form("demo", "demo123", "0000"));
    EXPECT_EQ(state.message_code, 2);

    const std::string code = sim.last_captcha_code();
    Attempt wrong_password = attempt_login(view, {"demo", "demo124", code});
    EXPECT_EQ(wrong_password.calls, (Lines{"form", "message:1", "captcha:png"}));
    EXPECT_EQ(wrong_password.posted, expected_form("demo", "demo124", code));
    EXPECT_EQ(state.message_code, 1);

    const sim::DemoAccount& friend_account = sim::Simulator::demo_accounts()[1];
    ASSERT_EQ(friend_account.password, "p&ss=中文1");
    const std::string next_code = sim.last_captcha_code();
    Attempt signed_in =
        attempt_login(view, {friend_account.name, friend_account.password, next_code});
    EXPECT_EQ(signed_in.calls, (Lines{"form", "message:0"}));
    EXPECT_EQ(signed_in.posted, expected_form("%C2%DB%CC%B3%C0%CF%D3%D1",
                                              "p&ss=\xD6\xD0\xCE\xC4"
                                              "1",
                                              next_code));
    EXPECT_EQ(state.message_code, 0);
    EXPECT_EQ(sim.request_log().size(), 1u) << "no captcha after a sign-in";
}

TEST_F(ForumFlow, ProfileValuesAndStatusSequence) {
    sign_in(sim::Simulator::demo_accounts()[0]);
    const Lines calls = refresh_profile();

    EXPECT_EQ(state.account_id, "10086");
    EXPECT_EQ(state.account_level, "新手上路");
    EXPECT_EQ(state.db_balance, "123");
    EXPECT_TRUE(std::regex_match(state.verify_hash, std::regex("[0-9a-f]{8}")));
    EXPECT_TRUE(std::regex_match(state.punch_verify, std::regex("[0-9a-f]{10}")));
    Lines statuses;
    Lines labels;
    for (const std::string& line : calls) {
        if (line.starts_with("status:")) {
            statuses.push_back(line.substr(7));
        } else if (line.starts_with("label:")) {
            labels.push_back(line.substr(6));
        }
    }
    EXPECT_EQ(statuses, (Lines{"状态：10％", "状态：20％", "状态：30％", "状态：40％", "状态：50％",
                               "状态：60％", "状态：70％", "状态：80％", "状态：90％",
                               "状态：100％", "状态：暂无操作"}));
    EXPECT_EQ(labels, (Lines{"DB=123", "QuendaID=10086", "等级=新手上路"}));
}

TEST_F(ForumFlow, PunchRefreshesTheProfileThenAlreadyPunchedThenTooFast) {
    sign_in(sim::Simulator::demo_accounts()[1]);
    refresh_profile();
    ASSERT_EQ(state.db_balance, "8848");
    sim.set_punch_cooldown(std::chrono::milliseconds(300));

    testing::RecordingPunchView view(state);
    sim.clear_log();
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), (Lines{"message:5", "profile worker"}));
    const std::vector<sim::LoggedRequest> sent = sim.request_log();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].body, "step=2");
    EXPECT_TRUE(std::regex_match(
        sent[0].target,
        std::regex("/jobcenter\\.php\\?action=punch&ajax=1&punchverify=" + state.punch_verify +
                   "&nowtime=[0-9]{13}&verify=" + state.verify_hash)))
        << sent[0].target;

    // What the window layer does with "profile worker": a refresh on a thread of its own.
    auto refresh = std::make_shared<testing::RecordingProfileView>(state);
    std::thread(profile_worker, hosts, refresh).join();
    EXPECT_EQ(state.db_balance, "8858");

    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    view.log.clear();
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), Lines{"message:20"});

    view.log.clear();
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), Lines{"message:3"});
}

TEST_F(ForumFlow, PunchWithoutTokensIsRefused) {
    testing::RecordingPunchView view(state);
    sim.clear_log();
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), Lines{"message:4"});
    ASSERT_EQ(sim.request_log().size(), 1u);
    EXPECT_TRUE(std::regex_match(sim.request_log()[0].target,
                                 std::regex(".*&punchverify=&nowtime=[0-9]{13}&verify=")));
}

TEST_F(ForumFlow, DirectoryThenBoardThenPost) {
    auto directory = std::make_shared<testing::RecordingDirectoryView>();
    std::thread(board_directory_worker, hosts, directory).join();
    Lines names;
    Lines links;
    for (const sim::Board& board : sim::boards()) {
        names.push_back(board.name);
        links.push_back("thread.php?fid=" + std::to_string(board.fid));
    }
    EXPECT_EQ(directory->log.with_prefix("name:"), names);
    EXPECT_EQ(directory->log.with_prefix("link:"), links);
    EXPECT_EQ(directory->caption(), "状态：完成");

    const sim::Board& board = sim::boards()[0];
    testing::RecordingThreadListView threads;
    threads.address = board_address(hosts, links[0]);
    load_thread_list(hosts, threads);
    Lines titles;
    Lines ids;
    for (const sim::Thread& thread : sim::threads_of(board)) {
        titles.push_back(thread.cleaned);
        ids.push_back("r" + std::to_string(thread.tid));
    }
    EXPECT_EQ(threads.log.with_prefix("title:"), titles);
    EXPECT_EQ(threads.log.with_prefix("id:"), ids);
    EXPECT_EQ(threads.log.with_prefix("info:"),
              Lines{"主题：" + std::to_string(board.topics) + "\r\n今天发帖：" +
                    std::to_string(board.today) + "\r\n排名：" + std::to_string(board.rank)});
    EXPECT_EQ(threads.caption, "状态：100％");
    EXPECT_TRUE(threads.fetch_enabled);

    // The first thread opens a pop-up picture and has two pictures on its first line.
    testing::RecordingPostView post(state);
    post.id = ids[0];
    post.address = compose_post_address(hosts, post.id).value_or("");
    read_post(hosts, state, post);
    const std::string images = hosts.forum_root_url() + "images/";
    EXPECT_EQ(state.popup_image_url, images + "popup_11001.jpg");
    EXPECT_EQ(state.viewer_image_url, images + "p11001_2.jpg");
    EXPECT_EQ(state.post_title, sim::threads_of(board)[0].plain);
    EXPECT_EQ(state.post_board, board.name + ",Tamsor论坛");
    // The whole first picture line went with the first match; the third picture stays.
    const std::string body =
        "【网游】本版规则更新\r\n"
        " \"336699这是第 1 帖的正文：我们的 Data 今天升级完毕。欢迎回帖讨论。\r\n"
        "<3>今天也别忘了每日打卡！\r\n"
        ">本帖图片如下请欣赏\r\n"
        "\r\n"
        "<img src=\"" +
        images +
        "p11001_3.gif\" border=\"0\" />\r\n"
        "谢谢观看，支持</b>一下吧。";
    EXPECT_EQ(post.log.lines(), (Lines{"popup:jpeg", "picture:jpeg", "body:" + body,
                                       "title:" + state.post_title, "board:" + state.post_board}));
    EXPECT_EQ(state.post_body_text, body);

    choose_body_picture(state);
    EXPECT_EQ(state.viewer_image_url, images + "p11001_3.gif");
}

}  // namespace
}  // namespace tamsor
