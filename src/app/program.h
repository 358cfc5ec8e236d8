#pragma once

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <vector>

#include "ui/window_host.h"

class QEventLoop;

namespace tamsor::app {

// The program's code and its tests name the window kinds from here.
using ui::WindowKind;

// One run of the client: the hosts it talks to, the shared state, the open windows and the
// window operations every window uses. Lives on the window thread.
class Program : public QObject, public ui::WindowHost {
    Q_OBJECT
public:
    explicit Program(ForumHosts hosts);
    ~Program() override;

    const ForumHosts& hosts() const override { return hosts_; }
    SharedState& state() override { return state_; }

    // Opens the login window and runs until it no longer exists and no modal window is open.
    // The exit code.
    int run();

    void open_window_modal(WindowKind kind) override;
    void open_window(WindowKind kind) override;
    void close_window(WindowKind kind) override;
    ui::BorderlessWindow* window(WindowKind kind) const override;
    void start_worker(std::function<void()> routine) override;
    int session() const override { return session_; }
    void session_started() override { ++session_; }
    void sign_in_again(int session) override;
    void end_program() override;

    // Tests replace the process end; the handler gets the exit code.
    void set_end_handler(std::function<void(int)> handler) { end_handler_ = std::move(handler); }

    // Closes every window (tests end a run this way).
    void close_all_windows();

    int modal_depth() const { return static_cast<int>(modal_loops_.size()); }

    // Lets the windows repaint while a request runs on the window thread; input is dropped, and
    // Esc cancels the request (see request_wait.h).
    static void install_wait_pump();

signals:
    void window_closed(ui::BorderlessWindow* window);

private:
    // A running modal loop: where its events are dispatched from.
    struct ModalLoop {
        int loop_level;  // the thread's loop level inside it
        int pump_depth;  // request waits it runs in
    };
    // A closed window waiting for its handlers to return. Its handlers run from the loop it was
    // opened in (a modal window: its own loop) or from loops nested in that one, so once that
    // loop dispatches an event itself, none of them is on the stack.
    struct ClosedWindow {
        ui::BorderlessWindow* window;
        int home_depth;  // number of modal loops running when its events began to arrive
    };

    ui::BorderlessWindow* create(WindowKind kind, int home_depth);
    void show_created(ui::BorderlessWindow* window, WindowKind kind);
    void sweep_closed_windows();
    void schedule_sweep(int delay_ms = 0);
    bool in_innermost_loop() const;
    void end_run_if_done();
    void wait_until_closed(WindowKind kind);
    void quit_when_closed(QEventLoop& loop, const ui::BorderlessWindow* window);

    ForumHosts hosts_;
    SharedState state_;
    std::array<QPointer<ui::BorderlessWindow>, ui::window_kind_count> windows_{};
    std::array<int, ui::window_kind_count> home_depths_{};
    std::vector<ClosedWindow> closed_;  // hidden, waiting to be destroyed
    std::vector<ModalLoop> modal_loops_;
    QEventLoop* main_loop_ = nullptr;
    int outer_loop_level_ = 0;  // loop level of the events the main loop dispatches
    bool sweep_scheduled_ = false;
    int session_ = 0;
    bool signing_in_again_ = false;
    std::function<void(int)> end_handler_;
};

}  // namespace tamsor::app
