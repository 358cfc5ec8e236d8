#include <thread>

#include "sim_fixture.h"
#include "text/strings.h"

namespace tamsor::sim_test {
namespace {

constexpr const char* kDone = "完成 每日打卡";
constexpr const char* kAlready = "您已签到完毕";
constexpr const char* kTooFast = "您点击的太快了，休息下吧";
constexpr const char* kRetry = "请刷新页面后重试！";

class Punch : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        sim.set_punch_cooldown(std::chrono::milliseconds(150));
        sign_in_demo();
        std::string home = page(forum_url("/"));
        hash_ = text_between(home, "verifyhash = '", "';var");
        token_ = text_between(home, "var punchverify = '", "';");
        ASSERT_FALSE(hash_.empty());
    }

    std::string punch(const std::string& token, const std::string& nowtime, const std::string& hash,
                      const std::string& body = "step=2") {
        return text_of(post(forum_url("/jobcenter.php?action=punch&ajax=1&punchverify=" + token +
                                      "&nowtime=" + nowtime + "&verify=" + hash),
                            body));
    }
    std::string punch() { return punch(token_, "1765180800123", hash_); }

    std::string balance() { return text_between(page(forum_url("/")), "<li>ＤＢ: ", "刀</li>"); }

    static void wait_out_cooldown() { std::this_thread::sleep_for(std::chrono::milliseconds(250)); }

    std::string hash_, token_;
};

TEST_F(Punch, OnceADayThenAlreadyDoneAndTooFastInBetween) {
    EXPECT_TRUE(contains(punch(), kDone));
    EXPECT_EQ(balance(), "133");
    EXPECT_TRUE(contains(punch(), kTooFast));
    wait_out_cooldown();
    EXPECT_TRUE(contains(punch(), kAlready));
    EXPECT_EQ(balance(), "133");

    sim.reset_punches();
    EXPECT_TRUE(contains(punch(), kDone));
    EXPECT_EQ(balance(), "143");
}

TEST_F(Punch, RefusesWrongTokensAndForgedRequestsWithoutCountingThem) {
    struct Case {
        const char* what;
        std::string token, nowtime, hash, body;
    };
    const Case cases[] = {
        {"wrong punchverify", token_ + "0", "1765180800123", hash_, "step=2"},
        {"wrong verify", token_, "1765180800123", "x" + hash_, "step=2"},
        {"tokens swapped", hash_, "1765180800123", token_, "step=2"},
        {"empty tokens", "", "1765180800123", "", "step=2"},
        {"12-digit time", token_, "176518080012", hash_, "step=2"},
        {"letters in time", token_, "17651808001a3", hash_, "step=2"},
        {"other step", token_, "1765180800123", hash_, "step=1"},
    };
    for (const auto& c : cases) {
        std::string answer = punch(c.token, c.nowtime, c.hash, c.body);
        EXPECT_TRUE(contains(answer, kRetry)) << c.what;
        EXPECT_FALSE(contains(answer, kDone)) << c.what;
    }
    EXPECT_TRUE(contains(punch(), kDone));  // no refusal counted as a click
}

TEST_F(Punch, TokensOfAnotherSessionAreRefused) {
    clear_cookie_store();
    const auto& chinese = sim::Simulator::demo_accounts()[1];
    log_in(chinese.name, chinese.password);
    EXPECT_TRUE(contains(punch(), kRetry));
}

}  // namespace
}  // namespace tamsor::sim_test
