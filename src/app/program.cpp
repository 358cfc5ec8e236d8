#include "app/program.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "app/request_wait.h"
#include "forum/message_texts.h"
#include "http/http_request.h"
#include "ui/board_browser_window.h"
#include "ui/borderless_window.h"
#include "ui/controls.h"
#include "ui/image_viewer_window.h"
#include "ui/login_window.h"
#include "ui/message_window.h"
#include "ui/operations_window.h"
#include "ui/post_viewer_window.h"

namespace tamsor::app {

namespace {

// How deep the window thread is inside the request wait pump. While it is inside, a handler is
// on the stack, so no closed window may be destroyed.
int pump_depth = 0;

int index_of(WindowKind kind) {
    return static_cast<int>(kind);
}

void bring_to_front(ui::BorderlessWindow* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

Program::Program(ForumHosts hosts) : hosts_(std::move(hosts)) {
    // Windows are hidden, not closed, and the run ends by its own rule, not with the last window.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ui::window_font(QStringLiteral("宋体"), 12));
}

Program::~Program() {
    for (auto& window : windows_) {
        delete window.data();
    }
    for (const ClosedWindow& closed : closed_) {
        delete closed.window;
    }
}

void Program::install_wait_pump() {
    std::thread::id window_thread = std::this_thread::get_id();
    set_wait_pump([window_thread] {
        if (std::this_thread::get_id() != window_thread) {
            return;
        }
        ++pump_depth;
        pump_events_during_request();
        --pump_depth;
    });
}

int Program::run() {
    open_window(WindowKind::login);
    if (!window_exists(WindowKind::login)) {
        return 0;
    }
    QEventLoop loop;
    main_loop_ = &loop;
    outer_loop_level_ = QThread::currentThread()->loopLevel() + 1;
    loop.exec();
    outer_loop_level_ = 0;
    main_loop_ = nullptr;
    return 0;
}

ui::BorderlessWindow* Program::create(WindowKind kind, int home_depth) {
    ui::BorderlessWindow* window = nullptr;
    switch (kind) {
        case WindowKind::login:
            window = new ui::LoginWindow(*this);
            break;
        case WindowKind::message:
            window = new ui::MessageWindow(*this);
            break;
        case WindowKind::operations:
            window = new ui::OperationsWindow(*this);
            break;
        case WindowKind::board_browser:
            window = new ui::BoardBrowserWindow(*this);
            break;
        case WindowKind::post_viewer:
            window = new ui::PostViewerWindow(*this);
            break;
        case WindowKind::image_viewer:
            window = new ui::ImageViewerWindow(*this);
            break;
    }
    windows_[index_of(kind)] = window;
    home_depths_[index_of(kind)] = home_depth;
    connect(window, &ui::BorderlessWindow::close_requested, this, [this, kind, window] {
        if (windows_[index_of(kind)] == window) {
            close_window(kind);
        }
    });
    window->centre_on_screen();
    return window;
}

void Program::show_created(ui::BorderlessWindow* window, WindowKind kind) {
    window->created();
    // The created event may have closed the window again.
    if (windows_[index_of(kind)] == window) {
        bring_to_front(window);
    }
}

void Program::open_window(WindowKind kind) {
    if (ui::BorderlessWindow* open = window(kind)) {
        bring_to_front(open);
        return;
    }
    show_created(create(kind, modal_depth()), kind);
}

void Program::open_window_modal(WindowKind kind) {
    if (ui::BorderlessWindow* open = window(kind)) {
        bring_to_front(open);
        return;
    }
    ui::BorderlessWindow* window = create(kind, modal_depth() + 1);
    // The operations window is modal only in the calling order: it closes the windows it would
    // block, and the windows opened from it have to take input.
    if (kind != WindowKind::operations) {
        window->setWindowModality(Qt::ApplicationModal);
    }
    QEventLoop loop;
    quit_when_closed(loop, window);
    modal_loops_.push_back({QThread::currentThread()->loopLevel() + 1, pump_depth});
    show_created(window, kind);
    if (windows_[index_of(kind)] == window) {
        loop.exec();
    }
    modal_loops_.pop_back();
    // From now on the windows opened inside that loop get their events from the loop below.
    const int depth = modal_depth();
    for (int& home : home_depths_) {
        home = std::min(home, depth);
    }
    for (ClosedWindow& closed : closed_) {
        closed.home_depth = std::min(closed.home_depth, depth);
    }
    schedule_sweep();
    end_run_if_done();
}

void Program::close_window(WindowKind kind) {
    ui::BorderlessWindow* window = windows_[index_of(kind)].data();
    if (window == nullptr) {
        return;
    }
    windows_[index_of(kind)] = nullptr;
    window->hide();
    closed_.push_back({window, home_depths_[index_of(kind)]});
    emit window_closed(window);
    schedule_sweep();
    end_run_if_done();
}

ui::BorderlessWindow* Program::window(WindowKind kind) const {
    return windows_[index_of(kind)].data();
}

void Program::close_all_windows() {
    for (int i = 0; i < ui::window_kind_count; ++i) {
        close_window(static_cast<WindowKind>(i));
    }
}

void Program::sign_in_again(int session) {
    // A fetch sent before the last sign-in may bring its verdict only now: the session it found
    // over is not the one the user has. Overlapping fetches may all find the session over; the
    // user is asked once.
    if (session != session_ || signing_in_again_ || window_exists(WindowKind::login)) {
        return;
    }
    signing_in_again_ = true;
    // An open message window only comes to the front when asked to open, and it keeps the text
    // it was made with: the user closes it first and then reads why the login window comes.
    wait_until_closed(WindowKind::message);
    state_.message_code = MessageCode::session_ended;
    open_window_modal(WindowKind::message);
    open_window_modal(WindowKind::login);
    signing_in_again_ = false;
}

void Program::wait_until_closed(WindowKind kind) {
    ui::BorderlessWindow* open = window(kind);
    if (open == nullptr) {
        return;
    }
    // Its own loop, as a context menu's is: the open window takes input in it, and closed windows
    // wait to be destroyed until it has returned.
    QEventLoop loop;
    quit_when_closed(loop, open);
    loop.exec();
}

void Program::quit_when_closed(QEventLoop& loop, const ui::BorderlessWindow* window) {
    connect(this, &Program::window_closed, &loop, [&loop, window](ui::BorderlessWindow* gone) {
        if (gone == window) {
            loop.quit();
        }
    });
}

void Program::start_worker(std::function<void()> routine) {
    try {
        std::thread(std::move(routine)).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the operation does not run, like any other silent failure.
    }
}

void Program::end_program() {
    if (end_handler_) {
        end_handler_(0);
        return;
    }
    // Workers may still be inside a request; leaving without running destructors keeps them
    // from touching torn-down state.
    std::fflush(nullptr);
    std::_Exit(0);
}

void Program::schedule_sweep(int delay_ms) {
    if (sweep_scheduled_ || closed_.empty()) {
        return;
    }
    sweep_scheduled_ = true;
    QTimer::singleShot(delay_ms, this, [this] {
        sweep_scheduled_ = false;
        sweep_closed_windows();
    });
}

bool Program::in_innermost_loop() const {
    if (modal_loops_.empty()) {
        return pump_depth == 0 && QThread::currentThread()->loopLevel() == outer_loop_level_;
    }
    const ModalLoop& innermost = modal_loops_.back();
    return pump_depth == innermost.pump_depth &&
           QThread::currentThread()->loopLevel() == innermost.loop_level;
}

void Program::sweep_closed_windows() {
    // Inside a request wait or a nested loop (a context menu) some handler is on the stack:
    // look again once it may have returned.
    if (!in_innermost_loop()) {
        schedule_sweep(50);
        return;
    }
    // The innermost loop dispatched this event itself, so no handler of a window opened in it
    // (or in a loop nested in it, all ended now) is on the stack. Windows from the loops below
    // wait until their loop dispatches again; the modal loop sweeps once more when it returns.
    const int depth = modal_depth();
    std::vector<ClosedWindow> waiting;
    std::vector<ui::BorderlessWindow*> doomed;
    for (const ClosedWindow& closed : closed_) {
        if (closed.home_depth >= depth) {
            doomed.push_back(closed.window);
        } else {
            waiting.push_back(closed);
        }
    }
    closed_.swap(waiting);
    for (ui::BorderlessWindow* window : doomed) {
        delete window;
    }
}

void Program::end_run_if_done() {
    if (main_loop_ != nullptr && modal_loops_.empty() && !window_exists(WindowKind::login)) {
        main_loop_->quit();
    }
}

}  // namespace tamsor::app
