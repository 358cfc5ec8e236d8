// Whole flows against the simulated forum, as a user runs them window after window.
#include <gtest/gtest.h>

#include <future>
#include <regex>
#include <thread>

#include "catalogue.h"
#include "forum_fixture.h"

namespace tamsor {
namespace {

using testing::Lines;

class ForumFlow : public testing::ForumTest {
protected:
    // One login attempt with the form; the window's calls and the body the host received.
    std::pair<Lines, std::string> attempt_login(testing::RecordingLoginView& view, LoginForm form) {
        view.form = std::move(form);
        view.log.clear();
        sim.clear_log();
        submit_login(hosts, state, view);
        const std::vector<sim::LoggedRequest> sent = sim.request_log();
        return {view.log.lines(), sent.empty() ? "" : sent[0].body};
    }

    // The login body the account host must see: GBK bytes, only the name percent-encoded.
    std::string expected_form(const std::string& name, const std::string& password,
                              const std::string& code) const {
        return "lgt=0&username=" + name + "&password=" + password + "&idcode=" + code +
               "&forward=http%3A%2F%2F127.0.0.1%3A" + std::to_string(sim.forum_port()) +
               "&logincd=&app=checklogin";
    }
};

TEST_F(ForumFlow, WrongCaptchaWrongPasswordThenSignedIn) {
    testing::RecordingLoginView view(state);
    reload_captcha(hosts, view);
    ASSERT_EQ(view.log.lines(), Lines{"captcha:png"});

    // No captcha of the simulator holds a zero.
    EXPECT_EQ(attempt_login(view, {"demo", "demo123", "0000"}),
              std::make_pair(Lines{"form", "message:2", "captcha:png"},
                             expected_form("demo", "demo123", "0000")));
    EXPECT_EQ(state.message_code, MessageCode::wrong_captcha);

    std::string code = sim.last_captcha_code();
    EXPECT_EQ(attempt_login(view, {"demo", "demo124", code}),
              std::make_pair(Lines{"form", "message:1", "captcha:png"},
                             expected_form("demo", "demo124", code)));
    EXPECT_EQ(state.message_code, MessageCode::wrong_name_or_password);

    // The second demo account is "论坛老友" with the password "p&ss=中文1".
    code = sim.last_captcha_code();
    EXPECT_EQ(attempt_login(view, {"论坛老友", "p&ss=中文1", code}),
              std::make_pair(Lines{"form", "message:0"}, expected_form("%C2%DB%CC%B3%C0%CF%D3%D1",
                                                                       "p&ss=\xD6\xD0\xCE\xC4"
                                                                       "1",
                                                                       code)));
    EXPECT_EQ(state.message_code, MessageCode::signed_in);
    EXPECT_EQ(sim.request_log().size(), 1u) << "a sign-in fetches no captcha";
}

TEST_F(ForumFlow, ProfileValuesInStepOrderWithAPauseBeforeTheRestingText) {
    ASSERT_EQ(sign_in(0).back(), "message:0");
    testing::RecordingProfileView view(state);
    const auto started = std::chrono::steady_clock::now();
    fetch_profile(hosts, view);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));

    EXPECT_EQ(view.log.lines(), (Lines{"status:状态：10％",  "store:0",
                                       "status:状态：20％",  "store:1",
                                       "status:状态：30％",  "store:2",
                                       "status:状态：40％",  "store:3",
                                       "status:状态：50％",  "store:4",
                                       "status:状态：60％",  "store:5",
                                       "status:状态：70％",  "label0:123",
                                       "status:状态：80％",  "label1:10086",
                                       "status:状态：90％",  "label2:新手上路",
                                       "status:状态：100％", "status:状态：暂无操作"}));
    EXPECT_EQ(state.db_balance, "123");
    EXPECT_EQ(state.account_level, "新手上路");
    EXPECT_TRUE(std::regex_match(state.verify_hash, std::regex("[0-9a-f]{8}")));
    EXPECT_TRUE(std::regex_match(state.punch_verify, std::regex("[0-9a-f]{10}")));
}

TEST_F(ForumFlow, PunchRefreshesTheProfileThenAlreadyPunchedThenTooFast) {
    testing::RecordingPunchView view(state);
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), Lines{"session ended"}) << "the forum asks a guest to sign in";
    EXPECT_TRUE(std::regex_match(sim.request_log().at(0).target,
                                 std::regex(".*&punchverify=&nowtime=[0-9]{13}&verify=")));

    ASSERT_EQ(sign_in(1).back(), "message:0");
    auto profile = std::make_shared<testing::RecordingProfileView>(state);
    profile_worker(hosts, profile);
    ASSERT_EQ(state.db_balance, "8848");
    sim.set_punch_cooldown(std::chrono::milliseconds(300));

    view.log.clear();
    sim.clear_log();
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), (Lines{"message:5", "profile worker"}));
    const sim::LoggedRequest punch = sim.request_log().at(0);
    EXPECT_EQ(punch.method + " " + punch.body, "POST step=2");
    EXPECT_TRUE(std::regex_match(
        punch.target,
        std::regex("/jobcenter\\.php\\?action=punch&ajax=1"
                   "&punchverify=" +
                   state.punch_verify + "&nowtime=[0-9]{13}&verify=" + state.verify_hash)));
    // What the window layer does with "profile worker".
    std::thread(profile_worker, hosts, profile, real_network()).join();
    EXPECT_EQ(state.db_balance, "8858");

    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    view.log.clear();
    daily_punch(hosts, state, view);
    daily_punch(hosts, state, view);
    EXPECT_EQ(view.log.lines(), (Lines{"message:20", "message:3"}));
}

TEST_F(ForumFlow, DirectoryThenBoardThenPost) {
    auto directory = std::make_shared<testing::RecordingDirectoryView>();
    std::thread(board_directory_worker, hosts, directory, real_network()).join();
    Lines expected{"clear"};
    for (const sim::Board& board : sim::boards()) {
        expected.push_back("name:" + board.name);
    }
    for (const sim::Board& board : sim::boards()) {
        expected.push_back("link:thread.php?fid=" + std::to_string(board.fid));
    }
    EXPECT_EQ(directory->log.lines(), expected);
    EXPECT_EQ(directory->caption, "状态：完成");

    const sim::Board& board = sim::boards()[0];
    testing::RecordingThreadListView threads;
    threads.address = board_address(hosts, directory->log.values("link").at(0));
    load_thread_list(hosts, threads);
    Lines titles;
    Lines ids;
    for (const sim::Thread& thread : sim::threads_of(board)) {
        titles.push_back(thread.cleaned);
        ids.push_back("r" + std::to_string(thread.tid));
    }
    EXPECT_EQ(threads.log.values("title"), titles);
    EXPECT_EQ(threads.log.values("id"), ids);
    EXPECT_EQ(threads.log.values("info"),
              Lines{"主题：" + std::to_string(board.topics) + "\r\n今天发帖：" +
                    std::to_string(board.today) + "\r\n排名：" + std::to_string(board.rank)});
    EXPECT_EQ(threads.log.values("status"),
              (Lines{"状态：10％", "状态：20％", "状态：30％", "状态：40％", "状态：50％",
                     "状态：60％", "状态：70％", "状态：100％", "状态：100％"}));
    EXPECT_EQ(threads.log.lines().back(), "enable");

    // The first thread opens a pop-up picture and has two pictures on its first line, which the
    // greedy pattern takes as one match naming the second picture.
    testing::RecordingPostView post(state);
    post.id = ids[0];
    post.address = compose_post_address(hosts, post.id).value_or("");
    read_post(hosts, state, post);
    const std::string images = hosts.forum_root_url() + "images/";
    const std::string body =
        "【网游】本版规则更新\r\n"
        " \"336699这是第 1 帖的正文：我们的 Data 今天升级完毕。欢迎回帖讨论。\r\n"
        "<3>今天也别忘了每日打卡！\r\n>本帖图片如下请欣赏\r\n\r\n<img src=\"" +
        images + "p11001_3.gif\" border=\"0\" />\r\n谢谢观看，支持</b>一下吧。";
    EXPECT_EQ(post.log.lines(), (Lines{"popup:jpeg", "picture:jpeg", "body:" + body,
                                       "title:" + sim::threads_of(board)[0].plain,
                                       "board:" + board.name + ",Tamsor论坛"}));
    EXPECT_EQ(state.popup_image_url, images + "popup_11001.jpg");
    EXPECT_EQ(state.viewer_image_url, images + "p11001_2.jpg");
    choose_body_picture(state);
    EXPECT_EQ(state.viewer_image_url, images + "p11001_3.gif");

    // Thread 4 has neither pictures nor a pop-up: the pop-up of thread 1 stays.
    post.log.clear();
    post.address = hosts.forum_root_url() + ids[3] + "/";
    read_post(hosts, state, post);
    EXPECT_EQ(post.log.values("picture"), Lines{"none"});
    EXPECT_EQ(state.viewer_image_url, "");
    EXPECT_EQ(state.popup_image_url, images + "popup_11001.jpg");

    post.log.clear();
    post.id = "";
    read_post(hosts, state, post);
    EXPECT_EQ(post.log.lines(), Lines{"message:6"});

    // The worker's connection went on to serve every request made after it on this thread.
    EXPECT_EQ(sim.connections_accepted().forum, 1);
}

// Once the forum has ended the session, every operation that needs it says so instead of showing
// a guest's page as the account's; the directory, open to guests, still lists the boards.
TEST_F(ForumFlow, EveryOperationNoticesAnEndedSession) {
    ASSERT_EQ(sign_in(0).back(), "message:0");
    testing::RecordingProfileView profile(state);
    fetch_profile(hosts, profile);
    ASSERT_EQ(state.db_balance, "123");
    sim.end_sessions();

    profile.log.clear();
    fetch_profile(hosts, profile);
    EXPECT_EQ(profile.log.lines(),
              (Lines{"status:状态：10％", "status:状态：登录失效", "session ended"}));
    EXPECT_EQ(state.db_balance, "123") << "the last reading stays";

    testing::RecordingPunchView punch(state);
    daily_punch(hosts, state, punch);
    EXPECT_EQ(punch.log.lines(), Lines{"session ended"});

    testing::RecordingThreadListView threads;
    threads.address = board_address(hosts, "thread.php?fid=11");
    load_thread_list(hosts, threads);
    EXPECT_EQ(threads.log.lines(), (Lines{"clear", "disable", "info:主题：\r\n今天发帖：\r\n排名：",
                                          "status:状态：登录失效", "enable", "session ended"}));

    testing::RecordingPostView post(state);
    post.id = "r11001";
    post.address = hosts.forum_root_url() + "r11001/";
    read_post(hosts, state, post);
    EXPECT_EQ(post.log.values("title"), Lines{"登录失效"});
    EXPECT_EQ(post.log.lines().back(), "session ended");

    testing::RecordingDirectoryView directory;
    load_board_directory(hosts, directory);
    EXPECT_EQ(directory.caption, "状态：完成");
}

// The forum names its files in GBK: a picture address with Chinese in it, cut from a post, is
// fetched at its GBK-escaped form (the forum has nothing at the UTF-8 one).
TEST_F(ForumFlow, APictureNamedInChineseArrives) {
    testing::RecordingPostView post(state);
    post.id = "r" + std::to_string(sim::kChinesePicturePost);
    post.address = compose_post_address(hosts, post.id).value_or("");
    sim.clear_log();
    read_post(hosts, state, post);
    EXPECT_EQ(state.popup_image_url, hosts.forum_root_url() + sim::kChinesePicture);
    EXPECT_EQ(post.log.values("popup"), Lines{"png"});
    EXPECT_EQ(sim.request_log().at(1).target, sim::kChinesePictureTarget);
    // The body's picture is found by the image pattern, whose address holds Chinese text.
    EXPECT_EQ(state.viewer_image_url, hosts.forum_root_url() + sim::kChinesePicture);
    EXPECT_EQ(post.log.values("picture"), Lines{"png"});

    HttpRequest utf8_escaped;
    utf8_escaped.url =
        hosts.forum_root_url() + "%E5%9B%BE%E7%89%87/%E4%B8%AD%E6%96%87%E5%9B%BE.png";
    EXPECT_EQ(http_request(utf8_escaped).status, 404);
}

// Holds a directory load inside clear_lists until the test lets it go.
class HeldDirectoryView : public testing::RecordingDirectoryView {
public:
    void clear_lists() override {
        entered.set_value();
        released.wait();
        RecordingDirectoryView::clear_lists();
    }
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future();
};

// Its window vanishes during the first load.
class VanishingDirectoryView : public testing::RecordingDirectoryView {
public:
    void clear_lists() override {
        if (!vanished_) {
            vanished_ = true;
            throw std::runtime_error("window gone");
        }
        RecordingDirectoryView::clear_lists();
    }

private:
    bool vanished_ = false;
};

TEST_F(ForumFlow, OneDirectoryLoadPerViewAtATime) {
    const size_t rows = 1 + 2 * sim::boards().size();
    auto first = std::make_shared<HeldDirectoryView>();
    std::future<void> entered = first->entered.get_future();
    std::thread running(board_directory_worker, hosts, first, real_network());
    entered.wait();
    // A second click on the same browser starts nothing; another browser loads at once.
    board_directory_worker(hosts, first);
    auto second = std::make_shared<testing::RecordingDirectoryView>();
    board_directory_worker(hosts, second);
    EXPECT_EQ(second->log.lines().size(), rows);
    first->release.set_value();
    running.join();
    EXPECT_EQ(first->log.lines().size(), rows);

    // The guard is let go after every load, also after one that failed half-way.
    auto vanishing = std::make_shared<VanishingDirectoryView>();
    board_directory_worker(hosts, vanishing);
    board_directory_worker(hosts, vanishing);
    EXPECT_EQ(vanishing->log.lines().size(), rows);
}

}  // namespace
}  // namespace tamsor
