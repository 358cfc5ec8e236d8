#include "forum/board_directory.h"

#include <algorithm>
#include <atomic>

#include "forum/forum_answer.h"
#include "forum/page_patterns.h"
#include "http/http_request.h"
#include "regex/regex_object.h"
#include "text/strings.h"

namespace tamsor {
namespace {

constexpr std::string_view kBoardNamePattern = board_name_pattern;
constexpr std::string_view kBoardLinkPattern = board_link_pattern;

constexpr std::string_view kNameMarkup[] = {"</font>", "<font color=red>", "<font color=blue>"};

// Headings that group boards on the start page; they are no boards themselves.
constexpr std::string_view kCategoryCaptions[] = {"更多网络游戏", "更多手机游戏", "更多单机休闲",
                                                  "更多精彩板块"};

struct StatusRow {
    DirectoryPhase phase;
    std::string_view current;
    std::string_view next;
};

// Names move the caption up to 50％, links from there on: it counts rows added, not work done.
constexpr DirectoryPhase kNames = DirectoryPhase::names;
constexpr DirectoryPhase kLinks = DirectoryPhase::links;
constexpr StatusRow kStatusSteps[] = {
    {kNames, "状态：暂无获取", "状态：10％"}, {kNames, "状态：10％", "状态：20％"},
    {kNames, "状态：20％", "状态：30％"},     {kNames, "状态：30％", "状态：40％"},
    {kNames, "状态：40％", "状态：50％"},     {kLinks, "状态：50％", "状态：60％"},
    {kLinks, "状态：60％", "状态：70％"},     {kLinks, "状态：70％", "状态：80％"},
    {kLinks, "状态：80％", "状态：90％"},     {kLinks, "状态：90％", "状态：100％"},
    {kLinks, "状态：100％", "状态：完成"},
};

class RunningFlag {
public:
    explicit RunningFlag(std::atomic<bool>& flag) : flag_(flag) {}
    ~RunningFlag() { flag_.store(false); }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    std::atomic<bool>& flag_;
};

// The thread's transfers end once the flag turns true, until this goes.
class AbandonTransfersWhen {
public:
    explicit AbandonTransfersWhen(const std::atomic<bool>& flag) { set_thread_abandon_flag(&flag); }
    ~AbandonTransfersWhen() { set_thread_abandon_flag(nullptr); }
    AbandonTransfersWhen(const AbandonTransfersWhen&) = delete;
    AbandonTransfersWhen& operator=(const AbandonTransfersWhen&) = delete;
};

// The start page's text, or nothing once the view has been told why there is none.
std::optional<std::string> start_page(const ForumHosts& hosts, BoardDirectoryView& view,
                                      const Network& net) {
    ForumAnswer answer = fetch_forum_page_plain(hosts.forum_root_url(), net);
    const PageVerdict verdict = judge_page(answer);
    if (verdict == PageVerdict::page) {
        return std::move(answer.text);
    }
    view.show_failure(failure_status(verdict));
    if (verdict == PageVerdict::signed_out) {
        view.session_ended();
    }
    return std::nullopt;
}

bool is_category_caption(std::string_view name) {
    return std::find(std::begin(kCategoryCaptions), std::end(kCategoryCaptions), name) !=
           std::end(kCategoryCaptions);
}

std::string clean_board_name(std::string_view raw) {
    std::string name(raw);
    for (std::string_view markup : kNameMarkup) {
        name = replace_all(name, markup, "");
    }
    return name;
}

}  // namespace

std::optional<std::string> directory_status_step(std::string_view current, DirectoryPhase phase) {
    for (const StatusRow& row : kStatusSteps) {
        if (row.phase == phase && row.current == current) {
            return std::string(row.next);
        }
    }
    return std::nullopt;
}

void load_board_directory(const ForumHosts& hosts, BoardDirectoryView& view, const Network& net) {
    RegexObject regex;
    view.clear_lists();

    if (view.abandoned()) {
        return;
    }
    const std::optional<std::string> names_page = start_page(hosts, view, net);
    if (!names_page) {
        return;
    }
    regex.execute(kBoardNamePattern, *names_page, true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        const std::string name = clean_board_name(regex.submatch_text(i, 1));
        if (is_category_caption(name)) {
            continue;
        }
        view.add_board_name(replace_all(name, "<font color=blue>", ""));
        view.status_step(DirectoryPhase::names);
    }

    // The links come from a fetch of their own; only the page order pairs them with the names.
    if (view.abandoned()) {
        return;
    }
    const std::optional<std::string> links_page = start_page(hosts, view, net);
    if (!links_page) {
        return;
    }
    regex.execute(kBoardLinkPattern, *links_page, true, true, true);
    for (int i = 1; i <= regex.match_count(); ++i) {
        view.add_board_link(regex.submatch_text(i, 1));
        view.status_step(DirectoryPhase::links);
    }
}

void board_directory_worker(ForumHosts hosts, std::shared_ptr<BoardDirectoryView> view,
                            Network net) {
    // A second click while the lists are being filled would interleave two runs in the same
    // lists; another window's load has lists of its own.
    if (!view || view->abandoned() || view->loading_.exchange(true)) {
        return;
    }
    RunningFlag running(view->loading_);
    AbandonTransfersWhen abandoned(view->abandoned_);
    // An exception leaving a thread entry ends the process; a failed run just stops filling.
    try {
        load_board_directory(hosts, *view, net);
    } catch (...) {
    }
}

std::string board_selection_text(const ForumHosts& hosts, std::string_view name,
                                 std::string_view link) {
    return std::string(name) + " ：" + hosts.forum_root_url() + std::string(link);
}

}  // namespace tamsor
