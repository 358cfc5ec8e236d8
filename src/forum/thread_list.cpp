#include "forum/thread_list.h"

#include <vector>

#include "forum/forum_answer.h"
#include "forum/page_patterns.h"
#include "http/url.h"
#include "regex/regex_object.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kTitlePattern = thread_title_pattern;
constexpr std::string_view kThreadIdPattern = thread_id_pattern;

// Only these colours are stripped; a title in another colour keeps its opening tag. The entity
// rows come last, so an entity-encoded tag ends as a plain tag that stays in the title.
constexpr Replacement kTitleCleanupRows[] = {
    {"<font color=#FF0000>"},
    {"<font color=#FFA500>"},
    {"<font color=#29E7B5>"},
    {"<font color=#0000FF>"},
    {"<font color=#008000>"},
    {"<font color=#4B0082>"},
    {"<font color=#FF1493>"},
    {"<font color=#00FFFF>"},
    {"<font color=#FF1493>"},
    {"<font color=#00B3FF>"},
    {"<font color=#000000>"},
    {"<font color=#6B8E23>"},
    {"</i>"},
    {"</u>"},
    {"</b>"},
    {"<b>"},
    {"<i>"},
    {"<u>"},
    {"</font>"},
    {"&nbsp;", " "},
    {"&#9760;", " "},
    {"&#160;", " "},
    {"&lt;", "<"},
    {"&gt;", ">"},
};

constexpr ReplacementTable kTitleCleanup(kTitleCleanupRows);

struct StatusRow {
    std::string_view current;
    std::string_view next;
};

constexpr StatusRow kStatusClimb[] = {
    {"状态：暂无获取", "状态：10％"}, {"状态：10％", "状态：20％"}, {"状态：20％", "状态：30％"},
    {"状态：30％", "状态：40％"},     {"状态：40％", "状态：50％"}, {"状态：50％", "状态：60％"},
    {"状态：60％", "状态：70％"},
};

constexpr std::string_view kStatusDone = "状态：100％";

void status_step(ThreadListView& view, int row, int rows) {
    const ThreadStatusStep step = thread_list_status_step(view.status(), row, rows);
    if (step.caption) {
        view.set_status(*step.caption);
    }
    if (step.enable_fetch) {
        view.set_fetch_enabled(true);
    }
}

std::string board_info(std::string_view page) {
    return "主题：" + text_between(page, ">|</span>主题：", "\r\n") + "\r\n今天发帖：" +
           text_between(page, "藏</a>\r\n\t\t</span>\r\n\r\n今日:", "<img src=") + "\r\n排名：" +
           text_between(page, ">|</span>排名：", "<img src=");
}

}  // namespace

std::string clean_thread_title(std::string_view title) {
    return kTitleCleanup.apply(title);
}

std::span<const Replacement> thread_title_cleanup_rows() {
    return kTitleCleanup.rows();
}

ThreadStatusStep thread_list_status_step(std::string_view current, int row, int rows) {
    for (const StatusRow& climb : kStatusClimb) {
        if (climb.current == current) {
            return {std::string(climb.next), false};
        }
    }
    if (row == rows) {
        return {std::string(kStatusDone), true};
    }
    return {};
}

void load_thread_list(const ForumHosts& /*hosts*/, ThreadListView& view, const Network& net) {
    RegexObject regex;
    view.clear_thread_lists();
    view.set_fetch_enabled(false);

    ForumAnswer answer = fetch_forum_page_plain(view.board_address(), net);
    const PageVerdict verdict = judge_page(answer);
    // An error page or the sign-in form is no board: it is read as an empty page, so the board
    // information the lists were shown with goes with them.
    const std::string page = verdict == PageVerdict::page ? std::move(answer.text) : std::string();
    view.show_board_info(board_info(page));
    if (verdict == PageVerdict::signed_out) {
        view.set_status(failure_status(verdict));
        view.set_fetch_enabled(true);
        view.session_ended();
        return;
    }

    regex.execute(kTitlePattern, page, true, true, true);
    const int titles = regex.match_count();
    std::vector<std::string> raw_titles;
    for (int i = 1; i <= titles; ++i) {
        raw_titles.push_back(regex.submatch_text(i, 1));
    }
    const std::vector<std::string> cleaned_titles = kTitleCleanup.apply_each(raw_titles);
    for (int i = 1; i <= titles; ++i) {
        view.add_thread_title(cleaned_titles[static_cast<size_t>(i - 1)]);
        status_step(view, i, titles);
    }

    regex.execute(kThreadIdPattern, page, true, true, true);
    const int ids = regex.match_count();
    for (int i = 1; i <= ids; ++i) {
        view.add_post_id("r" + regex.submatch_text(i, 1));
        status_step(view, i, ids);
    }

    if (verdict != PageVerdict::page) {
        view.set_status(failure_status(verdict));
    }
    // The status rule re-enables the button only at a last row it did not climb on: a short first
    // load or an empty page would leave it disabled for good.
    view.set_fetch_enabled(true);
}

std::string board_address(const ForumHosts& hosts, std::string_view link) {
    return hosts.forum_root_url() + std::string(link);
}

std::string thread_summary(const ForumHosts& hosts, std::string_view title,
                           std::string_view post_id) {
    return "帖子标题： " + std::string(title) + "\r\n帖子ID： " + std::string(post_id) +
           "\r\n帖子地址： " + hosts.forum_root_url() + std::string(post_id) + "/";
}

}  // namespace tamsor
