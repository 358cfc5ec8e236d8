#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "http/network.h"
#include "text/replacement_table.h"

namespace tamsor {

// What the thread-list fetch needs of the board browser. Called on the window thread.
class ThreadListView {
public:
    virtual ~ThreadListView() = default;
    virtual std::string board_address() = 0;                    // the board-address box, 编辑框2
    virtual void clear_thread_lists() = 0;                      // both lists below
    virtual void set_fetch_enabled(bool enabled) = 0;           // the fetch button, 图形按钮3
    virtual void show_board_info(std::string_view text) = 0;    // the board-info box, 编辑框3
    virtual void add_thread_title(std::string_view title) = 0;  // the thread list, 列表框3
    virtual void add_post_id(std::string_view post_id) = 0;     // the post-ID list, 列表框4
    // The caption of the thread status label (标签9).
    virtual std::string status() = 0;
    virtual void set_status(std::string_view status) = 0;
    // The forum answered with its sign-in form. A view that cannot offer a new sign-in leaves it
    // at the status text.
    virtual void session_ended() {}
};

// A thread title without the markup the title cleanup table removes.
std::string clean_thread_title(std::string_view title);

// The title cleanup table's rows, in the order they apply.
std::span<const Replacement> thread_title_cleanup_rows();

// What one status step does for row `row` of a loop over `rows` rows (both loops, titles and
// IDs, step alike).
struct ThreadStatusStep {
    std::optional<std::string> caption;  // the status label's new caption; nullopt leaves it
    bool enable_fetch = false;           // the fetch button enabled again
};
ThreadStatusStep thread_list_status_step(std::string_view current, int row, int rows);

// Fills the thread lists from the board page in the board-address box. The fetch button is disabled
// while it runs and enabled again when it ends, whatever the page held. A fetch that brings no page
// leaves the lists empty and the status at "状态：获取失败"; the sign-in form instead of the page,
// at "状态：登录失效", with the session reported over.
void load_thread_list(const ForumHosts& hosts, ThreadListView& view,
                      const Network& net = real_network());

// The board-address box's text when a board is opened: forum root URL + link.
std::string board_address(const ForumHosts& hosts, std::string_view link);

// The text of the thread-summary box (编辑框4) for a selected thread: title, post ID and post
// address on three lines.
std::string thread_summary(const ForumHosts& hosts, std::string_view title,
                           std::string_view post_id);

}  // namespace tamsor
