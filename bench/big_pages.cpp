#include "big_pages.h"

#include <string_view>
#include <vector>

#include "catalogue.h"
#include "http/url.h"
#include "pages.h"
#include "text/gbk.h"
#include "text/strings.h"

namespace tamsor::bench {
namespace {

constexpr std::string_view kForumHost = "127.0.0.1:18081";
constexpr size_t kMegabyte = 1u << 20;

// What a real board row carries beside the heading and the link the client reads: moderators,
// counts, the newest reply and a description. None of it holds a marker the readers look for.
constexpr std::string_view kBoardRowExtras =
    "<td class=\"forumModerator\">版主：<a href=\"u.php?uid=1201\">老玩家</a> "
    "<a href=\"u.php?uid=1202\">攻略组</a> <a href=\"u.php?uid=1203\">小编</a></td>\r\n"
    "<td class=\"forumNum\"><em>1234</em> / 56789</td>\r\n"
    "<td class=\"forumLast\"><a href=\"read.php?tid=123456&page=e#a\" title=\"最后回复\">"
    "新版本更新后的一些感想和建议，欢迎大家一起来讨论</a><br /><span class=\"gray\">"
    "2026-12-08 12:34 by 玩家甲</span></td>\r\n"
    "<td class=\"forumDesc\"><p>本版讨论游戏的方方面面：版本更新、职业平衡、副本攻略、装备搭配、"
    "活动奖励和新手问题。发帖前请先阅读版规，搜索是否已有相同的话题；求助帖请写明服务器、职业和"
    "等级，截图请压缩后再上传。</p><p>友情提示：本版严禁广告、代练和账号交易，违者删帖封号。"
    "每周五晚八点有版主在线答疑，欢迎参加。</p><p>精华帖合集：<a href=\"read.php?tid=1\">新手入门"
    "</a> | <a href=\"read.php?tid=2\">职业选择</a> | <a href=\"read.php?tid=3\">副本路线</a> | "
    "<a href=\"read.php?tid=4\">装备强化</a> | <a href=\"read.php?tid=5\">常见问题</a></p>"
    "<p>本版讨论游戏的方方面面：版本更新、职业平衡、副本攻略、装备搭配、活动奖励和新手问题。"
    "发帖前请先阅读版规，搜索是否已有相同的话题；求助帖请写明服务器、职业和等级，截图请压缩后再"
    "上传。</p><p>友情提示：本版严禁广告、代练和账号交易，违者删帖封号。每周五晚八点有版主在线"
    "答疑，欢迎参加。</p><p>版务公告：新版块规则已于本月起施行，精华帖评选每月一次，获选者可得"
    "一百刀奖励；违规举报请到投诉区发帖，版主会在二十四小时内处理。积极回帖、分享原创攻略的玩家"
    "将优先获得内测资格。</p><p>下载专区：客户端安装包、补丁和常用工具请到置顶帖获取，"
    "切勿使用来路不明的外挂；发现盗号链接请立即举报，官方不会以任何理由索要密码。</p></td>\r\n";

// The newest reply and the page links of a thread row on a real board page.
constexpr std::string_view kThreadRowExtras =
    "  <td class=\"last\"><a href=\"read.php?tid=123456&page=e#a\">2026-12-08 12:34</a><br />"
    "by: <a href=\"u.php?uid=2001\">回帖玩家</a></td>\r\n"
    "  <td class=\"pages\">[ <a href=\"read.php?tid=123456&page=2\">2</a> "
    "<a href=\"read.php?tid=123456&page=3\">3</a> ... <a href=\"read.php?tid=123456&page=9\">9</a> "
    "]</td>\r\n"
    "  <td class=\"tags\"><a href=\"tag.php?name=%E6%94%BB%E7%95%A5\">攻略</a> "
    "<a href=\"tag.php?name=%E6%96%B0%E6%89%8B\">新手</a> <span class=\"gray\">精华 "
    "置顶 热门</span></td>\r\n";

sim::SignedInView demo_account() {
    return {"玩家甲", "5f2c9a0d", "c0ffee42", 1234, 100234, "骑士"};
}

// The simulated start page has four category boxes of two boards each; a big forum has the
// same boxes, more of them and with fuller rows.
std::string start_page() {
    const std::string page = sim::home_page(demo_account());
    const std::string_view box_start = "<div class=\"forumBox\">";
    const std::string_view box_end = "</table>\r\n</div>\r\n";
    const size_t first = page.find(box_start);
    const size_t last = page.rfind(box_end) + box_end.size();

    std::vector<std::string> boxes;
    for (size_t at = first; at < last;) {
        const size_t end = page.find(box_end, at) + box_end.size();
        boxes.push_back(replace_all(page.substr(at, end - at), "</p></td>\r\n</tr>",
                                    "</p></td>\r\n" + std::string(kBoardRowExtras) + "</tr>"));
        at = end;
    }
    std::string directory;
    const int boards_per_box = static_cast<int>(sim::boards().size() / boxes.size());
    for (int box = 0; box * boards_per_box < kStartPageBoards; ++box) {
        directory += boxes[static_cast<size_t>(box) % boxes.size()];
    }
    return page.substr(0, first) + directory + page.substr(last);
}

std::string board_page() {
    const sim::Board& board = sim::boards().front();
    const std::vector<sim::Thread> styles = sim::threads_of(board);
    std::vector<sim::Thread> threads;
    for (int i = 0; i < kBoardPageThreads; ++i) {
        sim::Thread thread = styles[static_cast<size_t>(i) % styles.size()];
        thread.tid = board.fid * 10000 + i + 1;
        threads.push_back(thread);
    }
    return replace_all(sim::board_page(board, threads), "</tr>\r\n",
                       std::string(kThreadRowExtras) + "</tr>\r\n");
}

sim::PostView post_view() {
    sim::Thread thread;
    sim::find_thread(sim::boards().front().fid * 1000 + 1, thread);
    const std::string images = "http://" + std::string(kForumHost) + "/images/";
    sim::PostView view{thread, sim::boards().front().name, images + "popup.jpg", {}, "", ""};
    for (const auto& line : sim::post_shape(thread.tid).picture_lines) {
        auto& addresses = view.picture_lines.emplace_back();
        for (const auto& name : line) {
            addresses.push_back(images + name);
        }
    }
    return view;
}

// A long post: the simulator's post body, pictures and all, written again and again.
std::string post_page() {
    sim::PostView view = post_view();
    const std::string body = text_between(
        sim::post_page(view), "<div class=\"f14 mb10\" id=\"read_tpc\">", sim::post_body_end());
    const std::string unit = body + "\r\n";
    const size_t copies = kMegabyte / utf8_to_gbk(unit).size() + 1;
    std::string big_body;
    for (size_t i = 0; i < copies; ++i) {
        big_body += unit;
    }
    view.body_override = big_body;
    return sim::post_page(view);
}

// The simulator's long-line fault post: greedy ".*" before "src" meets a megabyte without a
// line break and without a closing quote.
std::string long_line_post() {
    const std::string unit =
        "<img src=http://" + std::string(kForumHost) + "/images/big.png border=0 src=";
    std::string line;
    while (line.size() < kMegabyte) {
        line += unit;
    }
    sim::PostView view = post_view();
    view.body_override = line;
    return sim::post_page(view);
}

}  // namespace

const BigPages& simulator_pages() {
    const sim::Board& board = sim::boards().front();
    static const BigPages pages{utf8_to_gbk(sim::home_page(demo_account())),
                                utf8_to_gbk(sim::board_page(board, sim::threads_of(board))),
                                utf8_to_gbk(sim::post_page(post_view())), ""};
    return pages;
}

const BigPages& big_pages() {
    static const BigPages pages{utf8_to_gbk(start_page()), utf8_to_gbk(board_page()),
                                utf8_to_gbk(post_page()), utf8_to_gbk(long_line_post())};
    return pages;
}

}  // namespace tamsor::bench
