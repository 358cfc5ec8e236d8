#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "http/network.h"

namespace tamsor {

// The two halves of a directory load, each stepping the status caption through its own rows:
// the board names take it up to 50％, the board links on from there.
enum class DirectoryPhase { names, links };

// What the board directory reports. Called on the worker thread, in order; the window layer
// forwards each call to the window thread and drops them once the board browser is gone.
// One view serves one board browser for its whole life: it runs one load at a time, and once
// abandoned (its window gone) its load stops, dropping the request it waits for.
class BoardDirectoryView {
public:
    virtual ~BoardDirectoryView() = default;
    // Any thread.
    void abandon() { abandoned_.store(true); }
    bool abandoned() const { return abandoned_.load(); }

    virtual void clear_lists() = 0;                          // both lists below
    virtual void add_board_name(std::string_view name) = 0;  // the board-name list, 列表框1
    virtual void add_board_link(std::string_view link) = 0;  // the board-link list, 列表框2
    // One status step, applied on the window thread to the caption of the directory's status
    // label (标签4) with directory_status_step.
    virtual void status_step(DirectoryPhase phase) = 0;
    // A fetch brought no page: the status label says so with this caption, and the load ends.
    virtual void show_failure(std::string_view /*caption*/) {}
    // The forum answered with its sign-in form (reported after show_failure).
    virtual void session_ended() {}

private:
    friend void board_directory_worker(ForumHosts hosts, std::shared_ptr<BoardDirectoryView> view,
                                       Network net);
    std::atomic<bool> loading_{false};
    std::atomic<bool> abandoned_{false};
};

// The caption after one status step from `current`; nullopt leaves it unchanged.
std::optional<std::string> directory_status_step(std::string_view current, DirectoryPhase phase);

// Fills the board lists from two fetches of the start page. A fetch that brings no page ends the
// load with "状态：获取失败" (or "状态：登录失效" for the sign-in form, reporting the session
// over).
void load_board_directory(const ForumHosts& hosts, BoardDirectoryView& view,
                          const Network& net = real_network());

// Thread entry of the board directory. Returns at once, doing nothing, while a load of the same
// view still runs or once the view is abandoned.
void board_directory_worker(ForumHosts hosts, std::shared_ptr<BoardDirectoryView> view,
                            Network net = real_network());

// The text of the selected-board box (编辑框1) for a board: name + " ：" + forum root URL + link.
std::string board_selection_text(const ForumHosts& hosts, std::string_view name,
                                 std::string_view link);

}  // namespace tamsor
