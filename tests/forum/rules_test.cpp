// The cutting, cleanup and status rules, without network.
#include <gtest/gtest.h>

#include <span>

#include "forum/board_directory.h"
#include "forum/login.h"
#include "forum/message_texts.h"
#include "forum/post_reader.h"
#include "forum/punch.h"
#include "forum/thread_list.h"

namespace tamsor {
namespace {

const ForumHosts kHosts{"127.0.0.1:18080", "127.0.0.1:18081"};

TEST(MessageTexts, CodesWithoutTextGiveEmptyText) {
    EXPECT_EQ(message_texts(0), "欢迎回来，登陆成功！");
    EXPECT_EQ(message_texts(2), "抱歉！您输入的验证码不正确！");
    EXPECT_EQ(message_texts(6), "您都没有填写帖子ID！");
    EXPECT_EQ(message_texts(20), "您已签到过了！");
    for (int32_t code : {7, 19, 21, -1}) {
        EXPECT_EQ(message_texts(code), "") << code;
    }
}

TEST(LoginForm, OnlyTheAccountNameIsEncoded) {
    EXPECT_EQ(login_form_body(kHosts, {"张三 x", "p&w=%中", "aB3"}),
              "lgt=0&username=%D5%C5%C8%FD%20x&password=p&w=%中&idcode=aB3"
              "&forward=http%3A%2F%2F127.0.0.1%3A18081&logincd=&app=checklogin");
    EXPECT_EQ(login_form_body(kHosts, {"", "", ""}),
              "lgt=0&username=&password=&idcode="
              "&forward=http%3A%2F%2F127.0.0.1%3A18081&logincd=&app=checklogin");
}

TEST(LoginAnswer, FirstMarkerInTableOrderDecides) {
    const std::string success =
        "<meta http-equiv=\"refresh\" content=\"0;url=http://127.0.0.1:18081\">";
    struct Row {
        std::string answer;
        std::optional<int32_t> code;
    };
    const Row rows[] = {
        {success + "验证码输入不正确", 2},
        {"登录失败,请检查用户名和密码是否输入正确" + success, 1},
        {"验证码输入不正确 登录失败,请检查用户名和密码是否输入正确", 2},
        {success, 0},
        {"url=http://127.0.0.2:18081", std::nullopt},
        {"登录失败，请检查用户名和密码是否输入正确", std::nullopt},  // full-width comma
        {"", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(classify_login_answer(kHosts, row.answer), row.code) << row.answer;
    }
}

TEST(PunchAnswer, FirstPhraseInTableOrderDecides) {
    struct Row {
        std::string answer;
        std::optional<int32_t> code;
    };
    const Row rows[] = {
        {"您已签到完毕 完成 每日打卡", 5},
        {"完成 每日打卡 请刷新页面后重试！", 4},
        {"请刷新页面后重试！您点击的太快了，休息下吧", 3},
        {"您已签到完毕", 20},
        {"完成每日打卡", std::nullopt},
        {"您点击的太快了,休息下吧", std::nullopt},
        {"", std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(classify_punch_answer(row.answer), row.code) << row.answer;
    }
}

TEST(PunchTimestamp, CountsFromEightOClockLocalAndTakesEachPartFromItsReading) {
    const LocalTime noon{2024, 1, 2, 12, 0, 5, 7};
    EXPECT_EQ(punch_timestamp(noon, noon), "1704168005007");
    EXPECT_EQ(punch_timestamp(noon, noon, true), "1704168005");

    LocalTime earlier_ms = noon;
    earlier_ms.millisecond = 45;
    LocalTime later_second = noon;
    later_second.second = 6;
    later_second.millisecond = 999;
    EXPECT_EQ(punch_timestamp(earlier_ms, later_second), "1704168006045");

    const LocalTime leap_day{2024, 2, 29, 8, 0, 0, 123};
    EXPECT_EQ(punch_timestamp(leap_day, leap_day), "1709164800123");
    EXPECT_EQ(punch_timestamp().size(), 13u);
    EXPECT_EQ(punch_timestamp(true).size(), 10u);
}

std::string walk_directory_status(int names, int links) {
    std::string caption = "状态：暂无获取";
    for (int phase = 1; phase <= 2; ++phase) {
        for (int i = 0; i < (phase == 1 ? names : links); ++i) {
            caption = directory_status_step(caption, phase).value_or(caption);
        }
    }
    return caption;
}

TEST(DirectoryStatus, CountsRowsAddedAndStopsWhereThePhaseHasNoRow) {
    EXPECT_EQ(walk_directory_status(3, 2), "状态：30％");
    EXPECT_EQ(walk_directory_status(5, 6), "状态：完成");
    EXPECT_EQ(walk_directory_status(9, 5), "状态：100％");
    EXPECT_EQ(walk_directory_status(0, 4), "状态：暂无获取");
    EXPECT_EQ(directory_status_step("状态：完成", 2), std::nullopt);
    EXPECT_EQ(directory_status_step("状态：50％", 1), std::nullopt);
}

struct ThreadWalk {
    std::string caption;
    std::vector<int> enabled_at;  // the step numbers that enabled the button
};

ThreadWalk walk_thread_status(std::string caption, int titles, int ids) {
    ThreadWalk walk{std::move(caption), {}};
    int step_number = 0;
    for (int rows : {titles, ids}) {
        for (int i = 1; i <= rows; ++i) {
            ++step_number;
            const ThreadStatusStep step = thread_list_status_step(walk.caption, i, rows);
            walk.caption = step.caption.value_or(walk.caption);
            if (step.enable_fetch) {
                walk.enabled_at.push_back(step_number);
            }
        }
    }
    return walk;
}

TEST(ThreadListStatus, ClimbsOnEveryRowThenJumpsAtTheLastRow) {
    const ThreadWalk two = walk_thread_status("状态：暂无获取", 2, 2);
    EXPECT_EQ(two.caption, "状态：40％");
    EXPECT_TRUE(two.enabled_at.empty());

    const ThreadWalk eight = walk_thread_status("状态：暂无获取", 8, 8);
    EXPECT_EQ(eight.caption, "状态：100％");
    EXPECT_EQ(eight.enabled_at, (std::vector<int>{8, 16}));

    const ThreadWalk later = walk_thread_status("状态：100％", 3, 3);
    EXPECT_EQ(later.caption, "状态：100％");
    EXPECT_EQ(later.enabled_at, (std::vector<int>{3, 6}));

    const ThreadWalk none = walk_thread_status("状态：100％", 0, 0);
    EXPECT_TRUE(none.enabled_at.empty());
}

struct CleanupRow {
    std::string_view raw;
    std::string_view shown;
};

void expect_cleanup(std::string (*clean)(std::string_view), std::span<const CleanupRow> rows) {
    for (const CleanupRow& row : rows) {
        EXPECT_EQ(clean(row.raw), row.shown) << row.raw;
    }
}

TEST(ThreadTitle, CleanupTableInOrder) {
    const CleanupRow rows[] = {
        {"<font color=#FF0000><b>公告</b></font>", "公告"},
        {"<font color=#6B8E23><i><u>绿</u></i></font>", "绿"},
        {"<font color=#123456>别色</font>", "<font color=#123456>别色"},
        {"a&nbsp;b&#9760;c&#160;d", "a b c d"},
        {"&lt;b&gt;粗&lt;/b&gt;", "<b>粗</b>"},
        {"<font color=#FF1<font color=#FF1493>493>x", "x"},
        {"<<b>b>y", "<b>y"},
    };
    expect_cleanup(clean_thread_title, rows);
}

TEST(PostBody, CleanupRemovesFragmentsNotWholeTags) {
    const CleanupRow rows[] = {
        {"<p>第一<br />第二</p>", "第一第二"},
        {"a&nbsp;b&#160;c", "abc"},
        {"decentered\r\nline", "deed\r\nline"},
        {"cencencenterterter", ""},
        {R"(<div align="center">居中</div>)", R"("居中)"},
        {R"(<span style="color:#f00">红</span>)", R"( "f00红)"},
        {R"(<div id="alert_tpc" style="color:gray;margin-top:30px">提示</div>)", R"( "提示)"},
        {"<b>粗</b>", "粗</b>"},
    };
    expect_cleanup(clean_post_body, rows);
}

TEST(SplitLimited, RestStaysJoinedAndShortResultsArePadded) {
    struct Row {
        std::string_view text;
        std::string_view delimiter;
        int n;
        std::vector<std::string> parts;
    };
    const Row rows[] = {
        {"标题,板块,第三", ",", 2, {"标题", "板块,第三"}},
        {"只有标题", ",", 2, {"只有标题", ""}},
        {"", ",", 2, {"", ""}},
        {"a,b", "", 2, {"a", "b"}},
        {"a::b::c::d", "::", 3, {"a", "b", "c::d"}},
        {"a,b", ",", 4, {"a", "b", "", ""}},
        {",", ",", 2, {"", ""}},
        {"a,b", ",", 1, {"a,b"}},
        {"a,b", ",", 0, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(split_limited(row.text, row.delimiter, row.n), row.parts) << row.text;
    }
}

TEST(PostAddress, OnlyTheLetterRComposesAnAddress) {
    EXPECT_EQ(compose_post_address(kHosts, "r123"), "http://127.0.0.1:18081/r123/");
    EXPECT_EQ(compose_post_address(kHosts, "12r"), "http://127.0.0.1:18081/12r/");
    EXPECT_EQ(compose_post_address(kHosts, ""), "");
    EXPECT_EQ(compose_post_address(kHosts, "123"), std::nullopt);
    EXPECT_EQ(compose_post_address(kHosts, "R123"), std::nullopt);
    // 瞨 is B2 72 in GBK: its second byte is the letter r, but the text holds no r.
    EXPECT_EQ(compose_post_address(kHosts, "12瞨3"), std::nullopt);
}

TEST(SelectionTexts, ComposeNamesIdsAndAddresses) {
    EXPECT_EQ(board_selection_text(kHosts, "综合讨论", "thread-htm-fid-2.html"),
              "综合讨论 ：http://127.0.0.1:18081/thread-htm-fid-2.html");
    EXPECT_EQ(board_address(kHosts, "thread-htm-fid-2.html"),
              "http://127.0.0.1:18081/thread-htm-fid-2.html");
    EXPECT_EQ(thread_summary(kHosts, "标题", "r4711"),
              "帖子标题： 标题\r\n帖子ID： r4711\r\n帖子地址： http://127.0.0.1:18081/r4711/");
}

}  // namespace
}  // namespace tamsor
