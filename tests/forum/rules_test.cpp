// The cutting, cleanup and status rules, without network.
#include <gtest/gtest.h>

#include "forum/board_directory.h"
#include "forum/login.h"
#include "forum/message_texts.h"
#include "forum/post_reader.h"
#include "forum/profile.h"
#include "forum/punch.h"
#include "forum/thread_list.h"

namespace tamsor {
namespace {

const ForumHosts kHosts{"127.0.0.1:18080", "127.0.0.1:18081"};

struct AnswerRow {
    std::string answer;
    std::optional<MessageCode> code;
};

TEST(Answers, FirstMarkerInTableOrderDecides) {
    const std::string signed_in = "content=\"0;url=http://127.0.0.1:18081\"";
    const AnswerRow login_rows[] = {
        {signed_in + "验证码输入不正确", MessageCode::wrong_captcha},
        {"登录失败,请检查用户名和密码是否输入正确" + signed_in,
         MessageCode::wrong_name_or_password},
        {signed_in, MessageCode::signed_in},
        {"url=http://127.0.0.2:18081", std::nullopt},
        {"登录失败，请检查用户名和密码是否输入正确", std::nullopt},  // full-width comma
    };
    for (const AnswerRow& row : login_rows) {
        EXPECT_EQ(classify_login_answer(kHosts, row.answer), row.code) << row.answer;
    }
    const AnswerRow punch_rows[] = {
        {"您已签到完毕 完成 每日打卡", MessageCode::punched},
        {"完成 每日打卡 请刷新页面后重试！", MessageCode::reload_and_retry},
        {"请刷新页面后重试！您点击的太快了，休息下吧", MessageCode::clicked_too_fast},
        {"您已签到完毕", MessageCode::already_punched},
        {"完成每日打卡", std::nullopt},
    };
    for (const AnswerRow& row : punch_rows) {
        EXPECT_EQ(classify_punch_answer(row.answer), row.code) << row.answer;
    }
    EXPECT_EQ(message_texts(MessageCode::already_punched), "您已签到过了！");
    EXPECT_EQ(message_texts(MessageCode{7}), "");
}

TEST(ProfileRestingStatus, TellsThePunchsChangeOnlyWhenBothBalancesAreNumbers) {
    struct Row {
        std::optional<std::string> before;
        std::string after;
        std::string status;
    };
    const Row rows[] = {
        {std::nullopt, "133", "状态：暂无操作"},  // a refresh without a punch
        {"123", "133", "状态：签到成功，DB +10"},
        {"8848", "8848", "状态：签到成功，DB 未变"},
        {"40", "25", "状态：签到成功，DB -15"},
        {"-5", "5", "状态：签到成功，DB +10"},
        {"", "133", "状态：暂无操作"},  // no balance was read before the punch
        {"123", "", "状态：暂无操作"},
        {"1,000", "1,010", "状态：暂无操作"},
        {"123", "133 ", "状态：暂无操作"},
        {"1000000000000000000", "1000000000000000010", "状态：暂无操作"},  // beyond 18 digits
    };
    for (const Row& row : rows) {
        EXPECT_EQ(profile_resting_status(row.before, row.after), row.status)
            << row.before.value_or("(none)") << " -> " << row.after;
    }
}

TEST(PunchTimestamp, SecondsFromEightOClockLocalThenMillisecondsOfTheFirstReading) {
    const LocalTime noon{2024, 1, 2, 12, 0, 5, 7};
    EXPECT_EQ(punch_timestamp(noon, noon), "1704168005007");
    EXPECT_EQ(punch_timestamp(noon, noon, true), "1704168005");
    LocalTime next_second = noon;
    next_second.second = 6;
    next_second.millisecond = 999;
    EXPECT_EQ(punch_timestamp({2024, 1, 2, 12, 0, 5, 45}, next_second), "1704168006045");
    EXPECT_EQ(punch_timestamp({2024, 2, 29, 8, 0, 0, 123}, {2024, 2, 29, 8, 0, 0, 0}),
              "1709164800123");
}

TEST(StatusSteps, DirectoryCountsRowsAndStopsWhereItsPhaseHasNoRow) {
    auto walk = [](int names, int links) {
        std::string caption = "状态：暂无获取";
        for (int i = 0; i < names + links; ++i) {
            caption = directory_status_step(
                          caption, i < names ? DirectoryPhase::names : DirectoryPhase::links)
                          .value_or(caption);
        }
        return caption;
    };
    EXPECT_EQ(walk(3, 2), "状态：30％");
    EXPECT_EQ(walk(5, 6), "状态：完成");
    EXPECT_EQ(walk(9, 5), "状态：100％");
    EXPECT_EQ(walk(0, 4), "状态：暂无获取");
}

TEST(StatusSteps, ThreadListClimbsThenJumpsAndEnablesAtALastRow) {
    // Returns the caption and the step numbers that enabled the fetch button.
    auto walk = [](std::string caption, int rows) {
        std::vector<int> enabled_at;
        for (int step = 0; step < 2 * rows; ++step) {
            const ThreadStatusStep next = thread_list_status_step(caption, step % rows + 1, rows);
            caption = next.caption.value_or(caption);
            if (next.enable_fetch) {
                enabled_at.push_back(step + 1);
            }
        }
        return std::make_pair(caption, enabled_at);
    };
    EXPECT_EQ(walk("状态：暂无获取", 2),
              std::make_pair(std::string("状态：40％"), std::vector<int>{}));
    EXPECT_EQ(walk("状态：暂无获取", 8),
              std::make_pair(std::string("状态：100％"), std::vector{8, 16}));
    EXPECT_EQ(walk("状态：100％", 3),
              std::make_pair(std::string("状态：100％"), std::vector{3, 6}));
}

struct CleanupRow {
    std::string_view raw;
    std::string_view shown;
};

TEST(Cleanup, ThreadTitlesAndPostBodiesRowByRow) {
    const CleanupRow titles[] = {
        {"<font color=#FF0000><b>公告</b></font>", "公告"},
        {"<font color=#123456>别色</font>", "<font color=#123456>别色"},
        {"a&nbsp;b&#9760;c&#160;d&lt;b&gt;", "a b c d<b>"},
        {"<font color=#FF1<font color=#FF1493>493>x", "x"},
        {"<<b>b>y", "<b>y"},
    };
    for (const CleanupRow& row : titles) {
        EXPECT_EQ(clean_thread_title(row.raw), row.shown) << row.raw;
    }
    const CleanupRow bodies[] = {
        {"<p>第一<br />第二</p>", "第一第二"},
        {"decentered\r\n&nbsp;cencencenterterter", "deed\r\n"},
        {R"(<div align="center">居中</div>)", R"("居中)"},
        {R"(<span style="color:#f00">红</span>)", R"( "f00红)"},
        {R"(<div id="alert_tpc" style="color:gray;margin-top:30px">提示</div>)", R"( "提示)"},
    };
    for (const CleanupRow& row : bodies) {
        EXPECT_EQ(clean_post_body(row.raw), row.shown) << row.raw;
    }
}

TEST(SplitLimited, RestStaysJoinedAndShortResultsArePadded) {
    using Parts = std::vector<std::string>;
    EXPECT_EQ(split_limited("标题,板块,第三", ",", 2), (Parts{"标题", "板块,第三"}));
    EXPECT_EQ(split_limited("只有标题", ",", 2), (Parts{"只有标题", ""}));
    EXPECT_EQ(split_limited("", ",", 2), (Parts{"", ""}));
    EXPECT_EQ(split_limited("a,b", "", 2), (Parts{"a", "b"}));
    EXPECT_EQ(split_limited("a::b::c::d", "::", 3), (Parts{"a", "b", "c::d"}));
    EXPECT_EQ(split_limited("a,b", ",", 4), (Parts{"a", "b", "", ""}));
    EXPECT_EQ(split_limited("a,b", ",", 0), Parts{});
}

TEST(Addresses, SelectionTextsAndThePostAddressOfAnId) {
    EXPECT_EQ(compose_post_address(kHosts, "r123"), "http://127.0.0.1:18081/r123/");
    EXPECT_EQ(compose_post_address(kHosts, ""), "");
    EXPECT_EQ(compose_post_address(kHosts, "R123"), std::nullopt);
    // 瞨 is B2 72 in GBK: its second byte is the letter r, but the text holds no r.
    EXPECT_EQ(compose_post_address(kHosts, "12瞨3"), std::nullopt);

    EXPECT_EQ(board_selection_text(kHosts, "综合", "thread.php?fid=2"),
              "综合 ：http://127.0.0.1:18081/thread.php?fid=2");
    EXPECT_EQ(board_address(kHosts, "thread.php?fid=2"), "http://127.0.0.1:18081/thread.php?fid=2");
    EXPECT_EQ(thread_summary(kHosts, "标题", "r4711"),
              "帖子标题： 标题\r\n帖子ID： r4711\r\n帖子地址： http://127.0.0.1:18081/r4711/");
}

}  // namespace
}  // namespace tamsor
