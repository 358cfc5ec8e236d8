#pragma once

#include <functional>

#include "forum/forum_hosts.h"
#include "forum/shared_state.h"

namespace tamsor::ui {

class BorderlessWindow;

// The six windows; each exists at most once at a time.
enum class WindowKind { login, message, operations, board_browser, post_viewer, image_viewer };
inline constexpr int window_kind_count = 6;

// What a window may ask of the program that runs it: the hosts and the shared state, the other
// windows, worker threads, the offer to sign in again and the end of the program. The windows
// know nothing else of the program; it lives on the window thread and outlives every window.
class WindowHost {
public:
    virtual const ForumHosts& hosts() const = 0;
    virtual SharedState& state() = 0;

    // Creates the window, runs its created event, shows it and returns once it is closed.
    virtual void open_window_modal(WindowKind kind) = 0;
    // Creates the window, runs its created event and shows it. An open window comes to the front.
    virtual void open_window(WindowKind kind) = 0;
    // Hides the window at once; it is destroyed as soon as none of its handlers is running.
    virtual void close_window(WindowKind kind) = 0;
    // The open window of that kind, or null.
    virtual BorderlessWindow* window(WindowKind kind) const = 0;

    bool window_exists(WindowKind kind) const { return window(kind) != nullptr; }
    template <class W>
    W* window_as(WindowKind kind) const {
        return static_cast<W*>(window(kind));
    }

    // Runs the routine on a new thread that nobody waits for.
    virtual void start_worker(std::function<void()> routine) = 0;

    // Which session the cookie store holds: the count of sign-ins the forum has accepted. An
    // operation reads it as it starts, so that what it finds can be told apart from what holds
    // for a session begun after it.
    virtual int session() const = 0;
    // The forum has accepted a sign-in: a new session begins.
    virtual void session_started() = 0;

    // The forum has ended `session` (what session() read when the operation that found this
    // started): says so in the message window and, once that is closed, offers the login window
    // over the open windows; returns when the login window is closed (signed in again, or given
    // up). A message window already open is closed by the user first, so the reason is read
    // before the login window comes. Only one such offer runs at a time, and an earlier session
    // ending says nothing of the current one: no offer then.
    virtual void sign_in_again(int session) = 0;

    // Ends the process at once with exit code 0.
    virtual void end_program() = 0;

    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

protected:
    WindowHost() = default;
    ~WindowHost() = default;
};

}  // namespace tamsor::ui
