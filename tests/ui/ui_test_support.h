#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/program.h"
#include "script.h"
#include "simulator.h"
#include "ui/borderless_window.h"

namespace tamsor::test {

// Processes events until the condition holds or the time is up; whether it held.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 10000);

// Whether this build runs under a sanitizer, whose allocator holds on to freed memory: resident
// sizes say nothing about the program's own then.
constexpr bool built_with_sanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

// Keeps the simulator from answering the first request for `target` on `host` ("account" or
// "forum") that arrives from now on, until released (or 30 s have passed), so that a test can
// let other things happen while that request is under way.
class HeldRequest {
public:
    HeldRequest(sim::Simulator& sim, const std::string& host, const std::string& target);
    ~HeldRequest() { release(); }
    HeldRequest(const HeldRequest&) = delete;
    HeldRequest& operator=(const HeldRequest&) = delete;

    bool arrived() const;
    // Released, it has gone on to be answered.
    bool passed() const;
    void release();

private:
    // Shared with the server thread, which may still be waking when the holder is gone.
    struct Gate {
        mutable std::mutex mutex;
        std::condition_variable opened;
        bool arrived = false;
        bool released = false;
        bool passed = false;
    };
    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
};

// A run of the client against a simulator in this process.
class ClientTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::BorderlessWindow* window(app::WindowKind kind) const { return program_->window(kind); }
    template <class T>
    T* control(app::WindowKind kind, const char* name) const {
        ui::BorderlessWindow* w = program_->window(kind);
        return w == nullptr ? nullptr : w->findChild<T*>(QString::fromUtf8(name));
    }
    QString label_text(app::WindowKind kind, const char* name) const;
    // The six windows, made but not opened: no created event has run and nothing was fetched.
    std::vector<std::unique_ptr<ui::BorderlessWindow>> every_window() const;
    // Open and shown: its created event (which may fetch) has finished.
    bool shown(app::WindowKind kind) const {
        ui::BorderlessWindow* w = program_->window(kind);
        return w != nullptr && w->isVisible();
    }

    void click(QWidget* widget);
    void double_click(QWidget* widget, QPoint at = {});
    void type(app::WindowKind kind, const char* edit, const QString& text);
    // Fills the login form with the first demo account and the shown captcha code.
    void fill_login(const std::string& captcha_code);
    // Signs the shared cookie store in with the first demo account without any window, for a
    // test that starts at the operations window: its profile fetch then finds the account.
    void sign_in_without_windows();
    int request_count(const std::string& target_prefix) const;
    int home_page_fetches() const;
    // What a script does with a step that never became ready: fail and unwind the windows, again
    // and again, as a modal window's caller may open another once it is closed.
    std::function<void(const std::string&)> stuck();
    // Closes every window, and again whatever a returning modal call opens next, until the run
    // ends.
    void end_run();
    // The operations window shows a finished profile fetch.
    bool profile_shown() const;

    // Logs in through the windows, with a script for what happens once the operations window
    // is up; returns when the run has ended. The exit code of the run.
    int run_signed_in(const std::function<void(Script&)>& after_login);

    sim::Simulator sim_;
    std::unique_ptr<app::Program> program_;
    std::optional<int> end_code_;
};

}  // namespace tamsor::test
